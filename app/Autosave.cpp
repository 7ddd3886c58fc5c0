#include "app/Autosave.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "app/UserFolder.h"
#include "media/FileStream.h"
#include "world/MapFile.h"
#include "world/WorldHistory.h"

namespace {

// Records written ahead per quiet frame: a 200-sector city is ready within a
// few seconds, at well under a millisecond a frame.
constexpr int32_t WarmSectorsPerFrame = 1;

std::atomic<bool> lastWriteFailed{false};

// Makes every missing folder of path with mode 0700.
bool makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The slot's files differ only in their stem: "autosave" or "autosave-N".
std::string stemOf(int32_t slot) {
    return slot <= 1 ? std::string("autosave") : "autosave-" + std::to_string(slot);
}

// Takes the lock at path without waiting; its handle, or -1 when another
// program holds it or it cannot be opened.
int takeLock(const std::string& path) {
    const int handle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle < 0)
        return -1;
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
        close(handle);
        return -1;
    }
    return handle;
}

bool regularFile(const std::string& path, int64_t* time) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    *time = static_cast<int64_t>(info.st_mtime);
    return true;
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

}  // namespace

std::string Autosave::standardFolder() {
    return UserFolder::state();
}

bool Autosave::finalWriteFailed() {
    return lastWriteFailed;
}

Autosave::Autosave(std::string folder, uint32_t intervalMilliseconds)
        : folder(std::move(folder)), interval(intervalMilliseconds) {
    filePath = mapPathOf(1);
}

Autosave::~Autosave() {
    if (worker.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        worker.join();
    }
    for (const Orphan& orphan : orphans)
        if (orphan.lockHandle >= 0)
            close(orphan.lockHandle);
    if (lockHandle >= 0)
        close(lockHandle);  // also releases the lock
}

std::string Autosave::mapPathOf(int32_t slot) const {
    return folder + "/" + stemOf(slot) + ".map";
}

std::string Autosave::namePathOf(int32_t slot) const {
    return folder + "/" + stemOf(slot) + ".name";
}

bool Autosave::start(std::string* why) {
    if (folder.empty() || !makeFolders(folder)) {
        *why = "the folder " + (folder.empty() ? std::string("(no HOME)") : folder) +
               " cannot be made";
        return false;
    }
    for (int32_t slot = 1; slot <= MaxSlots && lockHandle < 0; ++slot) {
        lockHandle = takeLock(folder + "/" + stemOf(slot) + ".lock");
        slotNumber = lockHandle >= 0 ? slot : 0;
    }
    if (lockHandle < 0) {
        *why = "every autosave slot in " + folder + " is in use or cannot be locked";
        return false;
    }
    filePath = mapPathOf(slotNumber);
    findOrphans();
    // What interrupted writes left in the slots this run holds.
    FileStream::removeStaleTemporaries(filePath, 0);
    FileStream::removeStaleTemporaries(namePathOf(slotNumber), 0);
    for (const Orphan& orphan : orphans) {
        FileStream::removeStaleTemporaries(mapPathOf(orphan.slot), 0);
        FileStream::removeStaleTemporaries(namePathOf(orphan.slot), 0);
    }
    if (slotNumber > 1 && writes())
        notice("AUTOSAVE SLOT " + std::to_string(slotNumber), baseName(filePath));
    worker = std::thread([this] { work(); });
    return true;
}

void Autosave::findOrphans() {
    for (int32_t slot = 1; slot <= MaxSlots; ++slot) {
        Orphan orphan;
        orphan.slot = slot;
        if (!regularFile(mapPathOf(slot), &orphan.time))
            continue;
        if (slot != slotNumber) {
            // A held lock: a running program's work.
            orphan.lockHandle = takeLock(folder + "/" + stemOf(slot) + ".lock");
            if (orphan.lockHandle < 0)
                continue;
        }
        orphans.push_back(orphan);
    }
    std::stable_sort(orphans.begin(), orphans.end(),
                     [](const Orphan& a, const Orphan& b) { return a.time > b.time; });
}

int64_t Autosave::pendingTime() const {
    return orphans.empty() ? 0 : orphans.front().time;
}

