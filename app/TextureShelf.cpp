#include "app/TextureShelf.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/LooseTextures.h"
#include "app/PictureTextures.h"
#include "media/PngWriter.h"
#include "world/CityPictureFolder.h"

namespace fs = std::filesystem;

namespace {

// The file's size and modification time, to notice a picture changed since.
void stampOf(const std::string& path, int64_t* size, int64_t* time) {
    std::error_code error;
    const auto bytes = fs::file_size(path, error);
    *size = error ? -1 : static_cast<int64_t>(bytes);
    const auto written = fs::last_write_time(path, error);
    *time = error ? 0 : static_cast<int64_t>(written.time_since_epoch().count());
}

void tell(TextureShelf::Report& report, const std::string& caption, const std::string& detail) {
    std::fprintf(stderr, "tamotown: %s: %s\n", caption.c_str(), detail.c_str());
    report.problems.push_back({caption, detail});
}

}  // namespace

TextureShelf::TextureShelf(Sink sink) : sink(std::move(sink)) {}

void TextureShelf::put(int32_t id, Entry entry) {
    Entry& placed = entries[id] = std::move(entry);
    if (sink)
        sink(id, placed.picture);
}

TextureShelf::Report TextureShelf::loadFolders(const std::string& mediaTextures,
                                               const std::string& userFolder) {
    Report report;
    PictureTextures::Problems problems;
    const std::vector<PictureTextures::Found> found =
        PictureTextures::scan(mediaTextures, userFolder, raw, &problems);
    for (const std::string& skipped : problems.skipped)
        tell(report, "PICTURE SKIPPED", skipped);
    for (const std::string& clash : problems.clashes)
        tell(report, "TEXTURE NUMBER TAKEN TWICE", clash);
    for (const PictureTextures::Found& file : found) {
        Entry entry;
        entry.origin = file.fromMedia ? Origin::Media : Origin::Own;
        entry.source = file.path;
        stampOf(file.path, &entry.fileSize, &entry.fileTime);
        const auto known = entries.find(file.id);
        if (known != entries.end() && known->second.source == entry.source &&
            known->second.fileSize == entry.fileSize && known->second.fileTime == entry.fileTime)
            continue;
        std::string why;
        if (!PictureTextures::read(file.path, &entry.picture, &why)) {
            tell(report, "PICTURE SKIPPED", file.path + ": " + why);
            continue;
        }
        put(file.id, std::move(entry));
        ++report.loaded;
    }
    return report;
}

TextureShelf::Report TextureShelf::loadCity(const std::string& mapPath) {
    Report report;
    std::vector<std::string> failures;
    std::vector<CityPictureFolder::Loaded> pictures = CityPictureFolder::read(mapPath, &failures);
    for (const std::string& failure : failures)
        tell(report, "PICTURE SKIPPED", CityPictureFolder::folderOf(mapPath) + "/" + failure);
    for (CityPictureFolder::Loaded& loaded : pictures) {
        // Below the block textures lie the program's own (sky, font, sheets).
        if (loaded.id < FirstLooseTextureId) {
            tell(report, "PICTURE SKIPPED",
                 std::to_string(loaded.id) + ".png: not the number of a block texture");
            continue;
        }
        const auto known = entries.find(loaded.id);
        const bool kept = raw.count(loaded.id) != 0 ||
                          (known != entries.end() && known->second.origin != Origin::City);
        if (kept) {
            // The same picture from both places is no clash worth telling.
            const bool same = known != entries.end() && cityPicture(loaded.id) &&
                              *cityPicture(loaded.id) == *loaded.png;
            if (!same)
                tell(report, "TEXTURE NUMBER TAKEN TWICE",
                     "texture " + std::to_string(loaded.id) + ": the city's picture skipped, " +
                         (known != entries.end() ? known->second.source : raw[loaded.id]) +
                         " kept");
            continue;
        }
        Entry entry;
        entry.origin = Origin::City;
        entry.source =
            CityPictureFolder::folderOf(mapPath) + "/" + std::to_string(loaded.id) + ".png";
        entry.picture = std::move(loaded.picture);
        entry.png = std::move(loaded.png);
        put(loaded.id, std::move(entry));
        ++report.loaded;
    }
    return report;
}

bool TextureShelf::putShared(int32_t id, CityPictures::Bytes png, const Picture& picture) {
    if (id < FirstLooseTextureId || isOwnMedia(id))
        return false;
    Entry entry;
    entry.origin = Origin::Shared;
    entry.source = "the shared city";
    entry.picture = picture;
    entry.png = std::move(png);
    put(id, std::move(entry));
    return true;
}

bool TextureShelf::isOwnMedia(int32_t id) const {
    const auto known = entries.find(id);
    return raw.count(id) != 0 || (known != entries.end() && known->second.origin == Origin::Media);
}

CityPictures::Bytes TextureShelf::cityPicture(int32_t id) {
    const auto known = entries.find(id);
    if (known == entries.end() || isOwnMedia(id))
        return nullptr;
    Entry& entry = known->second;
    if (!entry.png) {
        std::vector<uint8_t> png;
        if (!encodePicturePng(entry.picture, &png))
            return nullptr;
        entry.png = std::make_shared<const std::vector<uint8_t>>(std::move(png));
    }
    return entry.png;
}

CityPictures TextureShelf::cityPictures(const std::set<int32_t>& ids) {
    CityPictures pictures;
    for (const int32_t id : ids)
        pictures.put(id, cityPicture(id));
    return pictures;
}

std::vector<int32_t> TextureShelf::pictureIds() const {
    std::vector<int32_t> ids;
    for (const auto& entry : entries)
        ids.push_back(entry.first);
    return ids;
}

const Picture* TextureShelf::picture(int32_t id) const {
    const auto known = entries.find(id);
    return known == entries.end() ? nullptr : &known->second.picture;
}
