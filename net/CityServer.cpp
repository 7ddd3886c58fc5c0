#include "net/CityServer.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <ostream>

#include "net/EnetStartup.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

using Protocol::Kind;

namespace {

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// ENet fragments what is larger than a datagram; this caps what a person's
// fragments may add up to, above the protocol's own limit so that the
// decoder sees, refuses and reports an oversized message.
constexpr size_t LargestPacketBytes = 2 * Protocol::MaxPictureMessageBytes;
constexpr enet_uint32 PeerTimeoutMinimumMs = 3000;
constexpr enet_uint32 PeerTimeoutMaximumMs = 8000;

}  // namespace

struct CityServer::Person {
    ENetPeer* peer = nullptr;
    uint32_t id = 0;
    std::string name;
    std::string address;
    bool welcomed = false;
    bool leaving = false;
    double connectedAt = 0.0;
    double tokens = 0.0;
    double refilled = 0.0;
    size_t waitingChanges = 0;
    std::deque<Protocol::Message> waiting;
    bool listedPictures = false;
    std::set<int32_t> offeredPictures;
};

CityServer::CityServer(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHost& host, Options options,
                       std::ostream& log)
        : map(map), sprites(sprites), applier(map, sprites, host), options(std::move(options)),
          log(log) {
    // Every person's copy writes the same bytes as the server's file.
    map.setRecordOrder(MapFormat::RecordOrder::Canonical);
}

CityServer::~CityServer() {
    if (host)
        enet_host_destroy(host);
}

bool CityServer::start(std::string* why) {
    if (!enetReady()) {
        *why = "the network library did not start";
        return false;
    }
    ENetAddress address;
    if (enet_address_set_host_ip(&address, options.address.c_str()) != 0) {
        *why = "the address " + options.address + " is not an IP address";
        return false;
    }
    address.port = options.port;
    // Room for the people and for those who are refused while it is full.
    const size_t peers = static_cast<size_t>(std::max(options.maxPeople, 1)) + 8;
    host = enet_host_create(&address, peers, Protocol::ChannelCount, 0, 0);
    if (!host) {
        *why = "port " + std::to_string(options.port) + " cannot be opened (in use?)";
        return false;
    }
    host->maximumPacketSize = LargestPacketBytes;
    return true;
}

uint16_t CityServer::port() const {
    return host ? host->address.port : 0;
}

int32_t CityServer::peopleCount() const {
    int32_t count = 0;
    for (const auto& entry : people)
        count += entry.second->welcomed && !entry.second->leaving ? 1 : 0;
    return count;
}

std::string CityServer::describe(const Person& person) const {
    return (person.name.empty() ? std::string("someone") : person.name) + " (person " +
           std::to_string(person.id) + ", " + person.address + ")";
}

void CityServer::sendTo(ENetPeer* peer, const std::vector<uint8_t>& bytes, uint8_t channel) {
    const enet_uint32 flags = channel == Protocol::ChangeChannel ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet && enet_peer_send(peer, channel, packet) != 0)
        enet_packet_destroy(packet);
}

void CityServer::broadcast(const std::vector<uint8_t>& bytes, uint8_t channel,
                           const Person* except) {
    const enet_uint32 flags = channel == Protocol::ChangeChannel ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (!packet)
        return;
    for (const auto& entry : people) {
        const Person& person = *entry.second;
        if (person.welcomed && !person.leaving && &person != except)
            enet_peer_send(person.peer, channel, packet);
    }
    if (packet->referenceCount == 0)
        enet_packet_destroy(packet);
}

const std::vector<uint8_t>& CityServer::packedCity(uint64_t* size) {
    if (!snapshotCurrent) {
        // In the server's own order: which of two sectors holding a point a
        // click finds is the first in the list, the same for everyone.
        MapFile::snapshotWorld(map, sprites, MapFormat::RecordOrder::AsKept, &snapshot);
        packed = snapshot.empty() ? std::vector<uint8_t>() : Protocol::packCity(snapshot);
        snapshotCurrent = true;
    }
    *size = snapshot.size();
    return packed;
}

void CityServer::refuse(Person& person, const std::string& reason) {
    log << "refused " << describe(person) << ": " << reason << std::endl;
    sendTo(person.peer, Protocol::refused(reason), Protocol::ChangeChannel);
    person.leaving = true;
    enet_peer_disconnect_later(person.peer, 0);
}

