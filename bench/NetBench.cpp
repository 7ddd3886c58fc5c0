// A shared city under load on the loopback address: a server on its own
// thread and sixteen people, each placing and removing blocks fifty times a
// second. Reported: the server's processor time per change, the largest
// delay from a person's send to the change applied at every other person,
// and changes lost (must be 0). The same load with two of the people
// running the program's frames: the largest and the median delay from a
// send to the end of the frame that shows the change there. And the time
// until sixteen people
// joining at once all hold a 200-sector city. TAMO_NET_BENCH_SECONDS
// shortens the load runs (default 30).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "BenchWorld.h"
#include "net/CityServer.h"
#include "net/SharedCity.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using namespace bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int People = 16;
constexpr int ChangesPerSecond = 50;
// The frames of a window on a 60 Hz display.
constexpr auto FramePeriod = std::chrono::microseconds(1000000 / 60);
// People who run the program's frames; one thread could not run sixteen
// programs' frames in time (each rebuilds about a dozen sectors a frame at
// this load), and the others stand for programs on other machines.
constexpr int Watchers = 2;

// A world without GL, as the server and each simulated person hold it (a
// person's with a history).
struct World {
    MyTamoEngineCore core{nullptr, nullptr, nullptr, 100, 3, 4};
    explicit World(WorldHost::History kept = WorldHost::History::None) { core.buildWorld(kept); }
};

struct Person {
    World world{WorldHost::History::Kept};
    WorldHistory& history = *world.core.history;
    SharedCity city{*world.core.map, *world.core.sprites, history, world.core};
};

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The server on its own thread, measuring the processor time it takes.
struct ServerThread {
    World world;
    std::ostringstream log;
    CityServer server;
    std::atomic<bool> stop{false};
    double cpuSeconds = 0.0;
    std::thread thread;

    ServerThread() : server(*world.core.map, *world.core.sprites, world.core, loopback(), log) {
        std::string why;
        if (!server.start(&why))
            std::abort();
    }
    static CityServer::Options loopback() {
        CityServer::Options options;
        options.address = "127.0.0.1";
        options.port = 0;
        return options;
    }
    void run() {
        thread = std::thread([this] {
            const double start = threadSeconds();
            while (!stop)
                server.service(1);
            cpuSeconds = threadSeconds() - start;
        });
    }
    void join() {
        stop = true;
        thread.join();
    }
};

