#include "app/MediaLoader.h"

#include <cstdio>

#include "app/MediaFolder.h"
#include "app/TextureIds.h"
#include "media/Archive.h"
#include "media/SpriteSheet.h"
#include "media/Textures.h"
#include "platform/GLContext.h"

namespace {

struct ArchiveTexture {
    ArchiveMember member;
    int32_t textureId;
    bool colourKeyed;
};

// In loading order.
constexpr ArchiveTexture ArchiveTextures[] = {
    {MemberCurrentLevelTile, PlanTileCurrentId, false},
    {MemberOtherLevelTile, PlanTileOtherId, false},
    {MemberSky, SkyTextureId, false},
    {MemberFont, FontTextureId, true},
};

}  // namespace

uint8_t* MediaLoader::loadMedia(ArchiveMember member) {
    const char* name = MediaArchiveMembers[member].name;
    uint8_t* pixels = loadArchiveEntry(name);
    if (mediaError.empty())
        mediaError = pixels == nullptr ? std::string(name) + " is not declared in the archive"
                                       : lastArchiveLoadError();
    return pixels;
}

void MediaLoader::reportMissingMedia() const {
    if (mediaError.empty())
        return;
    const MediaFolder& media = mediaFolder();
    if (media.found())
        std::fprintf(stderr, "tamotown: media missing (%s); media folder %s\n", mediaError.c_str(),
                     media.shownFolder().c_str());
    else
        std::fprintf(stderr, "tamotown: media missing (%s); looked in %s\n", mediaError.c_str(),
                     media.placesSearched().c_str());
}

void MediaLoader::loadArchiveTextures() {
    for (const ArchiveTexture& texture : ArchiveTextures) {
        const ArchiveImage& image = MediaArchiveMembers[texture.member];
        uint8_t* pixels = loadMedia(texture.member);
        if (texture.colourKeyed)
            createColourKeyTexture(gl.textures.get(), pixels, image.width, image.height,
                                   texture.textureId);
        else
            createUniformAlphaTexture(gl.textures.get(), pixels, image.width, image.height,
                                      texture.textureId, 1.0f);
        delete[] pixels;
    }
}

SpriteSheet* MediaLoader::loadWorldSheet() {
    return loadSheet(MemberWorldSprites, WorldSheetTextureId);
}

SpriteSheet* MediaLoader::loadInterfaceSheet() {
    return loadSheet(MemberInterfaceSprites, InterfaceSheetTextureId);
}

SpriteSheet* MediaLoader::loadSheet(ArchiveMember member, int32_t textureId) {
    const ArchiveImage& image = MediaArchiveMembers[member];
    uint8_t* pixels = loadMedia(member);
    SpriteSheet* sheet = new SpriteSheet(&gl, pixels, image.width, image.height, textureId, 0);
    delete[] pixels;
    return sheet;
}
