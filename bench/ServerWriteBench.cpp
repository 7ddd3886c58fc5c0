// The server writing the 10,000-sector city (about 800 MB) while sixteen
// people on the loopback address each set a cell 50 times a second: the
// longest pause of the service loop while the city is written, the changes a
// second it applied meanwhile, the longest a person waited for a change to
// come back, and with the journal the longest a batch waited for the disk.
// Written whole in the loop (as before: arg journal 0) and in the background
// from a snapshot, beside the journal (journal 1), in the same run. The
// write with the journal starts from a snapshot cache that holds nothing, as
// after a start: the pause includes writing every sector's record ahead.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "BenchWorld.h"
#include "net/CityClient.h"
#include "net/CityKeeper.h"
#include "net/CityServer.h"
#include "world/MapFile.h"
#include "world/TamoSpriteObjectSet.h"

using namespace bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int People = 16;
constexpr auto SendPeriod = std::chrono::milliseconds(20);  // 50 a second
constexpr auto LoadBefore = std::chrono::seconds(3);

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// This thread's processor time: a round's own work, without the time the
// system gave other programs on a busy machine.
double threadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// The server's world, loaded once; its sectors stand aside while people
// join (each would be sent the whole city).
struct ServedWorld {
    MyTamoEngineCore core{nullptr, nullptr, nullptr, 100, 3, 4};
    std::vector<TamoSector*> aside;
    ServedWorld() {
        core.sprites = new TamoSpriteObjectSet(&core);
        core.map = new TamoMap(&core);
        const char* sectors = std::getenv("TAMO_SERVE_BENCH_SECTORS");
        const std::string path = writtenCity(sectors ? std::atoi(sectors) : 10000);
        resetMap();  // the stage's copy goes
        std::string why;
        if (!MapFile::loadWorld(path.c_str(), *core.map, *core.sprites, &why))
            std::fprintf(stderr, "city: %s\n", why.c_str());
        core.map->swapSectors(aside);
    }
};

ServedWorld& servedWorld() {
    static ServedWorld world;
    return world;
}

// What the server thread measured.
struct Figures {
    double longestPauseMs = 0, longestPauseCpuMs = 0, longestBeforeMs = 0, writeSeconds = 0,
           journalWaitMs = 0, longestKeeperCpuMs = 0;
    uint64_t changesDuring = 0;
};

// The service loop as --serve runs it, timed per round. Phases: 0 the people
// have joined, 1 the load runs, 2 a write is asked for, 3 it is done, 4 the
// people have had their changes back.
void serve(CityServer& server, CityKeeper* keeper, const std::string& path, std::atomic<int>& phase,
           Figures* figures) {
    std::deque<std::pair<uint64_t, Clock::time_point>> recorded;  // batch, when
    Clock::time_point asked;
    uint64_t appliedBefore = 0;
    bool started = false;
    while (phase != 4) {
        const Clock::time_point begin = Clock::now();
        const double beginCpu = threadMs();
        const bool swapped = phase == 0;
        if (swapped) {
            servedWorld().core.map->swapSectors(servedWorld().aside);
            phase = 1;
        }
        server.service(1);
        const bool ask = phase == 2 && asked == Clock::time_point();
        if (ask) {
            asked = Clock::now();
            appliedBefore = server.changesApplied();
        }
        bool done = false;
        if (keeper) {
            const Clock::time_point now = Clock::now();
            if (keeper->batchesRecorded() > (recorded.empty() ? 0 : recorded.back().first))
                recorded.emplace_back(keeper->batchesRecorded(), now);
            for (; !recorded.empty() && recorded.front().first <= keeper->batchesDurable();
                 recorded.pop_front())
                figures->journalWaitMs =
                    std::max(figures->journalWaitMs, msBetween(recorded.front().second, now));
            const double tickCpu = threadMs();
            keeper->tick(ask);
            if (asked != Clock::time_point())
                figures->longestKeeperCpuMs =
                    std::max(figures->longestKeeperCpuMs, threadMs() - tickCpu);
            started = started || keeper->writing();
            done = started && !keeper->writing();
        } else if (ask) {
            std::string why;
            MapFile::saveWorld(path.c_str(), *servedWorld().core.map, *servedWorld().core.sprites,
                               &why);
            done = true;
        }
        const double roundMs = msBetween(begin, Clock::now());
        if (phase >= 3)
            continue;
        if (asked != Clock::time_point()) {
            figures->longestPauseMs = std::max(figures->longestPauseMs, roundMs);
            figures->longestPauseCpuMs =
                std::max(figures->longestPauseCpuMs, threadMs() - beginCpu);
        } else if (!swapped) {
            figures->longestBeforeMs = std::max(figures->longestBeforeMs, roundMs);
        }
        if (done) {
            figures->writeSeconds = msBetween(asked, Clock::now()) / 1000.0;
            figures->changesDuring = server.changesApplied() - appliedBefore;
            phase = 3;
        }
    }
    servedWorld().core.map->swapSectors(servedWorld().aside);
}

