#include "app/MediaFolder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/WorkingDirectory.h"

#ifndef TAMO_DATA_FROM_BIN
#define TAMO_DATA_FROM_BIN "../share/tamotown"
#endif

namespace fs = std::filesystem;

namespace {

MediaFolder& currentFolder() {
    static MediaFolder folder;
    return folder;
}

std::string executableFolder() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return std::string();
    return fs::path(std::string(buffer, static_cast<size_t>(length))).parent_path().string();
}

std::string shown(const std::string& place) {
    return place.empty() ? workingDirectory() : place;
}

}  // namespace

MediaFolder MediaFolder::locate(const std::vector<std::string>& places, const std::string& marker) {
    MediaFolder result;
    for (const std::string& place : places) {
        // The same folder twice (started from beside the executable) is looked in once.
        std::error_code error;
        bool seen = false;
        for (const std::string& earlier : result.searched)
            seen = seen || fs::equivalent(shown(earlier), shown(place), error);
        if (seen)
            continue;
        result.searched.push_back(place);
        const fs::path candidate = place.empty() ? fs::path(marker) : fs::path(place) / marker;
        if (fs::is_regular_file(candidate, error)) {
            result.folder = place;
            result.wasFound = true;
            return result;
        }
    }
    return result;
}

std::vector<std::string> MediaFolder::standardPlaces() {
    std::vector<std::string> places = {std::string()};
    const std::string executable = executableFolder();
    if (!executable.empty()) {
        places.push_back(executable);
        places.push_back((fs::path(executable) / TAMO_DATA_FROM_BIN).lexically_normal().string());
    }
    return places;
}

std::string MediaFolder::path(const std::string& name) const {
    return folder.empty() ? name : folder + "/" + name;
}

std::string MediaFolder::shownFolder() const {
    return shown(folder);
}

std::string MediaFolder::placesSearched() const {
    if (searched.empty())
        return shown(folder);
    std::string list;
    for (const std::string& place : searched)
        list += (list.empty() ? "" : ", ") + shown(place);
    return list;
}

const MediaFolder& mediaFolder() {
    return currentFolder();
}

void setMediaFolder(const MediaFolder& folder) {
    currentFolder() = folder;
}
