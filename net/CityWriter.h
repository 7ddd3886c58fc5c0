#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "net/JournalFormat.h"
#include "world/CityPictures.h"
#include "world/WorldBytes.h"

class JournalWriter;

// Writes a served city's whole file on a thread of its own, from a snapshot
// (bytes that never change once made), so that the service loop goes on
// meanwhile. The pictures the city kept since the last write go first into
// its picture folder (CITY.textures/, each atomically). The file it replaces
// is kept as CITY.1 (a second name for the same bytes). The new file is
// written beside the city and synced; a
// checkpoint naming it goes into the journal and reaches the disk; only
// then does the file replace the city, atomically, and the journal is cut
// to what came after the snapshot. Whatever step a crash interrupts, the
// city file found at the next start is one the journal names.
class CityWriter {
public:
    // The steps a write reaches, for tests that stop it there as a crash
    // would (what is on disk stays as it is).
    enum class Step { FileSynced, CheckpointSynced, Replaced };

    struct Job {
        WorldBytes bytes;
        // The batches and next sprite id the snapshot holds; the identity
        // of the new file is filled in here.
        JournalFormat::Anchor anchor;
        int32_t sectors = 0;
        int32_t sprites = 0;
        // Those the picture folder may lack; the map is written only once
        // they are there.
        CityPictures pictures;
    };
    struct Result {
        bool written = false;
        std::string why;  // when not written
        JournalFormat::Anchor anchor;
        int32_t sectors = 0;
        int32_t sprites = 0;
    };

    CityWriter(std::string path, JournalWriter& journal);
    ~CityWriter();  // finishes the write in hand
    CityWriter(const CityWriter&) = delete;
    CityWriter& operator=(const CityWriter&) = delete;

    // Called as each step is reached; false stops the write there. Before
    // the first write.
    void setStepHook(std::function<bool(Step)> hook) { stepHook = std::move(hook); }

    // True from write until its result was taken.
    bool busy() const;
    // Hands a snapshot to the thread; only while not busy.
    void write(Job job);
    // The outcome of the write handed over, once it is done.
    bool takeResult(Result* result);
    void waitIdle();

private:
    void work();
    Result perform(Job& job);
    bool reached(Step step) const { return !stepHook || stepHook(step); }

    std::string path;
    JournalWriter& journal;
    std::function<bool(Step)> stepHook;

    mutable std::mutex mutex;
    std::condition_variable wake, done;
    bool haveJob = false, haveResult = false, stopping = false;
    Job job;
    Result result;
    std::thread worker;
};
