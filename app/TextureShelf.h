#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "media/Picture.h"
#include "world/CityPictures.h"

// The pictures of the block textures that come from picture files rather
// than the raw ones: the media's and the user's PNG and JPEG files, the
// pictures a city carries beside its map and those a shared city sends. It
// decides which picture each texture shows and hands each picture, once
// chosen, to the sink that makes the texture of it. The program's own media
// (raw files and the media's pictures) are never replaced by a city's; the
// user's own pictures win over a city file's, a shared city's server over
// both (everyone there sees one picture). A picture that vanished from its
// folder keeps showing until the program ends: the city's blocks still use
// it, and a save still writes it beside the city.
class TextureShelf {
public:
    using Sink = std::function<void(int32_t id, const Picture& picture)>;
    // What a load found wrong: a caption and its second line for each.
    struct Problem {
        std::string caption;
        std::string detail;
    };
    struct Report {
        int32_t loaded = 0;
        std::vector<Problem> problems;
    };

    explicit TextureShelf(Sink sink);

    // The ids the raw files gave, with the name of each file.
    void setRawTextures(std::map<int32_t, std::string> names) { raw = std::move(names); }
    // Reads the media's and the user's picture folders: at start, and again
    // at the reload key (files unchanged since are not read again).
    Report loadFolders(const std::string& mediaTextures, const std::string& userFolder);
    // The pictures beside the city file mapPath, for the textures that have
    // none of the media's or the user's.
    Report loadCity(const std::string& mapPath);
    // A shared city's picture of texture id (checked at texture size);
    // false, nothing changed, for a texture of the program's own media.
    bool putShared(int32_t id, CityPictures::Bytes png, const Picture& picture);

    // Whether the program's own media give texture id.
    bool isOwnMedia(int32_t id) const;
    // The PNG bytes of a texture that is not the program's own, or null.
    CityPictures::Bytes cityPicture(int32_t id);
    // Those of the ids given that have one.
    CityPictures cityPictures(const std::set<int32_t>& ids);
    // The ids that have a picture here, ascending.
    std::vector<int32_t> pictureIds() const;
    // The picture shown for id, or null.
    const Picture* picture(int32_t id) const;

private:
    enum class Origin { Media, Own, City, Shared };
    struct Entry {
        Origin origin = Origin::Own;
        std::string source;
        Picture picture;
        CityPictures::Bytes png;
        int64_t fileSize = -1;
        int64_t fileTime = 0;
    };

    void put(int32_t id, Entry entry);

    Sink sink;
    std::map<int32_t, std::string> raw;
    std::map<int32_t, Entry> entries;
};
