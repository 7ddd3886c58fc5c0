#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "media/Picture.h"
#include "world/CityPictures.h"

// The folder beside a city's map file that holds its pictures: "town.map"
// keeps them in "town.textures/", texture N as "N.png". Saving writes the
// pictures first, each atomically, then the map; pictures the saved map no
// longer uses are removed only after the map is in place. A save that fails
// half way thus leaves the old map with every picture it uses (some perhaps
// already the newer ones of the same texture), never a map without one.
namespace CityPictureFolder {

// A picture read from the folder: its PNG bytes (those of the picture at
// texture size) and its pixels.
struct Loaded {
    int32_t id = 0;
    CityPictures::Bytes png;
    Picture picture;
};

std::string folderOf(const std::string& mapPath);
// Reads every "N.png" of the map's folder (none when there is no folder).
// A picture that does not decode is named in *failures ("250.png: why") and
// skipped; the others are returned, each at texture size.
std::vector<Loaded> read(const std::string& mapPath, std::vector<std::string>* failures);
// Writes the pictures into the map's folder (made when missing), leaving a
// file that already holds the same bytes as it is. False, with *why, at the
// first that could not be written; those written stay.
bool write(const std::string& mapPath, const CityPictures& pictures, std::string* why);
// Removes the folder's "N.png" files of the textures the map does not use
// (and the folder once empty). Other files are left alone.
void prune(const std::string& mapPath, const std::set<int32_t>& used);
// The texture id of a file name "N.png", or false.
bool parseName(const std::string& name, int32_t* id);

}  // namespace CityPictureFolder
