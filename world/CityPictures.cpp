#include "world/CityPictures.h"

#include "world/MapBlock.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"

bool CityPictures::put(int32_t id, Bytes png) {
    if (!png || png->empty())
        return false;
    erase(id);
    total += png->size();
    const uint64_t hash = hashOf(*png);
    pictures[id] = Entry{std::move(png), hash};
    return true;
}

const CityPictures::Entry* CityPictures::find(int32_t id) const {
    const auto found = pictures.find(id);
    return found == pictures.end() ? nullptr : &found->second;
}

bool CityPictures::erase(int32_t id) {
    const auto found = pictures.find(id);
    if (found == pictures.end())
        return false;
    total -= found->second.png->size();
    pictures.erase(found);
    return true;
}

CityPictures CityPictures::only(const std::set<int32_t>& ids) const {
    CityPictures kept;
    for (const auto& [id, entry] : pictures)
        if (ids.count(id) != 0) {
            kept.pictures[id] = entry;
            kept.total += entry.png->size();
        }
    return kept;
}

uint64_t CityPictures::hashOf(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::set<int32_t> CityPictures::texturesUsed(const TamoMap& map) {
    std::set<int32_t> used;
    for (int32_t i = 0; i < map.sectorCount(); ++i)
        for (const MapBlock& block : map.sector(i)->blocks)
            if (block.used)
                for (const FaceMaterial& face : block.faces)
                    used.insert(face.texture);
    return used;
}
