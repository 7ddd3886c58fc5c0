#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "world/SnapshotCache.h"
#include "world/WorldBytes.h"
#include "world/WorldFileStamp.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// Unsaved work written aside every few seconds, so that a crash loses little:
// in the program's state folder, in the map-file format, through the same
// atomic replacement as a save. The frame only takes the snapshot (the
// world's bytes in memory, each sector's record kept from the last snapshot
// unless it changed); a worker thread writes it.
//
// Each running program has a slot of its own, held by an advisory lock:
// slot 1 is "autosave.map" (with "autosave.name", the name of the world file
// the work belongs to and what that file was when last loaded or saved, and
// "autosave.lock"), slot N "autosave-N.map" and so on. A slot whose lock is
// free but whose autosave is there is an orphan: a program that ended
// without saving left it, and it is offered for recovery, the newest first.
// A slot whose lock is held is left alone.
class Autosave {
public:
    static constexpr int32_t MaxSlots = 16;

    // $XDG_STATE_HOME/tamotown, else $HOME/.local/state/tamotown; empty when
    // neither variable is set.
    static std::string standardFolder();
    // True once a last write (writeNow) failed in this process: the run must
    // not end as if nothing was lost.
    static bool finalWriteFailed();

    // An interval of 0 autosaves nothing, yet still offers orphans.
    Autosave(std::string folder, uint32_t intervalMilliseconds);
    ~Autosave();  // waits for the worker; leaves the files alone
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // Creates the folder (mode 0700), takes the first free slot, finds the
    // orphans and removes temporary files that interrupted writes left
    // there; false (with *why) when this program cannot autosave.
    bool start(std::string* why);
    bool active() const { return lockHandle >= 0; }
    // False for an interval of 0: nothing is written, not even at the end.
    bool writes() const { return interval > 0; }
    int32_t slot() const { return slotNumber; }
    const std::string& path() const { return filePath; }

    // True while an orphan waits to be offered; the functions below describe
    // and handle the newest one.
    bool pending() const { return !orphans.empty(); }
    // Its modification time (seconds since the epoch), recorded world name
    // (without an orphan: that of this run's own autosave), path.
    int64_t pendingTime() const;
    std::string pendingName() const;
    // The recorded world file with what it was when the work was last loaded
    // or saved, so that a save of the recovered work notices another
    // program's save meanwhile (only the name and the file's present state
    // for an autosave that recorded no more).
    WorldFileStamp pendingFile() const;
    std::string pendingPath() const;
    // The orphan was recovered: its slot becomes this run's (the files go
    // once the work is saved, and are rewritten after the next change); the
    // other orphans are left for a later start.
    void adoptPending();
    // The user chose not to recover it: kept as "<autosave>.discarded" (one
    // generation), and the next orphan is up.
    void discardPending();
    // A damaged orphan is moved aside as "<autosave>.bad" (or, when that is
    // taken, "<autosave>.<time>.bad"); the next orphan is up. Returns the name.
    std::string setAside();
    // Removes this run's autosave (and its name file), after what is queued.
    void remove();

    // The per-frame step: when the world has changes not yet on disk and the
    // interval since the last write has passed, snapshots it for the worker;
    // before that, writes a changed sector's record ahead now and then.
    // Removes the autosave when the world is unchanged again (saved). A
    // failed write is tried again after the next interval.
    void tick(uint32_t now, const WorldHistory& history, const TamoMap& map,
              const TamoSpriteObjectSet& sprites, const WorldFileStamp& worldFile);
    // Writes the world now, on this thread (the end of a run that may not
    // lose it); true when it is on disk, else *why (when given) says why.
    bool writeNow(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                  const WorldFileStamp& worldFile, std::string* why = nullptr);
    // The end of a run that may not lose its work: writes it now when it is
    // unsaved (unless the interval is 0), saying on stderr where, or why it
    // could not; false then.
    bool keepUnsavedWork(const WorldHistory& history, const TamoMap& map,
                         const TamoSpriteObjectSet& sprites);
    // Waits until the worker has written or removed everything queued.
    void waitIdle();
    // Something to tell the user once (a failed autosave with its reason, an
    // autosave that works again, a slot other than the first): the caption
    // and its second line; false when there is nothing new.
    bool takeNotice(std::string* text, std::string* detail);

private:
    struct Job {
        bool remove = false;
        WorldBytes bytes;
        WorldFileStamp file;
        uint64_t changes = 0;
    };
    struct Orphan {
        int32_t slot = 0;
        int64_t time = 0;
        int lockHandle = -1;  // -1: this run's own slot
    };
    std::string mapPathOf(int32_t slot) const;
    std::string namePathOf(int32_t slot) const;
    void findOrphans();
    void dropFrontOrphan();
    void queue(Job job);
    void work();
    // Writes or removes; false with *why when the autosave is not on disk.
    bool perform(const Job& job, std::string* why);
    void collectResult();
    void notice(const std::string& text, const std::string& detail);

    std::string folder;
    std::string filePath;
    uint32_t interval;
    int32_t slotNumber = 0;
    int lockHandle = -1;
    bool haveTime = false;
    uint32_t lastWrite = 0;
    // The change count of the snapshot queued or on disk; invalid after a
    // failure, so that the next interval tries again.
    uint64_t queuedChanges = 0;
    bool queuedValid = false;
    bool written = false;  // this run's autosave file exists (or is queued)
    bool failing = false;
    std::vector<Orphan> orphans;  // newest first
    std::string noticeText, noticeDetail;
    SnapshotCache snapshots;  // main thread only; the worker sees only parts

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::vector<Job> jobs;
    bool busy = false;
    bool stopping = false;
    // What the worker reports of its last write (under mutex).
    bool resultWaiting = false;
    bool resultWritten = false;
    std::string resultWhy;
    std::thread worker;
};