void CityServer::drop(Person& person, const std::string& why) {
    log << "disconnected " << describe(person) << ": " << why << std::endl;
    person.leaving = true;
    person.waiting.clear();
    enet_peer_disconnect(person.peer, 0);
}

void CityServer::greet(Person& person, const Protocol::Message& hello) {
    person.name = hello.name.empty() ? "person " + std::to_string(person.id) : hello.name;
    if (hello.version != Protocol::Version) {
        refuse(person, "this server speaks protocol version " + std::to_string(Protocol::Version) +
                           ", the program joining speaks " + std::to_string(hello.version) +
                           "; both need the same version");
        return;
    }
    if (!options.password.empty() && hello.password != options.password) {
        refuse(person,
               hello.password.empty() ? "this city needs a password" : "the password is wrong");
        return;
    }
    if (peopleCount() >= options.maxPeople) {
        refuse(person, "the city is full (" + std::to_string(options.maxPeople) + " people)");
        return;
    }
    uint64_t size = 0;
    const std::vector<uint8_t>& city = packedCity(&size);
    if (city.empty()) {
        refuse(person, "the server could not pack the city");
        return;
    }
    sendTo(person.peer, Protocol::welcome(person.id, sprites.getNextId(), size, city),
           Protocol::ChangeChannel);
    for (const auto& entry : people) {
        const Person& other = *entry.second;
        if (other.welcomed && !other.leaving)
            sendTo(person.peer, Protocol::joined(other.id, other.name), Protocol::ChangeChannel);
    }
    broadcast(Protocol::joined(person.id, person.name), Protocol::ChangeChannel, nullptr);
    person.welcomed = true;
    person.tokens = options.burstChanges;
    person.refilled = secondsNow();
    log << "joined: " << describe(person) << ", " << peopleCount() << " in the city" << std::endl;
}

void CityServer::runWaiting(Person& person, double now) {
    person.tokens = std::min(options.burstChanges,
                             person.tokens + (now - person.refilled) * options.changesPerSecond);
    person.refilled = now;
    // A batch larger than the burst runs once the burst is full, and the
    // tokens it overdraws are paid back before the next one.
    while (!person.waiting.empty() &&
           person.tokens >= std::min(options.burstChanges,
                                     static_cast<double>(person.waiting.front().changes.size()))) {
        Protocol::Message batch = std::move(person.waiting.front());
        person.waiting.pop_front();
        person.waitingChanges -= batch.changes.size();
        person.tokens -= static_cast<double>(batch.changes.size());
        for (const Protocol::Change& change : batch.changes)
            applier.apply(change);
        applied += batch.changes.size();
        if (!batch.changes.empty())
            snapshotCurrent = false;
        if (appliedHook)
            appliedHook(person.id, batch.changes);
        broadcast(Protocol::applied(person.id, batch.batch, batch.changes), Protocol::ChangeChannel,
                  nullptr);
    }
}

void CityServer::sendLacking(Person& person, const Protocol::Message& holding) {
    const std::map<int32_t, uint64_t> held(holding.held.begin(), holding.held.end());
    for (const auto& [texture, entry] : pictures.entries()) {
        const auto found = held.find(texture);
        if (found == held.end() || found->second != entry.hash)
            sendTo(person.peer, Protocol::picture(Kind::PictureSent, texture, *entry.png),
                   Protocol::ChangeChannel);
    }
}

void CityServer::takePicture(Person& person, Protocol::Message& message) {
    const int32_t texture = message.texture;
    if (!person.offeredPictures.insert(texture).second) {
        drop(person, "offered the picture of texture " + std::to_string(texture) + " twice");
        return;
    }
    if (const CityPictures::Entry* kept = pictures.find(texture)) {
        // The first picture of a texture stays: the sender gets it instead.
        if (kept->hash != CityPictures::hashOf(message.png))
            sendTo(person.peer, Protocol::picture(Kind::PictureSent, texture, *kept->png),
                   Protocol::ChangeChannel);
        return;
    }
    if (pictures.totalBytes() + message.png.size() > Protocol::MaxCityPictureBytes) {
        log << "picture of texture " << texture << " from " << describe(person)
            << " not kept: the city's pictures would pass " << (Protocol::MaxCityPictureBytes >> 20)
            << " MB" << std::endl;
        return;
    }
    Picture decoded;
    std::string why;
    if (!Protocol::decodePicture(message, &decoded, &why)) {
        drop(person, "a picture that does not decode at texture size (" + why + ")");
        return;
    }
    auto png = std::make_shared<const std::vector<uint8_t>>(std::move(message.png));
    pictures.put(texture, png);
    if (pictureHook)
        pictureHook(texture, png);
    log << "picture of texture " << texture << " from " << describe(person) << ": " << png->size()
        << " bytes" << std::endl;
    broadcast(Protocol::picture(Kind::PictureSent, texture, *png), Protocol::ChangeChannel,
              &person);
}

