#include "net/CityKeeper.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "net/ChangeApplier.h"
#include "world/CityPictureFolder.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

using JournalFormat::Anchor;
using JournalFormat::Entry;

namespace {

// Records written ahead while no write is due, a few every WarmEvery (a
// sector still being edited waits until it rests); and, once one is due,
// those still to write before the snapshot is taken, so that the snapshot's
// own tick writes only what changed since: as many a tick as take about
// CatchUpBudget (a record of a large sector takes about a millisecond).
constexpr int32_t WarmSectors = 4;
constexpr auto WarmEvery = std::chrono::milliseconds(20);
constexpr auto CatchUpBudget = std::chrono::milliseconds(3);
constexpr int32_t MostCatchUpSectors = 256;

}  // namespace

CityKeeper::CityKeeper(std::string path, TamoMap& map, TamoSpriteObjectSet& sprites,
                       WorldHost& host, std::ostream& log, uint32_t writeIntervalMilliseconds)
        : path(path), map(map), sprites(sprites), host(host), log(log),
          interval(writeIntervalMilliseconds), journal(path + ".journal"), writer(path, journal) {}

CityKeeper::~CityKeeper() = default;

std::string CityKeeper::setAside() {
    namespace fs = std::filesystem;
    std::string aside = journal.path() + ".bad";
    std::error_code error;
    for (int n = 2; fs::exists(aside, error); ++n)
        aside = journal.path() + ".bad." + std::to_string(n);
    fs::create_hard_link(journal.path(), aside, error);
    if (error)
        fs::copy_file(journal.path(), aside, error);
    return error ? std::string() : aside;
}

bool CityKeeper::open(CityPictures* pictures, std::string* why) {
    JournalFormat::Contents contents;
    if (!JournalFormat::read(journal.path(), &contents, why)) {
        *why = journal.path() + " cannot be read: " + *why;
        return false;
    }
    const WorldFileStamp city = WorldFileStamp::of(path);
    onDisk = city.known;
    // The last anchor naming the city file as it is: the file holds every
    // batch up to its seq, and the batches after it are to be applied.
    const Entry* anchor = nullptr;
    for (const Entry& entry : contents.entries)
        if ((entry.type == Entry::Base || entry.type == Entry::Checkpoint) &&
            JournalFormat::sameFile(entry.anchor.city, city))
            anchor = &entry;
    const uint64_t baseSeq = anchor ? anchor->anchor.seq : 0;
    std::vector<std::vector<uint8_t>> carried;
    size_t batches = 0, changes = 0, dropped = 0, pictureCount = 0, droppedPictures = 0;
    ChangeApplier applier(map, sprites, host);
    const int32_t loadedNextId = sprites.getNextId();
    if (anchor)
        sprites.setNextId(std::max(sprites.getNextId(), anchor->anchor.nextSpriteId));
    for (const Entry& entry : contents.entries) {
        if (entry.type != Entry::Batch && entry.type != Entry::Picture)
            continue;
        if (!anchor) {
            ++(entry.type == Entry::Batch ? dropped : droppedPictures);
            continue;
        }
        if (entry.type == Entry::Picture) {
            // Every picture goes on in the new journal until a write puts it
            // in the folder; one from before the anchor is numbered anew.
            pictures->put(entry.texture, entry.png);
            unwritten.put(entry.texture, entry.png);
            carried.push_back(
                entry.anchor.seq >= baseSeq
                    ? entry.record
                    : JournalFormat::pictureRecord(baseSeq, entry.texture, *entry.png));
            ++pictureCount;
            continue;
        }
        if (entry.anchor.seq <= baseSeq)
            continue;  // already in the city file
        for (const Protocol::Change& change : entry.changes)
            applier.apply(change);
        carried.push_back(entry.record);
        ++batches;
        changes += entry.changes.size();
    }
    const std::string& name = journal.path();
    const bool present = contents.present;
    const std::string aside = present && (!contents.damage.empty() || dropped + droppedPictures > 0)
                                  ? setAside()
                                  : std::string();
    const std::string kept =
        aside.empty() ? std::string() : " (the whole journal is kept as " + aside + ")";
    if (present && !contents.damage.empty())
        log << name << ": " << contents.damage << "; the records before it are applied, the "
            << contents.fileBytes - contents.soundBytes << " bytes from there on are dropped"
            << kept << std::endl;
    const auto andPictures = [](size_t count) {
        return count > 0 ? " and " + std::to_string(count) + " pictures" : std::string();
    };
    if (dropped + droppedPictures > 0)
        log << name << " does not follow " << path << " as it is now (the file was replaced "
            << "since): its " << dropped << " batches" << andPictures(droppedPictures)
            << " are not applied" << kept << std::endl;
    if (batches + pictureCount > 0)
        log << "applied " << batches << " batches (" << changes << " changes)"
            << andPictures(pictureCount) << " from " << name << std::endl;

    Anchor base;
    base.seq = baseSeq;
    base.nextSpriteId = anchor ? std::max(loadedNextId, anchor->anchor.nextSpriteId) : loadedNextId;
    base.city = city;
    if (!journal.start(base, carried, base.seq + batches, why)) {
        *why = journal.path() + " cannot be written: " + *why;
        return false;
    }
    // The journal holds them again; the folder gets them before anyone joins.
    std::string fault;
    if (CityPictureFolder::write(path, unwritten, &fault))
        unwritten = CityPictures();
    else
        log << "could not write the pictures of " << path << ": " << fault
            << " (the journal keeps them)" << std::endl;
    writtenSeq = base.seq;
    seq = base.seq + batches;
    // The journal is cut once the city holds what it gave.
    asked = batches > 0 || pictureCount > 0;
    lastWrite = nextWarm = Clock::now();
    return true;
}

