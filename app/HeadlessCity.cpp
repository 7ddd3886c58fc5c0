#include "app/HeadlessCity.h"

#include "app/LooseTextures.h"
#include "app/MediaFolder.h"
#include "app/PictureTextures.h"
#include "app/TextureShelf.h"
#include "app/TextureIds.h"
#include "engine/MyTamoEngineCore.h"
#include "media/Archive.h"
#include "media/MediaArchive.h"
#include "media/SpriteSheet.h"
#include "media/Textures.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

HeadlessCity::HeadlessCity()
        : core(std::make_unique<MyTamoEngineCore>(nullptr, nullptr, nullptr, FirstLooseTextureId,
                                                  PlanTileCurrentId, PlanTileOtherId)) {
    core->buildWorld(WorldHost::History::None);
}

HeadlessCity::~HeadlessCity() = default;

bool HeadlessCity::load(const std::string& path, std::string* why) {
    if (!MapFile::loadWorld(path.c_str(), *core->map, *core->sprites, why))
        return false;
    cityPath = path;
    return true;
}

TamoMap& HeadlessCity::map() const {
    return *core->map;
}

WorldSettings& HeadlessCity::settings() const {
    return *core;
}

TamoSpriteObjectSet& HeadlessCity::sprites() const {
    return *core->sprites;
}

WorldHost& HeadlessCity::host() const {
    return *core;
}

bool HeadlessCity::loadMedia(std::string* why) {
    setMediaFolder(MediaFolder::locate(MediaFolder::standardPlaces(), MediaArchiveFile));
    const MediaFolder& media = mediaFolder();
    if (!media.found()) {
        *why = std::string("the program's media are missing (no ") + MediaArchiveFile +
               "); looked in " + media.placesSearched();
        return false;
    }
    clearArchiveEntries();
    declareMediaArchive(media.path(MediaArchiveFile).c_str());
    const ArchiveImage& world = MediaArchiveMembers[MemberWorldSprites];
    std::unique_ptr<uint8_t[]> pixels(loadArchiveEntry(world.name));
    if (!lastArchiveLoadError().empty()) {
        *why = "the program's media are damaged (" + lastArchiveLoadError() + ")";
        return false;
    }
    spriteSheet = std::make_unique<SpriteSheet>(nullptr, pixels.get(), world.width, world.height,
                                                WorldSheetTextureId, 0);
    core->spriteSheet = spriteSheet.get();
    if (!spriteSheet->pixels().empty())
        textures[WorldSheetTextureId] =
            Image{spriteSheet->pixels(), spriteSheet->width(), spriteSheet->height(), true};

    loadTextures();
    return true;
}

void HeadlessCity::loadTextures() {
    if (!mediaFolder().found())
        setMediaFolder(MediaFolder::locate(MediaFolder::standardPlaces(), MediaArchiveFile));
    const MediaFolder& media = mediaFolder();
    std::map<int32_t, std::string> raw;
    if (media.found())
        readLooseTextures(
            [&](int32_t id, const LooseTextureName& name, const std::vector<uint8_t>& rgb) {
                Image image;
                image.sharp = isColourKeyedLooseTexture(name);
                image.rgba = image.sharp ? colourKeyedRgba(rgb.data(), name.width, name.height)
                                         : rgbToRgba(rgb.data(), name.width, name.height);
                image.width = name.width;
                image.height = name.height;
                raw.emplace(id, "Textures/" + std::to_string(name.number) + ".raw");
                if (!image.rgba.empty())
                    textures[id] = std::move(image);
            });
    // The pictures as the program chooses them; they replace no raw texture.
    TextureShelf shelf([this](int32_t id, const Picture& picture) {
        textures[id] = Image{picture.rgba, picture.width, picture.height, false};
    });
    shelf.setRawTextures(std::move(raw));
    shelf.loadFolders(media.found() ? media.path("Textures") : std::string(),
                      PictureTextures::userFolder());
    if (!cityPath.empty())
        shelf.loadCity(cityPath);
}
