#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "world/SnapshotCache.h"
#include "world/WorldBytes.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// Unsaved work written aside every few seconds, so that a crash loses little:
// "autosave.map" in the program's state folder, in the map-file format,
// through the same atomic replacement as a save. The frame only takes the
// snapshot (the world's bytes in memory, each sector's record kept from the
// last snapshot unless it changed); a worker thread writes it. The
// file beside it, "autosave.name", holds the name of the world file the work
// belongs to. An advisory lock on "autosave.lock" keeps a second program from
// using the same files: it then autosaves nowhere.
class Autosave {
public:
    // $XDG_STATE_HOME/tamotown, else $HOME/.local/state/tamotown; empty when
    // neither variable is set.
    static std::string standardFolder();

    Autosave(std::string folder, uint32_t intervalMilliseconds);
    ~Autosave();  // waits for the worker; leaves the files alone
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // Creates the folder (mode 0700) and takes the lock; false (with *why)
    // when this program cannot autosave there.
    bool start(std::string* why);
    bool active() const { return lockHandle >= 0; }
    const std::string& path() const { return filePath; }
    // True when an autosave of an earlier run waits to be recovered.
    bool pending() const;
    // Its modification time (seconds since the epoch) and recorded world name.
    int64_t pendingTime() const;
    std::string pendingName() const;
    // The waiting autosave was recovered: it is this run's from now on (it
    // goes once the work is saved, and is rewritten after the next change).
    void adoptPending() { written = true; }
    // Moves a damaged autosave aside as "autosave.map.bad".
    void setAside();
    // Removes the autosave (and its name file), after what is queued.
    void remove();

    // The per-frame step: when the world has changes not yet written and the
    // interval since the last write has passed, snapshots it for the worker;
    // before that, writes a changed sector's record ahead now and then.
    // Removes the autosave when the world is unchanged again (saved).
    void tick(uint32_t now, const WorldHistory& history, const TamoMap& map,
              const TamoSpriteObjectSet& sprites, const std::string& worldName);
    // Writes the world now, on this thread (the end of a run that may not
    // lose it); true when written.
    bool writeNow(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                  const std::string& worldName);
    // Waits until the worker has written or removed everything queued.
    void waitIdle();

private:
    struct Job {
        bool remove = false;
        WorldBytes bytes;
        std::string name;
    };
    void queue(Job job);
    void work();
    void perform(const Job& job);

    std::string folder;
    std::string filePath;
    uint32_t interval;
    int lockHandle = -1;
    bool haveTime = false;
    uint32_t lastWrite = 0;
    uint64_t writtenState = 0;
    bool written = false;
    SnapshotCache snapshots;  // main thread only; the worker sees only parts

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::vector<Job> jobs;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};
