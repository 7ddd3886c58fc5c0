#include "world/CityPictureFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "media/FileStream.h"
#include "media/PictureDecoder.h"
#include "media/PictureScaler.h"
#include "media/PngWriter.h"

namespace fs = std::filesystem;

namespace CityPictureFolder {

namespace {

// A picture the program wrote is at most 1024 x 1024 RGBA: a little over
// 4 MiB even when it does not compress. Larger files are not ours.
constexpr size_t LargestPictureFile = size_t{16} << 20;

std::string pathOf(const std::string& mapPath, int32_t id) {
    return (fs::path(folderOf(mapPath)) / (std::to_string(id) + ".png")).string();
}

}  // namespace

std::string folderOf(const std::string& mapPath) {
    std::string base = mapPath;
    if (base.size() > 4) {
        std::string extension = base.substr(base.size() - 4);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".map")
            base.resize(base.size() - 4);
    }
    return base + ".textures";
}

bool parseName(const std::string& name, int32_t* id) {
    if (name.size() < 5 || name.size() > 14 || name.compare(name.size() - 4, 4, ".png") != 0)
        return false;
    int64_t value = 0;
    for (size_t i = 0; i + 4 < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
        value = value * 10 + (name[i] - '0');
    }
    // "0250.png" would be a second name for 250.png.
    if (value > INT32_MAX || (name[0] == '0' && name.size() > 5))
        return false;
    *id = static_cast<int32_t>(value);
    return true;
}

std::vector<Loaded> read(const std::string& mapPath, std::vector<std::string>* failures) {
    std::vector<Loaded> loaded;
    std::error_code error;
    const fs::path folder = folderOf(mapPath);
    if (!fs::is_directory(folder, error))
        return loaded;
    std::vector<std::pair<int32_t, std::string>> names;
    for (fs::directory_iterator at(folder, error), end; !error && at != end; at.increment(error)) {
        int32_t id = 0;
        const std::string name = at->path().filename().string();
        if (parseName(name, &id))
            names.emplace_back(id, name);
    }
    std::sort(names.begin(), names.end());
    for (const auto& [id, name] : names) {
        std::vector<uint8_t> bytes;
        std::string why;
        Loaded picture;
        picture.id = id;
        Picture original;
        if (!FileStream::readAll((folder / name).string(), LargestPictureFile, &bytes, &why) ||
            !PictureDecoder::decode(bytes.data(), bytes.size(), PictureDecoder::Limits(), &original,
                                    &why)) {
            if (failures)
                failures->push_back(name + ": " + why);
            continue;
        }
        // Kept as read when it is already at texture size, else the resized
        // picture's PNG: what a save writes and a shared city sends.
        const bool resized = !PictureScaler::toTextureSize(original, &picture.picture) ||
                             picture.picture.width != original.width ||
                             picture.picture.height != original.height;
        if (resized && !encodePicturePng(picture.picture, &bytes)) {
            if (failures)
                failures->push_back(name + ": there is not enough memory for the picture");
            continue;
        }
        picture.png = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
        loaded.push_back(std::move(picture));
    }
    return loaded;
}

bool write(const std::string& mapPath, const CityPictures& pictures, std::string* why) {
    if (pictures.empty())
        return true;
    std::error_code error;
    const fs::path folder = folderOf(mapPath);
    if (!fs::is_directory(folder, error) && !fs::create_directory(folder, error)) {
        *why =
            "the picture folder " + folder.string() + " cannot be made (" + error.message() + ")";
        return false;
    }
    for (const auto& [id, entry] : pictures.entries()) {
        const std::string path = pathOf(mapPath, id);
        std::vector<uint8_t> existing;
        std::string unused;
        if (fs::file_size(path, error) == entry.png->size() && !error &&
            FileStream::readAll(path, LargestPictureFile, &existing, &unused) &&
            existing == *entry.png)
            continue;
        FileStream out(path.c_str(), "wb", FileStream::ReplaceAtomically);
        if (!out.writeBytes(entry.png->data(), static_cast<int32_t>(entry.png->size())) ||
            !out.commit()) {
            out.discard();
            *why = path + ": " +
                   (out.failureReason().empty() ? "it cannot be written" : out.failureReason());
            return false;
        }
    }
    return true;
}

void prune(const std::string& mapPath, const std::set<int32_t>& used) {
    std::error_code error;
    const fs::path folder = folderOf(mapPath);
    if (!fs::is_directory(folder, error))
        return;
    std::vector<fs::path> gone;
    for (fs::directory_iterator at(folder, error), end; !error && at != end; at.increment(error)) {
        int32_t id = 0;
        if (parseName(at->path().filename().string(), &id) && used.count(id) == 0)
            gone.push_back(at->path());
    }
    for (const fs::path& path : gone)
        fs::remove(path, error);
    if (fs::is_empty(folder, error))
        fs::remove(folder, error);
}

}  // namespace CityPictureFolder
