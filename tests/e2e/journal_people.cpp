// Sixteen people on the loopback address for the server journal's test.
// Usage:
//   probe_journal_people send PORT SERVER_PID SECONDS EXPECTED
//     Sixteen people join; each sets cells of a sector of its own, one cell
//     per batch and never the same cell twice, 40 times a second, while the
//     server is asked to write the city (SIGHUP) every 100 ms but in the last
//     second, whose changes only the journal holds. Half a second before the
//     end the first person uses a picture new to the city (texture 250) on
//     the cells it sets from then on. After SECONDS the server is killed
//     (SIGKILL). EXPECTED gets one line per change acknowledged (come back to
//     its sender) more than 0.2 s before the kill, and EXPECTED.png the
//     picture's PNG bytes when it reached another person by then.
//   probe_journal_people check PORT EXPECTED
//     Joins, unpacks the city the server sends and checks that it holds
//     every expected block; also when the server's file is FILE:
//   probe_journal_people check-file FILE EXPECTED
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "media/PngWriter.h"
#include "net/CityClient.h"
#include "net/Protocol.h"
#include "world/MapFormat.h"

namespace {

using Clock = std::chrono::steady_clock;
using Protocol::Change;

constexpr int People = 16;
constexpr auto SendPeriod = std::chrono::milliseconds(25);
constexpr auto WriteAskPeriod = std::chrono::milliseconds(100);
constexpr auto JournalOnly = std::chrono::seconds(1);
constexpr auto SyncBound = std::chrono::milliseconds(200);
constexpr auto PictureBeforeEnd = std::chrono::milliseconds(500);
constexpr int32_t PictureTexture = 250;

std::vector<uint8_t> cityPicture() {
    Picture picture;
    picture.width = picture.height = 8;
    for (int i = 0; i < 64; ++i)
        picture.rgba.insert(picture.rgba.end(), {static_cast<uint8_t>(i * 4), 200, 40, 255});
    std::vector<uint8_t> png;
    return encodePicturePng(picture, &png) ? png : std::vector<uint8_t>();
}

// The cell a person's k-th change sets, in a sector of its own.
Change changeOf(int person, int k) {
    Change change;
    change.type = Change::CellSet;
    change.origin = Vector3(38000.0f + 200.0f * person, 59700.0f, 38000.0f);
    change.size = 20;
    change.block.x = k % 20;
    change.block.z = k / 20 % 20;
    change.block.y = k / 400 % 20;
    change.block.used = true;
    for (FaceMaterial& face : change.block.faces)
        face.texture = 100 + person;
    return change;
}

using Cell = std::tuple<int, int, int, int, int, int>;  // origin, cell

Cell cellOf(const Vector3& origin, const MapBlock& block) {
    return Cell(static_cast<int>(origin.x), static_cast<int>(origin.y), static_cast<int>(origin.z),
                block.x, block.y, block.z);
}

bool joinAll(std::vector<std::unique_ptr<CityClient>>& people, uint16_t port) {
    for (size_t i = 0; i < people.size(); ++i) {
        std::string why;
        if (!people[i]->connect("127.0.0.1", port, "p" + std::to_string(i), "", &why)) {
            std::fprintf(stderr, "cannot connect: %s\n", why.c_str());
            return false;
        }
    }
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    std::vector<Protocol::Message> ignored;
    for (bool all = false; !all; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
        all = true;
        for (auto& person : people) {
            person->service(0, &ignored);
            all = all && person->joined();
        }
        ignored.clear();
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "the people did not join\n");
            return false;
        }
    }
    return true;
}

