#include "net/CityWriter.h"

#include <filesystem>

#include "media/FileStream.h"
#include "net/JournalWriter.h"
#include "world/CityPictureFolder.h"
#include "world/MapFile.h"

namespace {

// The city goes to disk a stretch at a time, so that the journal's syncs
// meanwhile wait behind little of it.
constexpr int64_t WriteBehindBytes = 8 << 20;

// The file as it is becomes path.1 (a second name for the same bytes, put in
// place atomically).
bool keepPrevious(const std::string& path, std::string* why) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(path, error))
        return true;
    const std::string keep = path + ".1";
    const std::string next = keep + ".new";
    fs::remove(next, error);
    fs::create_hard_link(path, next, error);
    if (error)
        fs::copy_file(path, next, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(next, keep, error);
    if (error) {
        *why = "the previous version cannot be kept as " + keep + " (" + error.message() + ")";
        return false;
    }
    return true;
}

}  // namespace

CityWriter::CityWriter(std::string path, JournalWriter& journal)
        : path(std::move(path)), journal(journal) {
    worker = std::thread([this] { work(); });
}

CityWriter::~CityWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

bool CityWriter::busy() const {
    std::lock_guard<std::mutex> lock(mutex);
    return haveJob || haveResult;
}

void CityWriter::write(Job next) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (haveJob || haveResult)
            return;
        job = std::move(next);
        haveJob = true;
    }
    wake.notify_all();
}

bool CityWriter::takeResult(Result* out) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!haveResult)
        return false;
    *out = std::move(result);
    haveResult = false;
    return true;
}

void CityWriter::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [this] { return !haveJob; });
}

void CityWriter::work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || haveJob; });
        if (!haveJob)
            return;
        lock.unlock();
        Result outcome = perform(job);
        job = Job();  // lets go of the parts the snapshots do not keep
        lock.lock();
        result = std::move(outcome);
        haveResult = true;
        haveJob = false;
        done.notify_all();
    }
}

CityWriter::Result CityWriter::perform(Job& current) {
    Result outcome;
    outcome.anchor = current.anchor;
    outcome.sectors = current.sectors;
    outcome.sprites = current.sprites;
    // The pictures before the map that uses them; the journal keeps them
    // until the cut.
    if (!CityPictureFolder::write(path, current.pictures, &outcome.why) ||
        !keepPrevious(path, &outcome.why))
        return outcome;
    const bool replaced = MapFile::saveBytes(
        path.c_str(), current.bytes, &outcome.why,
        [&](const WorldFileStamp& next) {
            outcome.anchor.city = next;
            if (!reached(Step::FileSynced)) {
                outcome.why = "stopped before the checkpoint";
                return false;
            }
            if (!journal.checkpoint(outcome.anchor)) {
                outcome.why = "the journal " + journal.path() + " cannot be written";
                return false;
            }
            if (!reached(Step::CheckpointSynced)) {
                outcome.why = "stopped before the city was replaced";
                return false;
            }
            return true;
        },
        WriteBehindBytes);
    if (!replaced)
        return outcome;
    outcome.written = true;
    if (!reached(Step::Replaced))
        return outcome;
    journal.cut(outcome.anchor);
    FileStream::removeStaleTemporaries(path, FileStream::StaleTemporarySeconds);
    return outcome;
}
