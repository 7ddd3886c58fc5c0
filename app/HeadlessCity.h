#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class MyTamoEngineCore;
class SpriteSheet;
class TamoMap;
class TamoSpriteObjectSet;
class WorldHost;
struct WorldSettings;

// A world file opened without a window or GL context, built of the classes
// the program builds it of, with the world sprite sheet and the loose
// textures from the media folder the program would find: for commands that
// read a city and end (export, information).
class HeadlessCity {
public:
    // One texture as the program uploads it: RGBA rows top down; sharp ones
    // are colour keyed (nearest filtering, transparent where keyed).
    struct Image {
        std::vector<uint8_t> rgba;
        int32_t width = 0;
        int32_t height = 0;
        bool sharp = false;
    };

    HeadlessCity();
    ~HeadlessCity();
    HeadlessCity(const HeadlessCity&) = delete;
    HeadlessCity& operator=(const HeadlessCity&) = delete;

    // Through the checked loader: false, *why naming the fault, for a file
    // that is not a sound world (the world then stays the new one).
    bool load(const std::string& path, std::string* why);
    // Finds the media as the program does and reads the sheet and the loose
    // textures. False, with *why naming the places looked in or the fault,
    // when the archive or its world sprite sheet is missing: a city written
    // without them would lack its figures and most of its pictures.
    bool loadMedia(std::string* why);

    TamoMap& map() const;
    // Block sizes and the rest of what the world reads.
    WorldSettings& settings() const;
    TamoSpriteObjectSet& sprites() const;
    // The factories the world's sectors come from.
    WorldHost& host() const;
    // Null before loadMedia.
    const SpriteSheet* sheet() const { return spriteSheet.get(); }
    // Reads the textures the program would show for the city loaded last:
    // the raw files and pictures of the media folder (when found), the
    // user's own pictures and those beside the city. loadMedia does this.
    void loadTextures();
    // By texture id, after loadMedia or loadTextures.
    const std::map<int32_t, Image>& images() const { return textures; }

private:
    std::unique_ptr<SpriteSheet> spriteSheet;
    std::unique_ptr<MyTamoEngineCore> core;
    std::map<int32_t, Image> textures;
    std::string cityPath;
};