void CityServer::receive(ENetPeer* peer, const uint8_t* data, size_t size, uint8_t channel) {
    const auto found = people.find(peer);
    if (found == people.end() || found->second->leaving)
        return;
    Person& person = *found->second;
    Protocol::Message message;
    std::string why;
    if (!Protocol::decodeFromPerson(data, size, &message, &why)) {
        drop(person, "malformed message (" + why + ")");
        return;
    }
    const bool hello = message.kind == Kind::Hello;
    if (hello == person.welcomed) {
        drop(person, hello ? "greeted twice" : "sent before the greeting");
        return;
    }
    if ((message.kind == Kind::Move) != (channel == Protocol::PositionChannel) && !hello) {
        drop(person, "a message on the wrong channel");
        return;
    }
    switch (message.kind) {
    case Kind::Hello:
        greet(person, message);
        break;
    case Kind::Move:
        broadcast(Protocol::moved(person.id, message.position), Protocol::PositionChannel, &person);
        break;
    case Kind::Holding:
        if (person.listedPictures) {
            drop(person, "listed its pictures twice");
            return;
        }
        person.listedPictures = true;
        sendLacking(person, message);
        break;
    case Kind::Picture:
        takePicture(person, message);
        break;
    case Kind::Submit:
        person.waitingChanges += message.changes.size();
        if (person.waitingChanges > options.maxWaitingChanges) {
            drop(person, "sends changes faster than allowed");
            return;
        }
        person.waiting.push_back(std::move(message));
        runWaiting(person, secondsNow());
        break;
    default:
        break;
    }
}

void CityServer::service(uint32_t waitMs) {
    if (!host)
        return;
    ENetEvent event;
    int result = enet_host_service(host, &event, waitMs);
    while (result > 0) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT: {
            auto person = std::make_unique<Person>();
            person->peer = event.peer;
            person->id = nextPerson++;
            char ip[64] = "?";
            enet_address_get_host_ip(&event.peer->address, ip, sizeof ip);
            person->address = std::string(ip) + ":" + std::to_string(event.peer->address.port);
            person->connectedAt = secondsNow();
            // A program that vanished (killed, network gone) leaves within
            // seconds rather than ENet's half minute.
            enet_peer_timeout(event.peer, 0, PeerTimeoutMinimumMs, PeerTimeoutMaximumMs);
            people[event.peer] = std::move(person);
            break;
        }
        case ENET_EVENT_TYPE_RECEIVE:
            receive(event.peer, event.packet->data, event.packet->dataLength, event.channelID);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT: {
            const auto found = people.find(event.peer);
            if (found != people.end()) {
                Person& person = *found->second;
                if (person.welcomed) {
                    log << "left: " << describe(person) << std::endl;
                    person.welcomed = false;
                    broadcast(Protocol::left(person.id), Protocol::ChangeChannel, nullptr);
                }
                people.erase(found);
            }
            break;
        }
        default:
            break;
        }
        result = enet_host_check_events(host, &event);
    }
    const double now = secondsNow();
    for (auto& entry : people) {
        Person& person = *entry.second;
        if (!person.waiting.empty())
            runWaiting(person, now);
        if (!person.welcomed && !person.leaving &&
            now - person.connectedAt > options.greetingSeconds)
            drop(person, "did not greet in time");
    }
    enet_host_flush(host);
}

void CityServer::stop() {
    if (!host)
        return;
    for (auto& entry : people)
        enet_peer_disconnect_later(entry.second->peer, 0);
    const double end = secondsNow() + 1.0;
    while (!people.empty() && secondsNow() < end)
        service(10);
    for (auto& entry : people)
        enet_peer_reset(entry.second->peer);
    people.clear();
}
