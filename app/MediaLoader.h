#pragma once
#include <cstdint>
#include <string>

#include "media/MediaArchive.h"

class GLContext;
class SpriteSheet;

// The window's pictures from the media archive: the plan tiles, the sky and
// the font as textures, and the two sprite sheets. The first member that
// could not be read is remembered and reported once, with where the media
// folder is or where it was looked for.
class MediaLoader {
public:
    explicit MediaLoader(GLContext& gl) : gl(gl) {}

    // Textures 1 to 4 (sky, font, the two plan tiles).
    void loadArchiveTextures();
    // The world sheet (texture 5) and the interface sheet (texture 6); the
    // caller owns them.
    SpriteSheet* loadWorldSheet();
    SpriteSheet* loadInterfaceSheet();
    // On stderr, when a member was missing or damaged.
    void reportMissingMedia() const;

private:
    // Loads an archive member, remembering the first failure for the report.
    uint8_t* loadMedia(ArchiveMember member);
    SpriteSheet* loadSheet(ArchiveMember member, int32_t textureId);

    GLContext& gl;
    std::string mediaError;
};