std::string Autosave::pendingName() const {
    return pendingFile().name;
}

// The name file: the world file's name on the first line; on the second, when
// the file was known, its device, inode, size and modification time.
WorldFileStamp Autosave::pendingFile() const {
    std::ifstream in(namePathOf(orphans.empty() ? slotNumber : orphans.front().slot));
    std::string name, identity;
    std::getline(in, name);
    std::getline(in, identity);
    WorldFileStamp file;
    file.name = name;
    std::istringstream fields(identity);
    fields >> file.device >> file.inode >> file.size >> file.modifiedSeconds >>
        file.modifiedNanoseconds;
    file.known = !name.empty() && !fields.fail();
    return file.known ? file : WorldFileStamp::of(name);
}

std::string Autosave::pendingPath() const {
    return orphans.empty() ? std::string() : mapPathOf(orphans.front().slot);
}

void Autosave::dropFrontOrphan() {
    if (orphans.empty())
        return;
    if (orphans.front().lockHandle >= 0)
        close(orphans.front().lockHandle);
    orphans.erase(orphans.begin());
}

void Autosave::adoptPending() {
    if (orphans.empty())
        return;
    Orphan& orphan = orphans.front();
    if (orphan.slot != slotNumber) {
        // Its slot becomes this run's; the run's first slot is free again.
        close(lockHandle);
        lockHandle = orphan.lockHandle;
        orphan.lockHandle = -1;
        slotNumber = orphan.slot;
        filePath = mapPathOf(slotNumber);
    }
    while (!orphans.empty())
        dropFrontOrphan();
    written = true;
    queuedValid = false;
}

void Autosave::discardPending() {
    if (orphans.empty())
        return;
    const std::string map = mapPathOf(orphans.front().slot);
    const std::string name = namePathOf(orphans.front().slot);
    std::rename(map.c_str(), (map + ".discarded").c_str());
    std::rename(name.c_str(), (name + ".discarded").c_str());
    dropFrontOrphan();
}

std::string Autosave::setAside() {
    if (orphans.empty())
        return std::string();
    const std::string map = mapPathOf(orphans.front().slot);
    std::string bad = map + ".bad";
    struct stat info;
    if (lstat(bad.c_str(), &info) == 0) {
        // An earlier damaged one keeps its name: this one is named by its time.
        char stamp[32] = "0";
        const std::time_t when = static_cast<std::time_t>(orphans.front().time);
        if (const std::tm* local = std::localtime(&when))
            std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
        bad = map + "." + stamp + ".bad";
        for (int32_t n = 2; lstat(bad.c_str(), &info) == 0; ++n)
            bad = map + "." + stamp + "-" + std::to_string(n) + ".bad";
    }
    std::rename(map.c_str(), bad.c_str());
    std::remove(namePathOf(orphans.front().slot).c_str());
    dropFrontOrphan();
    return bad;
}

void Autosave::remove() {
    if (!written)
        return;  // never another run's files
    written = false;
    queuedValid = false;
    Job job;
    job.remove = true;
    queue(std::move(job));
}

void Autosave::tick(uint32_t now, const WorldHistory& history, const TamoMap& map,
                    const TamoSpriteObjectSet& sprites, const WorldFileStamp& worldFile) {
    if (!active() || interval == 0)
        return;
    collectResult();
    if (!haveTime) {
        haveTime = true;
        lastWrite = now;
    }
    if (!history.isModified()) {
        if (written)
            remove();  // the work is saved: nothing to recover any more
        lastWrite = now;
        return;
    }
    // Changes, not actions: an action still open (a stroke, a drag, a name
    // being typed) goes on changing the world under one state.
    const uint64_t changes = history.changeCount();
    if (queuedValid && queuedChanges == changes)
        return;
    if (now - lastWrite < interval) {
        // A record or two written on a quiet frame, so that the snapshot's
        // frame finds them ready (after a load, none is).
        snapshots.warm(map, WarmSectorsPerFrame);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (busy || !jobs.empty())
            return;  // the worker is still at the last one; try next frame
    }
    lastWrite = now;
    Job job;
    job.file = worldFile;
    job.changes = changes;
    if (!snapshots.take(map, sprites, &job.bytes)) {
        std::lock_guard<std::mutex> lock(mutex);
        resultWaiting = true;
        resultWritten = false;
        resultWhy = "there is not enough memory for the snapshot";
        return;
    }
    queuedChanges = changes;
    queuedValid = true;
    written = true;
    queue(std::move(job));
}