void serveWhileWriting(benchmark::State& state) {
    const bool journal = state.range(0) != 0;
    ServedWorld& world = servedWorld();
    const std::string folder = "/tmp/tamo-bench-serve";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/city.map";
    for (auto _ : state) {
        std::ostringstream log;
        CityServer::Options options;
        options.address = "127.0.0.1";
        options.port = 0;
        CityServer server(*world.core.map, *world.core.sprites, world.core, options, log);
        std::unique_ptr<CityKeeper> keeper;
        std::string why;
        if (journal) {
            keeper = std::make_unique<CityKeeper>(path, *world.core.map, *world.core.sprites,
                                                  world.core, log);
            CityPictures pictures;
            if (!keeper->open(&pictures, &why))
                return state.SkipWithError(why.c_str());
            server.setAppliedHook([&](uint32_t author, const std::vector<Protocol::Change>& c) {
                keeper->record(author, c);
            });
        }
        if (!server.start(&why))
            return state.SkipWithError(why.c_str());
        std::atomic<int> phase{-1};
        Figures figures;
        std::thread loop([&] { serve(server, keeper.get(), path, phase, &figures); });
        std::vector<std::unique_ptr<CityClient>> people;
        std::vector<Protocol::Message> received;
        for (int i = 0; i < People; ++i) {
            people.push_back(std::make_unique<CityClient>());
            people.back()->connect("127.0.0.1", server.port(), "p" + std::to_string(i), "", &why);
        }
        for (bool all = false; !all;) {
            all = true;
            for (auto& person : people) {
                person->service(1, &received);
                all = all && person->joined();
            }
            received.clear();
        }
        phase = 0;
        // Each person sets cells of the streets around the start point.
        std::mt19937 random(3);
        std::vector<std::map<uint32_t, Clock::time_point>> sent(People);
        double longestAckMs = 0;
        uint32_t batch = 0;
        const Clock::time_point begin = Clock::now();
        std::vector<uint32_t> returned(People);
        Clock::time_point settled;
        for (Clock::time_point next = begin; phase != 4;) {
            if (phase == 3 && settled == Clock::time_point())
                settled = Clock::now() + std::chrono::seconds(10);
            const bool back = std::all_of(returned.begin(), returned.end(),
                                          [&](uint32_t b) { return b == batch; });
            if (phase == 3 && (back || Clock::now() > settled))
                phase = 4;
            if (phase < 3 && Clock::now() >= next) {
                next += SendPeriod;
                ++batch;
                for (int i = 0; i < People; ++i) {
                    Protocol::Change change;
                    change.type = Protocol::Change::CellSet;
                    change.origin =
                        Vector3(40000.0f + 200.0f * static_cast<float>(random() % 16) - 1600.0f,
                                59700.0f, 40000.0f + 200.0f * (random() % 16) - 1600);
                    change.size = 20;
                    change.block.x = static_cast<int32_t>(random() % 20);
                    change.block.y = 17;
                    change.block.z = static_cast<int32_t>(random() % 20);
                    change.block.used = true;
                    for (FaceMaterial& face : change.block.faces)
                        face.texture = 100 + i % 13;
                    sent[i][batch] = Clock::now();
                    people[i]->sendChanges(batch, {change});
                }
            }
            if (phase == 1 && Clock::now() - begin > LoadBefore)
                phase = 2;
            for (int i = 0; i < People; ++i) {
                people[i]->service(0, &received);
                for (const Protocol::Message& m : received)
                    if (m.kind == Protocol::Kind::Applied && m.person == people[i]->personId()) {
                        longestAckMs =
                            std::max(longestAckMs, msBetween(sent[i][m.batch], Clock::now()));
                        returned[i] = m.batch;
                    }
                received.clear();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        loop.join();
        for (auto& person : people)
            person->disconnect(false);
        server.stop();
        state.counters["longest_pause_ms"] = figures.longestPauseMs;
        state.counters["longest_pause_cpu_ms"] = figures.longestPauseCpuMs;
        state.counters["longest_pause_before_ms"] = figures.longestBeforeMs;
        state.counters["write_s"] = figures.writeSeconds;
        state.counters["changes_per_s_during"] =
            static_cast<double>(figures.changesDuring) / std::max(1e-3, figures.writeSeconds);
        state.counters["offered_per_s"] = People * 1000.0 / SendPeriod.count();
        state.counters["longest_ack_ms"] = longestAckMs;
        if (journal) {
            state.counters["journal_longest_wait_ms"] = figures.journalWaitMs;
            state.counters["keeper_longest_cpu_ms"] = figures.longestKeeperCpuMs;
        }
    }
    state.counters["city_mb"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(serveWhileWriting)
    ->Name("BM_ServeWhileWritingTheCity")
    ->ArgNames({"journal"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