int send(uint16_t port, pid_t server, double seconds, const char* expectedPath) {
    std::vector<std::unique_ptr<CityClient>> people;
    for (int i = 0; i < People; ++i)
        people.push_back(std::make_unique<CityClient>());
    if (!joinAll(people, port))
        return 1;
    std::vector<std::map<uint32_t, Change>> sent(People);
    std::vector<std::pair<Change, Clock::time_point>> acknowledged;
    const auto start = Clock::now();
    const auto end = start + std::chrono::microseconds(static_cast<int64_t>(seconds * 1e6));
    auto nextSend = start, nextAsk = start;
    uint32_t batch = 0;
    std::vector<Protocol::Message> received;
    const std::vector<uint8_t> png = cityPicture();
    bool pictureSent = false;
    Clock::time_point pictureArrived;
    while (Clock::now() < end) {
        const auto now = Clock::now();
        if (!pictureSent && now >= end - PictureBeforeEnd) {
            people[0]->sendPicture(PictureTexture, png);
            pictureSent = true;
        }
        if (now >= nextSend) {
            nextSend += SendPeriod;
            ++batch;
            for (int i = 0; i < People; ++i) {
                Change change = changeOf(i, static_cast<int>(batch));
                if (i == 0 && pictureSent)
                    for (FaceMaterial& face : change.block.faces)
                        face.texture = PictureTexture;
                sent[i][batch] = change;
                people[i]->sendChanges(batch, {change});
            }
        }
        if (now >= nextAsk && now < end - JournalOnly) {
            nextAsk += WriteAskPeriod;
            kill(server, SIGHUP);
        }
        for (int i = 0; i < People; ++i) {
            people[i]->service(0, &received);
            for (const Protocol::Message& message : received)
                if (message.kind == Protocol::Kind::Applied &&
                    message.person == people[i]->personId() && sent[i].count(message.batch))
                    acknowledged.emplace_back(sent[i][message.batch], Clock::now());
                else if (message.kind == Protocol::Kind::PictureSent &&
                         message.texture == PictureTexture && message.png == png &&
                         pictureArrived == Clock::time_point())
                    pictureArrived = Clock::now();
            received.clear();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto killed = Clock::now();
    kill(server, SIGKILL);
    std::ofstream out(expectedPath);
    size_t early = 0;
    for (const auto& entry : acknowledged) {
        if (killed - entry.second <= SyncBound)
            continue;
        const Change& c = entry.first;
        out << c.origin.x << " " << c.origin.y << " " << c.origin.z << " " << c.block.x << " "
            << c.block.y << " " << c.block.z << " " << c.block.faces[0].texture << "\n";
        ++early;
    }
    std::printf("sent %u batches each; %zu acknowledged, %zu more than 0.2 s before the kill\n",
                batch, acknowledged.size(), early);
    if (pictureArrived != Clock::time_point() && killed - pictureArrived > SyncBound) {
        std::ofstream picture(std::string(expectedPath) + ".png", std::ios::binary);
        picture.write(reinterpret_cast<const char*>(png.data()),
                      static_cast<std::streamsize>(png.size()));
    }
    // A run that had too few of them checks nothing.
    return out && early >= static_cast<size_t>(People) * 10 ? 0 : 1;
}

// The city's bytes: sent at a join, or a file.
bool cityBytes(const std::string& where, bool file, std::vector<uint8_t>* bytes) {
    if (file) {
        std::ifstream in(where, std::ios::binary);
        bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return !bytes->empty();
    }
    CityClient client;
    std::string why;
    if (!client.connect("127.0.0.1", static_cast<uint16_t>(std::atoi(where.c_str())), "checker", "",
                        &why))
        return false;
    std::vector<Protocol::Message> received;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        client.service(10, &received);
        for (const Protocol::Message& message : received)
            if (message.kind == Protocol::Kind::Welcome) {
                const bool ok = Protocol::unpackCity(message, bytes, &why);
                client.disconnect();
                return ok;
            }
        received.clear();
    }
    return false;
}

int check(const std::string& where, bool file, const char* expectedPath) {
    std::vector<uint8_t> bytes;
    MapFormat::WorldRecords records;
    std::string why;
    if (!cityBytes(where, file, &bytes) ||
        !MapFormat::parseWorld(bytes.data(), bytes.size(), &records, &why)) {
        std::fprintf(stderr, "no sound city from %s %s\n", where.c_str(), why.c_str());
        return 1;
    }
    std::map<Cell, int> blocks;
    for (const TamoSectorData& sector : records.sectors)
        for (const MapBlock& block : sector.blocks)
            if (block.used)
                blocks[cellOf(sector.origin, block)] = block.faces[0].texture;
    std::ifstream in(expectedPath);
    float ox = 0, oy = 0, oz = 0;
    MapBlock block;
    int texture = 0;
    size_t expected = 0, missing = 0;
    while (in >> ox >> oy >> oz >> block.x >> block.y >> block.z >> texture) {
        ++expected;
        const auto found = blocks.find(cellOf(Vector3(ox, oy, oz), block));
        if (found == blocks.end() || found->second != texture)
            ++missing;
    }
    std::printf("%zu of %zu expected blocks in the city\n", expected - missing, expected);
    return expected > 0 && missing == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "send" && argc == 6)
        return send(static_cast<uint16_t>(std::atoi(argv[2])), std::atoi(argv[3]),
                    std::atof(argv[4]), argv[5]);
    if ((mode == "check" || mode == "check-file") && argc == 4)
        return check(argv[2], mode == "check-file", argv[3]);
    std::fprintf(stderr,
                 "usage: %s send PORT SERVER_PID SECONDS EXPECTED | check PORT EXPECTED | "
                 "check-file FILE EXPECTED\n",
                 argv[0]);
    return 2;
}
