#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/LooseTextures.h"
#include "media/Picture.h"

// One's own pictures as block textures: PNG and JPEG files whose names start
// with a number n ("150_brick.png", "7.jpg") are texture 100 + n, as a raw
// file "n_W_H.raw" is. They are looked for in the media's "Textures/" and
// then in the user's own folder; the first file found for a number wins,
// whether raw or picture.
namespace PictureTextures {

// A picture file found for a texture.
struct Found {
    int32_t id = 0;
    std::string path;
    bool fromMedia = false;  // in the media's Textures/, not the user's folder
};

// What a scan found besides: names skipped and why, numbers taken twice.
struct Problems {
    std::vector<std::string> skipped;  // "path: why"
    std::vector<std::string> clashes;  // "texture 250: path skipped, path kept"
};

// $XDG_DATA_HOME/tamotown/Textures, else ~/.local/share/tamotown/Textures;
// empty without either variable.
std::string userFolder();
// The texture id of a picture file name: its leading decimal number n, as
// 100 + n, for a name ending in ".png", ".jpg" or ".jpeg" in any case;
// false for other names and numbers whose id would not fit in 32 bits.
bool parseName(const std::string& name, int32_t* id);
// Whether the name ends like a picture file's.
bool isPictureName(const std::string& name);
// The picture files of the media's Textures/ (mediaFolder) and then of the
// user's folder, sorted by name in each, the first of each id kept. taken
// holds the ids already given (to raw files) with the name that has them.
std::vector<Found> scan(const std::string& mediaFolder, const std::string& userFolder,
                        std::map<int32_t, std::string> taken, Problems* problems);
// The average colour of the picture's pixels, each weighted by its alpha (a
// wholly transparent picture: of all pixels alike), for the plan view.
AverageColour averageColour(const Picture& picture);
// Reads and decodes a picture file at texture size.
bool read(const std::string& path, Picture* picture, std::string* why);

}  // namespace PictureTextures