bool Autosave::writeNow(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                        const WorldFileStamp& worldFile, std::string* why) {
    std::string reason = "this run has no autosave slot";
    bool ok = false;
    if (active()) {
        waitIdle();
        Job job;
        job.file = worldFile;
        if (!snapshots.take(map, sprites, &job.bytes))
            reason = "there is not enough memory for the snapshot";
        else
            ok = perform(job, &reason);
        written = written || ok;
    }
    if (!ok) {
        lastWriteFailed = true;
        if (why)
            *why = reason;
    }
    return ok;
}

bool Autosave::keepUnsavedWork(const WorldHistory& history, const TamoMap& map,
                               const TamoSpriteObjectSet& sprites) {
    if (!writes() || !history.isModified())
        return true;
    std::string why;
    if (writeNow(map, sprites, history.worldFile(), &why)) {
        std::fprintf(stderr, "tamotown: the unsaved work is autosaved in %s\n", filePath.c_str());
        return true;
    }
    std::fprintf(stderr, "tamotown: the unsaved work could not be autosaved to %s: %s\n",
                 filePath.c_str(), why.c_str());
    return false;
}

void Autosave::queue(Job job) {
    if (!active())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back(std::move(job));
    }
    wake.notify_all();
}

void Autosave::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return jobs.empty() && !busy; });
}

void Autosave::work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty())
            return;  // stopping with nothing left to write
        Job job = std::move(jobs.front());
        jobs.erase(jobs.begin());
        busy = true;
        lock.unlock();
        std::string why;
        const bool ok = perform(job, &why);
        const bool report = !job.remove;
        job = Job();  // lets go of the parts the snapshots do not keep
        lock.lock();
        if (report) {
            resultWaiting = true;
            resultWritten = ok;
            resultWhy = why;
        }
        busy = false;
        idle.notify_all();
    }
}

bool Autosave::perform(const Job& job, std::string* why) {
    // The slot changes only while nothing is queued (at start).
    const std::string namePath = namePathOf(slotNumber);
    if (job.remove) {
        std::remove(filePath.c_str());
        std::remove(namePath.c_str());
        return true;
    }
    if (!MapFile::saveBytes(filePath.c_str(), job.bytes, why))
        return false;
    std::string line = job.file.name + "\n";
    if (job.file.known)
        line += std::to_string(job.file.device) + " " + std::to_string(job.file.inode) + " " +
                std::to_string(job.file.size) + " " + std::to_string(job.file.modifiedSeconds) +
                " " + std::to_string(job.file.modifiedNanoseconds) + "\n";
    if (!MapFile::saveBytes(namePath.c_str(), std::vector<uint8_t>(line.begin(), line.end()),
                            why)) {
        *why = "the name file: " + *why;
        return false;
    }
    return true;
}

void Autosave::collectResult() {
    bool ok = false;
    std::string why;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!resultWaiting)
            return;
        resultWaiting = false;
        ok = resultWritten;
        why = resultWhy;
    }
    if (!ok) {
        queuedValid = false;  // tried again after the next interval
        if (!failing) {
            std::fprintf(stderr, "tamotown: autosaving to %s failed: %s\n", filePath.c_str(),
                         why.c_str());
            notice("AUTOSAVE FAILED", why);
        }
        failing = true;
    } else if (failing) {
        failing = false;
        std::fprintf(stderr, "tamotown: autosaving to %s works again\n", filePath.c_str());
        notice("AUTOSAVE OK", baseName(filePath));
    }
}

void Autosave::notice(const std::string& text, const std::string& detail) {
    noticeText = text;
    noticeDetail = detail;
}

bool Autosave::takeNotice(std::string* text, std::string* detail) {
    collectResult();
    if (noticeText.empty())
        return false;
    *text = noticeText;
    *detail = noticeDetail;
    noticeText.clear();
    noticeDetail.clear();
    return true;
}
