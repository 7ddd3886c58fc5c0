// The server's handshake and its distrust, over the loopback address: who
// is refused (before any city is sent) and why, and that a faulty or flooding
// person is disconnected alone while the others build on.
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <sstream>

#include "net/CityServer.h"
#include "net/EnetStartup.h"
#include "net/Loopback.h"
#include "support/TestPictures.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"

namespace {

using Protocol::Kind;

struct World {
    TestHost host{nullptr, nullptr, nullptr, 100, 3, 4};
    World() { host.buildWorld(WorldHost::History::None); }
};

// A person speaking the protocol by hand, so that it can also speak it wrong.
struct RawPerson {
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool connected = false;
    bool gone = false;
    std::vector<Protocol::Message> received;

    explicit RawPerson(uint16_t port) {
        EXPECT_TRUE(enetReady());
        host = enet_host_create(nullptr, 1, Protocol::ChannelCount, 0, 0);
        ENetAddress address;
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = port;
        peer = enet_host_connect(host, &address, Protocol::ChannelCount, 0);
    }
    ~RawPerson() {
        if (!gone)
            enet_peer_reset(peer);
        enet_host_destroy(host);
    }
    void send(const std::vector<uint8_t>& bytes, uint8_t channel = Protocol::ChangeChannel) {
        enet_peer_send(peer, channel,
                       enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
    }
    void service() {
        ENetEvent event;
        while (!gone && enet_host_service(host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT)
                connected = true;
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                gone = true;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                Protocol::Message message;
                std::string why;
                EXPECT_TRUE(Protocol::decodeFromServer(event.packet->data, event.packet->dataLength,
                                                       &message, &why))
                    << why;
                received.push_back(std::move(message));
                enet_packet_destroy(event.packet);
            }
        }
    }
    bool got(Kind kind) const {
        for (const Protocol::Message& message : received)
            if (message.kind == kind)
                return true;
        return false;
    }
};

struct Fixture {
    World world;
    std::ostringstream log;
    CityServer server;
    std::vector<RawPerson*> people;

