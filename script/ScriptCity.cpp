#include "script/ScriptCity.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#include "world/EditBatch.h"
#include "world/StampFile.h"

namespace {

void say(char* why, const std::string& text) {
    std::snprintf(why, ScriptCity::WhyBytes, "%s", text.c_str());
}

bool endsWithMap(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".map";
}

// The real path of an existing file or folder, or empty.
std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

}  // namespace

ScriptCity::ScriptCity(EditBatch& batch_, const Surroundings& surroundings,
                       const ScriptLimits& limits)
        : batch(batch_), around(surroundings), limit(limits) {}

bool ScriptCity::textureLoaded(int32_t texture) const {
    return !around.textureLoaded || around.textureLoaded(texture);
}

size_t ScriptCity::changes() const {
    return batch.changes();
}

ScriptCity::Outcome ScriptCity::edit(const std::function<void(EditBatch&)>& change,
                                     int64_t* changed, char* why) {
    const size_t before = batch.changes();
    try {
        change(batch);
    } catch (const ChangeLog::LimitReached&) {
        say(why, "the script made more than " + std::to_string(limit.changes) + " changes");
        return Outcome::Stopped;
    } catch (const std::bad_alloc&) {
        say(why, "there is not enough memory for the script's changes");
        return Outcome::Stopped;
    }
    *changed = static_cast<int64_t>(batch.changes() - before);
    return Outcome::Done;
}

ScriptCity::Outcome ScriptCity::get(int32_t x, int32_t y, int32_t z,
                                    FaceMaterial faces[BlockFaceCount], bool* found, char* why) {
    int64_t unused = 0;
    return edit(
        [&](EditBatch& edits) {
            const MapBlock* block = edits.blockAt(x, y, z);
            *found = block != nullptr;
            if (block)
                std::memcpy(faces, block->faces, sizeof block->faces);
        },
        &unused, why);
}

ScriptCity::Outcome ScriptCity::stamp(const char* path, size_t pathLength, int32_t x, int32_t y,
                                      int32_t z, int32_t quarterTurns, bool mirror,
                                      int64_t* changed, char* why) {
    try {
        const std::string name(path, pathLength);
        std::string problem;
        if (name.empty() || name.size() != std::strlen(name.c_str()) || name[0] == '/' ||
            name.find("..") != std::string::npos || !endsWithMap(name)) {
            say(why, "a stamp is a .map file named relative to the script's folder");
            return Outcome::Refused;
        }
        const std::string folder = realPath(around.folder.empty() ? "." : around.folder);
        const std::string file =
            realPath((around.folder.empty() ? "." : around.folder) + "/" + name);
        if (folder.empty() || file.empty() ||
            file.compare(0, folder.size() + 1, folder + "/") != 0) {
            say(why, "no stamp " + name + " in the script's folder");
            return Outcome::Refused;
        }
        auto held = stamps.find(file);
        if (held == stamps.end()) {
            Clipboard read;
            if (!readStamp(file, &read, &problem)) {
                say(why, "the stamp " + name + " cannot be read: " + problem);
                return Outcome::Refused;
            }
            held = stamps.emplace(file, std::move(read)).first;
        }
        // Turned as R turns the clipboard, then mirrored as M does.
        Clipboard placed = held->second;
        for (int32_t k = 0; k < ((quarterTurns % 4) + 4) % 4; ++k)
            placed.rotateQuarter();
        if (mirror)
            placed.mirror();
        return edit([&](EditBatch& edits) { edits.paste(placed, x, y, z); }, changed, why);
    } catch (const std::bad_alloc&) {
        say(why, "there is not enough memory for the stamp");
        return Outcome::Stopped;
    }
}

bool ScriptCity::readStamp(const std::string& path, Clipboard* clipboard, std::string* why) {
    // Only a plain file: a pipe or a device named .map would never end.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *why = "not a plain file";
        return false;
    }
    return StampFile::loadFile(path.c_str(), around.blockWidth, around.blockHeight, clipboard, why);
}

void ScriptCity::print(const char* text, size_t length) const {
    try {
        const std::string line(text, length);
        if (around.print)
            around.print(line);
        else
            std::cout << line << std::endl;
    } catch (const std::bad_alloc&) {
    }
}
