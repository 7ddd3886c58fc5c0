#include "app/Autosave.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "world/MapFile.h"
#include "world/WorldHistory.h"

namespace {

// Records written ahead per quiet frame: a 200-sector city is ready within a
// few seconds, at well under a millisecond a frame.
constexpr int32_t WarmSectorsPerFrame = 1;

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

}  // namespace

std::string Autosave::standardFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/tamotown";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/state/tamotown";
    return std::string();
}

Autosave::Autosave(std::string folder, uint32_t intervalMilliseconds)
        : folder(std::move(folder)), interval(intervalMilliseconds) {
    filePath = this->folder + "/autosave.map";
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
    if (lockHandle >= 0)
        close(lockHandle);  // also releases the lock
}

bool Autosave::start(std::string* why) {
    if (folder.empty() || !makeFolders(folder)) {
        *why = "the folder " + (folder.empty() ? std::string("(no HOME)") : folder) +
               " cannot be made";
        return false;
    }
    const std::string lockPath = folder + "/autosave.lock";
    const int handle = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle < 0) {
        *why = lockPath + " cannot be opened";
        return false;
    }
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
        close(handle);
        *why = "another Tamotown autosaves to " + filePath;
        return false;
    }
    lockHandle = handle;
    worker = std::thread([this] { work(); });
    return true;
}

bool Autosave::pending() const {
    struct stat info;
    return active() && stat(filePath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t Autosave::pendingTime() const {
    struct stat info;
    return stat(filePath.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_mtime) : 0;
}

std::string Autosave::pendingName() const {
    std::ifstream in(folder + "/autosave.name");
    std::string name;
    std::getline(in, name);
    return name;
}

void Autosave::setAside() {
    std::rename(filePath.c_str(), (filePath + ".bad").c_str());
    std::remove((folder + "/autosave.name").c_str());
}

void Autosave::remove() {
    written = false;
    Job job;
    job.remove = true;
    queue(std::move(job));
}

void Autosave::tick(uint32_t now, const WorldHistory& history, const TamoMap& map,
                    const TamoSpriteObjectSet& sprites, const std::string& worldName) {
    if (!active() || interval == 0)
        return;
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
    if (written && history.currentState() == writtenState)
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
    job.name = worldName;
    if (!snapshots.take(map, sprites, &job.bytes))
        return;
    writtenState = history.currentState();
    written = true;
    queue(std::move(job));
}

bool Autosave::writeNow(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                        const std::string& worldName) {
    if (!active())
        return false;
    waitIdle();
    Job job;
    job.name = worldName;
    if (!snapshots.take(map, sprites, &job.bytes))
        return false;
    perform(job);
    return true;
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
        perform(job);
        job = Job();  // lets go of the parts the snapshots do not keep
        lock.lock();
        busy = false;
        idle.notify_all();
    }
}

void Autosave::perform(const Job& job) {
    const std::string namePath = folder + "/autosave.name";
    if (job.remove) {
        std::remove(filePath.c_str());
        std::remove(namePath.c_str());
        return;
    }
    std::string why;
    if (!MapFile::saveBytes(filePath.c_str(), job.bytes, &why)) {
        std::fprintf(stderr, "tamotown: autosaving to %s failed: %s\n", filePath.c_str(),
                     why.c_str());
        return;
    }
    std::ofstream(namePath, std::ios::trunc) << job.name << "\n";
}