bool joinAll(std::vector<std::unique_ptr<Person>>& people, uint16_t port) {
    for (size_t i = 0; i < people.size(); ++i) {
        std::string why;
        if (!people[i]->city.join("127.0.0.1", port, "p" + std::to_string(i), "", &why))
            return false;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    for (;;) {
        bool all = true;
        for (auto& person : people) {
            person->city.update(0);
            all = all && person->city.status() == SharedCity::Status::Shared;
        }
        if (all)
            return true;
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// What a frame's draw does with the sectors whose blocks changed, short of
// handing the quads to GL (these worlds have no context): the faces into
// the quad table, hidden pairs dropped, merged.
void rebuildTouched(TamoMap& map) {
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        TamoSector& sector = *map.sector(i);
        if (!sector.needsRebuild)
            continue;
        sector.needsRebuild = false;
        sector.fillQuadTable();
        sector.quadTable->mergeFaces();
    }
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// frames: the watchers run the program's frame (MainWindow::onFrame) every
// FramePeriod: the draw rebuilds the sectors changed, the avatar makes this
// person's change when one is due, the shared session sends it and applies
// what arrived, and the present shows the draw, which holds what the
// previous frame applied. Everyone else is served as fast as the loop goes.
void runLoad(benchmark::State& state, bool frames) {
    const char* seconds = std::getenv("TAMO_NET_BENCH_SECONDS");
    const int runSeconds = seconds ? std::max(1, std::atoi(seconds)) : 30;
    for (auto _ : state) {
        ServerThread server;
        server.run();
        std::vector<std::unique_ptr<Person>> people;
        for (int i = 0; i < People; ++i)
            people.push_back(std::make_unique<Person>());
        if (!joinAll(people, server.server.port())) {
            state.SkipWithError("people did not join");
            server.join();
            return;
        }
        std::map<uint32_t, size_t> indexOf;
        for (size_t i = 0; i < people.size(); ++i)
            indexOf[people[i]->city.personId()] = i;
        // Send times by person and batch; what each person received of others.
        std::vector<std::map<uint32_t, Clock::time_point>> sentAt(people.size());
        std::vector<size_t> own(people.size()), received(people.size());
        std::vector<uint32_t> returned(people.size());
        double largestDelayMs = 0.0;
        // Frames: the send times of what each person applied in this frame
        // and in the one before (shown at this frame's end); the delays.
        std::vector<std::vector<Clock::time_point>> appliedNow(people.size()),
            toShow(people.size());
        std::vector<double> frameDelaysMs;
        std::vector<bool> watching(people.size());
        for (size_t i = 0; i < people.size(); ++i)
            watching[i] = frames && i % (People / Watchers) == 0;
        for (size_t j = 0; j < people.size(); ++j)
            people[j]->city.setAppliedHook(
                [&, j](uint32_t author, uint32_t batch, const std::vector<Protocol::Change>& cs) {
                    const size_t i = indexOf[author];
                    if (i == j) {
                        own[j] += cs.size();
                        returned[j] = batch;
                        return;
                    }
                    received[j] += cs.size();
                    const auto sent = sentAt[i].find(batch);
                    if (sent == sentAt[i].end())
                        return;
                    largestDelayMs =
                        std::max(largestDelayMs, millisecondsBetween(sent->second, Clock::now()));
                    if (watching[j])
                        appliedNow[j].push_back(sent->second);
                });

        std::mt19937 random(5);
        std::uniform_real_distribution<float> along(-400.0f, 400.0f);
        const auto period = std::chrono::microseconds(1000000 / ChangesPerSecond);
        const auto start = Clock::now();
        std::vector<Clock::time_point> due(people.size()), nextFrame(people.size());
        for (size_t i = 0; i < people.size(); ++i) {
            due[i] = start + period * static_cast<int>(i) / People;
            nextFrame[i] = start + FramePeriod * static_cast<int>(i) / People;
        }
        // The avatar's part: a change when one is due, sent by the update.
        const auto change = [&](size_t i, Clock::time_point now) {
            Person& person = *people[i];
            if (now >= due[i]) {
                due[i] += period;
                const Vector3 point(40000.0f + along(random), 60000.0f + along(random) / 4,
                                    40000.0f + along(random));
                person.world.core.map->setBlockAt(point, random() % 3 != 0);
                person.history.closeAction();
            }
            const uint32_t before = person.city.lastBatchSent();
            const Clock::time_point sending = Clock::now();
            person.city.update(0);
            if (person.city.lastBatchSent() != before)
                sentAt[i][person.city.lastBatchSent()] = sending;
        };
        while (Clock::now() < start + std::chrono::seconds(runSeconds)) {
            for (size_t i = 0; i < people.size(); ++i) {
                const Clock::time_point now = Clock::now();
                if (!watching[i]) {
                    change(i, now);
                    continue;
                }
                if (now < nextFrame[i])
                    continue;
                // A frame that fell behind starts the cadence again from now.
                nextFrame[i] = std::max(nextFrame[i] + FramePeriod, now);
                rebuildTouched(*people[i]->world.core.map);
                change(i, now);
                const Clock::time_point shown = Clock::now();
                for (Clock::time_point sent : toShow[i])
                    frameDelaysMs.push_back(millisecondsBetween(sent, shown));
                toShow[i].swap(appliedNow[i]);
                appliedNow[i].clear();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        // Everything sent comes back to its sender and reaches every other person.
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        size_t total = 0;
        for (;;) {
            total = 0;
            for (size_t i = 0; i < people.size(); ++i)
                total += own[i];
            bool settled = true;
            for (size_t j = 0; j < people.size(); ++j) {
                people[j]->city.update(1);
                settled = settled && returned[j] == people[j]->city.lastBatchSent() &&
                          received[j] == total - own[j];
            }
            if (settled || Clock::now() > deadline)
                break;
        }
        size_t lost = 0;
        for (size_t j = 0; j < people.size(); ++j)
            lost += total - own[j] - std::min(received[j], total - own[j]);
        for (auto& person : people)
            person->city.leave(false);
        server.join();
        state.counters["changes"] = static_cast<double>(server.server.changesApplied());
        state.counters["server_us_per_change"] =
            server.cpuSeconds * 1e6 / std::max<double>(1.0, server.server.changesApplied());
        state.counters["largest_delay_ms"] = largestDelayMs;
        state.counters["lost"] = static_cast<double>(lost);
        if (frames && !frameDelaysMs.empty()) {
            std::sort(frameDelaysMs.begin(), frameDelaysMs.end());
            state.counters["frame_delay_largest_ms"] = frameDelaysMs.back();
            state.counters["frame_delay_median_ms"] = frameDelaysMs[frameDelaysMs.size() / 2];
            state.counters["frame_delay_p99_ms"] = frameDelaysMs[frameDelaysMs.size() * 99 / 100];
            state.counters["batches_shown"] = static_cast<double>(frameDelaysMs.size());
        }
    }
}

void BM_SixteenPeopleFiftyChangesASecond(benchmark::State& state) {
    runLoad(state, false);
}

void BM_SixteenPeopleFiftyChangesASecondToTheFrame(benchmark::State& state) {
    runLoad(state, true);
}

// Each person in a process of its own, as sixteen programs would be: one
// person building the city it received does not hold up the others (and
// the world code keeps scratch space per process, not per thread).
void BM_SixteenJoinA200SectorCity(benchmark::State& state) {
    Vector3 eye, direction;
    buildCity(&eye, &direction, 20);
    const std::vector<uint8_t> city = MapFile::snapshotWorld(*stage().map, *stage().core->sprites);
    double largest = 0.0;
    int sectors = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ServerThread server;
        MapFormat::WorldRecords records;
        MapFormat::parseWorld(city.data(), city.size(), &records, nullptr);
        server.world.core.map->replaceSectors(std::move(records.sectors));
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            std::abort();
        state.ResumeTiming();
        const auto start = Clock::now();
        std::vector<pid_t> children;
        for (int i = 0; i < People; ++i) {
            const pid_t child = fork();
            if (child == 0) {
                std::vector<std::unique_ptr<Person>> one;
                one.push_back(std::make_unique<Person>());
                double result[2] = {-1.0, 0.0};
                if (joinAll(one, server.server.port())) {
                    result[0] =
                        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                    result[1] = one[0]->world.core.map->sectorCount();
                }
                if (write(pipeEnds[1], result, sizeof result) != sizeof result)
                    _exit(1);
                one[0]->city.leave(true);
                _exit(0);
            }
            children.push_back(child);
        }
        server.run();
        for (int i = 0; i < People; ++i) {
            double result[2] = {-1.0, 0.0};
            if (read(pipeEnds[0], result, sizeof result) != sizeof result || result[0] < 0) {
                state.SkipWithError("people did not join");
                break;
            }
            largest = std::max(largest, result[0]);
            sectors = static_cast<int>(result[1]);
        }
        state.PauseTiming();
        for (pid_t child : children)
            waitpid(child, nullptr, 0);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        server.join();
        state.ResumeTiming();
    }
    state.counters["largest_join_ms"] = largest;
    state.counters["sectors"] = sectors;
    state.counters["city_kb"] = static_cast<double>(city.size()) / 1024.0;
    state.counters["sent_kb"] = static_cast<double>(Protocol::packCity(city).size()) / 1024.0;
}

}  // namespace

BENCHMARK(BM_SixteenPeopleFiftyChangesASecond)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_SixteenPeopleFiftyChangesASecondToTheFrame)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_SixteenJoinA200SectorCity)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
