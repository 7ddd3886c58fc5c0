#include "app/PictureTextures.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/LooseTextures.h"
#include "media/FileStream.h"
#include "media/PictureDecoder.h"

namespace fs = std::filesystem;

namespace PictureTextures {

namespace {

bool endsWith(const std::string& name, const char* ending) {
    const size_t length = std::char_traits<char>::length(ending);
    if (name.size() <= length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - length + i])) != ending[i])
            return false;
    return true;
}

// The picture file names of a folder, sorted; hidden files and folders left out.
std::vector<std::string> picturesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        return names;
    for (fs::directory_iterator at(folder, error), end; !error && at != end; at.increment(error)) {
        const std::string name = at->path().filename().string();
        if (name[0] != '.' && isPictureName(name) && !at->is_directory(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string userFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/tamotown/Textures";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/share/tamotown/Textures";
    return std::string();
}

bool isPictureName(const std::string& name) {
    return endsWith(name, ".png") || endsWith(name, ".jpg") || endsWith(name, ".jpeg");
}

bool parseName(const std::string& name, int32_t* id) {
    if (!isPictureName(name) || name.empty() || !std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    int64_t number = 0;
    for (size_t i = 0; i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])); ++i) {
        number = number * 10 + (name[i] - '0');
        if (number > INT32_MAX - FirstLooseTextureId)
            return false;
    }
    *id = FirstLooseTextureId + static_cast<int32_t>(number);
    return true;
}

std::vector<Found> scan(const std::string& mediaFolder, const std::string& userFolder,
                        std::map<int32_t, std::string> taken, Problems* problems) {
    std::vector<Found> found;
    for (const bool media : {true, false}) {
        const std::string& folder = media ? mediaFolder : userFolder;
        for (const std::string& name : picturesIn(folder)) {
            const std::string path = (fs::path(folder) / name).string();
            int32_t id = 0;
            if (!parseName(name, &id)) {
                problems->skipped.push_back(path + ": the name does not start with a number");
                continue;
            }
            const auto earlier = taken.find(id);
            if (earlier != taken.end()) {
                problems->clashes.push_back("texture " + std::to_string(id) + ": " + path +
                                            " skipped, " + earlier->second + " kept");
                continue;
            }
            taken[id] = path;
            found.push_back(Found{id, path, media});
        }
    }
    return found;
}

AverageColour averageColour(const Picture& picture) {
    int64_t sums[3] = {0, 0, 0}, plain[3] = {0, 0, 0}, weight = 0, count = 0;
    for (size_t i = 0; i + 3 < picture.rgba.size(); i += 4, ++count) {
        const int64_t alpha = picture.rgba[i + 3];
        weight += alpha;
        for (int c = 0; c < 3; ++c) {
            sums[c] += alpha * picture.rgba[i + c];
            plain[c] += picture.rgba[i + c];
        }
    }
    if (count == 0)
        return AverageColour{0, 0, 0};
    if (weight == 0)
        return AverageColour{static_cast<int32_t>(plain[0] / count),
                             static_cast<int32_t>(plain[1] / count),
                             static_cast<int32_t>(plain[2] / count)};
    return AverageColour{static_cast<int32_t>(sums[0] / weight),
                         static_cast<int32_t>(sums[1] / weight),
                         static_cast<int32_t>(sums[2] / weight)};
}

bool read(const std::string& path, Picture* picture, std::string* why) {
    const PictureDecoder::Limits limits;
    std::vector<uint8_t> bytes;
    return FileStream::readAll(path, limits.maxFileBytes, &bytes, why) &&
           PictureDecoder::decodeForTexture(bytes.data(), bytes.size(), limits, picture, why);
}

}  // namespace PictureTextures
