#pragma once
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "net/CityWriter.h"
#include "net/JournalWriter.h"
#include "net/Protocol.h"
#include "world/CityPictures.h"
#include "world/SnapshotCache.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHost;

// Keeps a served city on disk without holding up the service loop. Every
// batch the server applies goes into the journal beside the city
// (town.map.journal for town.map) before it is passed back, and is on disk
// one sync later (JournalWriter). The whole city is written on a thread of
// its own (CityWriter) from a snapshot whose sector records are kept from one
// snapshot to the next, every WriteIntervalMilliseconds while it changed and
// when asked; the journal is then cut to what came after the snapshot. A
// picture the city keeps goes into the journal the same way, before the
// batches that use it, and into the picture folder (CITY.textures/) with the
// next write, before the map: the journal is cut only once both are on disk.
// At start the journal is applied after the city as far as it is sound. One
// line on log per write, per fault and for what the start applied or
// dropped. Runs on the service loop's thread; once open, only the threads
// touch the disk.
class CityKeeper {
public:
    static constexpr uint32_t WriteIntervalMilliseconds = 30000;

    CityKeeper(std::string path, TamoMap& map, TamoSpriteObjectSet& sprites, WorldHost& host,
               std::ostream& log, uint32_t writeIntervalMilliseconds = WriteIntervalMilliseconds);
    ~CityKeeper();
    CityKeeper(const CityKeeper&) = delete;
    CityKeeper& operator=(const CityKeeper&) = delete;

    // After the city file was loaded into the world (or found missing) and
    // its picture folder into *pictures: applies the journal's batches that
    // the file lacks and its pictures (into *pictures and the folder), up to
    // the first damaged record (a journal with damage, or one that belongs
    // to another version of the file, is kept as CITY.journal.bad), and puts
    // a fresh journal in place. False, *why naming the fault, when the
    // journal cannot be read or written: the server must not start then.
    bool open(CityPictures* pictures, std::string* why);
    // A batch the server applied, before it is passed on.
    void record(uint32_t author, const std::vector<Protocol::Change>& changes);
    // A picture the server kept, before it is passed on.
    void recordPicture(int32_t texture, const CityPictures::Bytes& png);
    // The service loop's step: tells what the threads report, writes sector
    // records ahead, and starts a write when one is due or writeAsked.
    void tick(bool writeAsked);
    // At the end: writes the city when it changed since the last write (or
    // was never written, or a picture kept is not in the folder yet) and
    // waits for it; false when that failed (the journal still holds every
    // change and picture).
    bool finish();

    // Batches recorded since the start (those the journal gave included),
    // and the last of them on disk.
    uint64_t batchesRecorded() const { return seq; }
    uint64_t batchesDurable() const { return journal.durableSeq(); }
    // Whether a write of the whole city is under way.
    bool writing() const { return writer.busy(); }
    // For tests: see CityWriter::setStepHook.
    void setStepHook(std::function<bool(CityWriter::Step)> hook) {
        writer.setStepHook(std::move(hook));
    }

private:
    using Clock = std::chrono::steady_clock;

    void tellReports();
    bool startWrite();
    // Keeps the journal as it is under the first free name CITY.journal.bad...
    std::string setAside();

    std::string path;
    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHost& host;
    std::ostream& log;
    std::chrono::milliseconds interval;
    JournalWriter journal;
    CityWriter writer;
    SnapshotCache snapshots;
    uint64_t seq = 0;
    uint64_t writtenSeq = 0;  // what the city file holds
    bool onDisk = false;      // the city file exists
    bool asked = false;
    int32_t catchUp = 4;   // records written ahead a tick before a snapshot
    uint64_t warmSeq = 0;  // the batches when warm last found nothing left
    bool warmed = false;
    Clock::time_point lastWrite, nextWarm;
    // Pictures kept that the folder may lack, and those the write in hand
    // puts there.
    CityPictures unwritten, writingPictures;
};
