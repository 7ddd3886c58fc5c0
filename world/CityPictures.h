#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

class TamoMap;

// The pictures a city carries beside its map, for the textures that are not
// in the program's own media: each a PNG file's bytes by texture id, with a
// hash of them so that two copies can be compared without sending them.
class CityPictures {
public:
    using Bytes = std::shared_ptr<const std::vector<uint8_t>>;
    struct Entry {
        Bytes png;
        uint64_t hash = 0;
    };

    // Adds or replaces the picture of id; false for empty bytes.
    bool put(int32_t id, Bytes png);
    const Entry* find(int32_t id) const;
    bool erase(int32_t id);
    const std::map<int32_t, Entry>& entries() const { return pictures; }
    bool empty() const { return pictures.empty(); }
    // The PNG bytes of all the pictures together.
    size_t totalBytes() const { return total; }
    // Only the pictures of the ids given.
    CityPictures only(const std::set<int32_t>& ids) const;

    // A 64-bit FNV-1a hash of bytes.
    static uint64_t hashOf(const std::vector<uint8_t>& bytes);
    // The texture ids the faces of the map's blocks use.
    static std::set<int32_t> texturesUsed(const TamoMap& map);

private:
    std::map<int32_t, Entry> pictures;
    size_t total = 0;
};
