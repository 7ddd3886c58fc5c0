#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "world/CityPictures.h"

class GLContext;
class StatusCaption;
class TamoEngineCore;
class TextureShelf;

// The window's picture textures: reads the media's and the user's picture
// folders (at start and at the reload key) and the pictures beside a world
// file when one is opened, loaded or recovered, makes them textures with
// their plan colours, and says in the caption what could not be read. Its
// shelf decides which picture each texture shows.
class PictureCommands {
public:
    PictureCommands(TamoEngineCore& core, StatusCaption& caption, GLContext& gl);
    ~PictureCommands();
    PictureCommands(const PictureCommands&) = delete;
    PictureCommands& operator=(const PictureCommands&) = delete;

    // The raw files' textures by id (their file names), which pictures never replace.
    void setRawTextures(std::map<int32_t, std::string> names);
    // Reads the folders; at the key (byKey) the caption also says what was read.
    void reload(bool byKey);
    // After a world file was opened: the pictures beside it.
    void loadCity(const std::string& mapPath);
    // The pictures of ids that are not the program's own media, to save beside a city.
    CityPictures cityPictures(const std::set<int32_t>& used);
    TextureShelf& shelf() { return *textures; }

private:
    TamoEngineCore& core;
    StatusCaption& caption;
    std::unique_ptr<TextureShelf> textures;
};