    explicit Fixture(CityServer::Options options)
            : server(*world.host.map, *world.host.sprites, world.host,
                     loopback::serverOptions(options), log) {
        std::string why;
        EXPECT_TRUE(server.start(&why)) << why;
    }
    // Services everyone until done says so; false after five seconds.
    bool until(const std::function<bool()>& done) {
        return loopback::serviceUntil(done, [this] {
            server.service(1);
            for (RawPerson* person : people)
                person->service();
        });
    }
    std::unique_ptr<RawPerson> greet(const std::string& name, const std::string& password,
                                     uint32_t version = Protocol::Version) {
        auto person = std::make_unique<RawPerson>(server.port());
        people.push_back(person.get());
        EXPECT_TRUE(until([&] { return person->connected; }));
        std::vector<uint8_t> hello = Protocol::hello(name, password);
        for (int i = 0; i < 4; ++i)
            hello[1 + i] = static_cast<uint8_t>(version >> (8 * i));
        // Another version may greet with more than this one knows.
        if (version != Protocol::Version)
            hello.insert(hello.end(), {1, 2, 3});
        person->send(hello);
        EXPECT_TRUE(until([&] {
            return person->got(Kind::Welcome) || person->got(Kind::Refused) || person->gone;
        }));
        return person;
    }
};

std::string reasonOf(const RawPerson& person) {
    for (const Protocol::Message& message : person.received)
        if (message.kind == Kind::Refused)
            return message.reason;
    return "";
}

Protocol::Change cellChange(int32_t x) {
    Protocol::Change change;
    change.type = Protocol::Change::CellSet;
    change.origin = Vector3(40000, 60000, 40000);
    change.size = 20;
    change.block.x = x;
    return change;
}

TEST(CityServerTest, RefusesWrongPasswordOtherVersionAndAFullCityBeforeSendingIt) {
    CityServer::Options options;
    options.password = "sesame";
    options.maxPeople = 1;
    Fixture city(options);

    auto missing = city.greet("ann", "");
    auto wrong = city.greet("bob", "open");
    auto older = city.greet("cid", "sesame", Protocol::Version + 1);
    auto first = city.greet("dee", "sesame");
    auto second = city.greet("eve", "sesame");
    EXPECT_TRUE(first->got(Kind::Welcome));
    for (RawPerson* refused : {missing.get(), wrong.get(), older.get(), second.get()}) {
        EXPECT_TRUE(refused->got(Kind::Refused));
        EXPECT_FALSE(refused->got(Kind::Welcome));
    }
    EXPECT_NE(reasonOf(*missing).find("needs a password"), std::string::npos);
    EXPECT_NE(reasonOf(*wrong).find("password is wrong"), std::string::npos);
    EXPECT_NE(reasonOf(*older).find("protocol version " + std::to_string(Protocol::Version)),
              std::string::npos);
    EXPECT_NE(reasonOf(*second).find("full"), std::string::npos);
    // Refused people are sent away; one line each on the log.
    EXPECT_TRUE(city.until([&] { return missing->gone && wrong->gone && second->gone; }));
    std::istringstream lines(city.log.str());
    int refusals = 0;
    for (std::string line; std::getline(lines, line);)
        refusals += line.rfind("refused ", 0) == 0;
    EXPECT_EQ(refusals, 4);
    EXPECT_EQ(city.server.peopleCount(), 1);
}

TEST(CityServerTest, AFaultyOrFloodingPersonIsDisconnectedAloneWhileOthersBuildOn) {
    CityServer::Options options;
    options.changesPerSecond = 2000;
    options.burstChanges = 100;
    options.maxWaitingChanges = 600;
    options.greetingSeconds = 0.5;
    Fixture city(options);
    std::map<uint32_t, size_t> appliedBy;
    city.server.setAppliedHook([&](uint32_t author, const std::vector<Protocol::Change>& changes) {
        appliedBy[author] += changes.size();
    });
    auto steady = city.greet("steady", "");
    auto garbled = city.greet("garbled", "");
    auto oversized = city.greet("oversized", "");
    auto flooding = city.greet("flooding", "");
    auto early = std::make_unique<RawPerson>(city.server.port());
    auto silent = std::make_unique<RawPerson>(city.server.port());
    city.people.push_back(early.get());
    city.people.push_back(silent.get());
    ASSERT_EQ(city.server.peopleCount(), 4);

    // A change whose cell lies outside its sector, a message past the size
    // limit, more changes than may wait, changes before the greeting, and
    // no greeting at all.
    std::vector<uint8_t> bad = Protocol::submit(1, {cellChange(20)});
    garbled->send(bad);
    oversized->send(std::vector<uint8_t>(Protocol::MaxClientMessageBytes + 1,
                                         static_cast<uint8_t>(Kind::Submit)));
    for (uint32_t batch = 1; batch <= 8; ++batch)
        flooding->send(Protocol::submit(batch, std::vector<Protocol::Change>(200, cellChange(1))));
    ASSERT_TRUE(city.until([&] { return early->connected; }));
    early->send(Protocol::submit(1, {cellChange(2)}));
    // Beyond the burst, changes wait their turn and all go through.
    std::vector<Protocol::Change> many;
    for (int32_t i = 0; i < 250; ++i)
        many.push_back(cellChange(i % 20));
    for (uint32_t batch = 1; batch <= 2; ++batch)
        steady->send(Protocol::submit(batch, many));

    ASSERT_TRUE(city.until([&] {
        return garbled->gone && oversized->gone && flooding->gone && early->gone && silent->gone &&
               appliedBy[1] == 2 * many.size();
    })) << city.log.str();
    // Nothing from the faulty ones; the flood no further than its limit.
    EXPECT_EQ(appliedBy.count(2) + appliedBy.count(3) + appliedBy.count(5), 0u);
    EXPECT_LE(appliedBy[4], options.maxWaitingChanges);
    EXPECT_EQ(city.server.peopleCount(), 1);
    EXPECT_TRUE(city.until([&] { return steady->got(Kind::Applied); }));
    const std::string log = city.log.str();
    for (const char* name : {"garbled", "oversized", "flooding"})
        EXPECT_NE(log.find(std::string("disconnected ") + name), std::string::npos) << log;
    EXPECT_NE(log.find("sent before the greeting"), std::string::npos) << log;
    EXPECT_NE(log.find("did not greet in time"), std::string::npos) << log;
}

std::vector<const Protocol::Message*> picturesOf(const RawPerson& person, int32_t texture) {
    std::vector<const Protocol::Message*> found;
    for (const Protocol::Message& message : person.received)
        if (message.kind == Kind::PictureSent && message.texture == texture)
            found.push_back(&message);
    return found;
}

TEST(CityServerTest, PicturesAreKeptPassedOnSentToThoseWhoLackThemAndBadOnesDropTheirSender) {
    Fixture city(CityServer::Options{});
    const std::vector<uint8_t> kept = TestPictures::png(TestPictures::filled(8, 4, 1, 2, 3));
    const std::vector<uint8_t> fresh = TestPictures::png(TestPictures::random(16, 16, 5, false));
    CityPictures pictures;
    pictures.put(300, std::make_shared<const std::vector<uint8_t>>(kept));
    city.server.setPictures(std::move(pictures));

    auto ann = city.greet("ann", "");
    ann->send(Protocol::holding({}));
    auto bob = city.greet("bob", "");
    bob->send(Protocol::holding({{300, CityPictures::hashOf(kept)}}));
    ASSERT_TRUE(city.until([&] { return !picturesOf(*ann, 300).empty(); }));
    EXPECT_EQ(picturesOf(*ann, 300)[0]->png, kept);

    // A picture used first goes to the others; one the city has already
    // stays, and its sender gets the city's instead.
    ann->send(Protocol::picture(Kind::Picture, 250, fresh));
    bob->send(Protocol::picture(Kind::Picture, 300, fresh));
    ASSERT_TRUE(city.until([&] {
        return !picturesOf(*bob, 250).empty() && !picturesOf(*bob, 300).empty();
    })) << city.log.str();
    EXPECT_EQ(picturesOf(*bob, 250)[0]->png, fresh);
    EXPECT_EQ(picturesOf(*bob, 300)[0]->png, kept);
    EXPECT_EQ(picturesOf(*ann, 250).size(), 0u);
    ASSERT_NE(city.server.cityPictures().find(250), nullptr);
    EXPECT_EQ(*city.server.cityPictures().find(300)->png, kept);

    // Bytes that are no PNG, a picture not at texture size, one offered
    // twice and one past the size limit: each disconnects its sender alone.
    auto garbled = city.greet("garbled", "");
    garbled->send(Protocol::picture(Kind::Picture, 260, {0x89, 'P', 'N', 'G', 1, 2, 3}));
    auto odd = city.greet("odd", "");
    odd->send(Protocol::picture(Kind::Picture, 270,
                                TestPictures::png(TestPictures::filled(3, 3, 1, 1, 1))));
    auto twice = city.greet("twice", "");
    twice->send(Protocol::picture(Kind::Picture, 250, fresh));
    twice->send(Protocol::picture(Kind::Picture, 250, fresh));
    auto huge = city.greet("huge", "");
    std::vector<uint8_t> big = Protocol::picture(Kind::Picture, 280, fresh);
    big.resize(Protocol::MaxPictureMessageBytes + 1);
    huge->send(big);
    ASSERT_TRUE(city.until([&] { return garbled->gone && odd->gone && twice->gone && huge->gone; }))
        << city.log.str();
    EXPECT_EQ(city.server.peopleCount(), 2);
    EXPECT_EQ(city.server.cityPictures().entries().size(), 2u);
    const std::string log = city.log.str();
    EXPECT_NE(log.find("disconnected garbled"), std::string::npos) << log;
    EXPECT_NE(log.find("not decode at texture size"), std::string::npos) << log;
    EXPECT_NE(log.find("twice"), std::string::npos) << log;
}

}  // namespace