void CityKeeper::record(uint32_t author, const std::vector<Protocol::Change>& changes) {
    if (changes.empty())
        return;
    ++seq;
    journal.append(seq, JournalFormat::batchRecord(seq, author, changes));
}

void CityKeeper::recordPicture(int32_t texture, const CityPictures::Bytes& png) {
    if (!png || png->empty())
        return;
    unwritten.put(texture, png);
    journal.append(seq, JournalFormat::pictureRecord(seq, texture, *png));
}

void CityKeeper::tellReports() {
    std::string text;
    while (journal.takeNotice(&text))
        log << text << std::endl;
    CityWriter::Result result;
    if (!writer.takeResult(&result))
        return;
    if (result.written) {
        writtenSeq = result.anchor.seq;
        onDisk = true;
        for (const auto& [texture, entry] : writingPictures.entries()) {
            const CityPictures::Entry* now = unwritten.find(texture);
            if (now && now->hash == entry.hash)
                unwritten.erase(texture);
        }
        const size_t newPictures = writingPictures.entries().size();
        writingPictures = CityPictures();
        log << "wrote " << path << ": " << result.sectors << " sectors, " << result.sprites
            << " sprite objects"
            << (newPictures > 0 ? ", " + std::to_string(newPictures) + " new pictures" : "")
            << std::endl;
    } else {
        journal.stopKeeping();
        writingPictures = CityPictures();
        log << "could not write " << path << ": " << result.why << std::endl;
    }
}

bool CityKeeper::startWrite() {
    CityWriter::Job job;
    lastWrite = Clock::now();
    asked = false;
    if (!snapshots.take(map, sprites, &job.bytes)) {
        log << "could not write " << path << ": there is not enough memory for the snapshot"
            << std::endl;
        return false;
    }
    job.anchor.seq = seq;
    job.anchor.nextSpriteId = sprites.getNextId();
    job.sectors = map.sectorCount();
    job.sprites = sprites.count();
    // Shared bytes: the copy costs a pointer a picture.
    job.pictures = writingPictures = unwritten;
    // The records after this snapshot are what the cut journal keeps.
    journal.keepForCut();
    writer.write(std::move(job));
    return true;
}

void CityKeeper::tick(bool writeAsked) {
    tellReports();
    asked = asked || writeAsked;
    if (writer.busy())
        return;
    const Clock::time_point now = Clock::now();
    const bool due =
        asked || ((seq != writtenSeq || !unwritten.empty()) && now - lastWrite >= interval);
    if (!due) {
        // Nothing to look for while no batch came since every record was kept.
        if (now >= nextWarm && (seq != warmSeq || !warmed)) {
            warmSeq = seq;
            warmed = snapshots.warm(map, WarmSectors);
            nextWarm = now + WarmEvery;
        }
        return;
    }
    const bool ready = snapshots.warm(map, catchUp, false);
    const auto spent = Clock::now() - now;
    if (spent > CatchUpBudget && catchUp > 1)
        catchUp /= 2;
    else if (spent < CatchUpBudget / 3 && catchUp < MostCatchUpSectors)
        catchUp *= 2;
    if (ready)
        startWrite();
}

bool CityKeeper::finish() {
    writer.waitIdle();
    tellReports();
    bool ok = true;
    if (seq != writtenSeq || !onDisk || !unwritten.empty()) {
        ok = startWrite();
        writer.waitIdle();
        tellReports();
        ok = ok && writtenSeq == seq && unwritten.empty();
    }
    journal.flush();
    return ok;
}
