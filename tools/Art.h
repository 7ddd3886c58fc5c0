#pragma once
#include <cstdint>
#include <vector>

#include "tools/Canvas.h"
#include "tools/GlyphRenderer.h"

// The pictures and the sound the program loads, each built from code alone.

// 256 x 128: 16 x 16 cells of white glyphs with a dark outline on the key colour.
Canvas makeFontImage(const GlyphRenderer& glyphs);
// 512 x 32: top row the zenith, bottom row the horizon; repeats left to right.
Canvas makeSkyImage();
// Plan-view tiles: 8 x 8 for blocks on the current level, 16 x 16 for the others.
Canvas makeCurrentLevelTile();
Canvas makeOtherLevelTile();
// Loose textures, index n becomes texture 100 + n.
std::vector<Canvas> makeLooseTextures();
// 512 x 512 world sprite sheet with marker pixels.
Canvas makeWorldSprites();
// 512 x 256 interface sheet: the five panels. Needs the loose textures for the preset miniatures.
Canvas makeInterfaceSprites(const GlyphRenderer& glyphs, const std::vector<Canvas>& textures);
// 128 x 128 application icon: a few blocks of a town under the sky.
Canvas makeIcon();
// A complete "pip.wav" file.
std::vector<uint8_t> makeClickSound();

// Everything the generator makes, in memory.
struct MediaSet {
    Canvas currentTile{0, 0, KeyColour};
    Canvas otherTile{0, 0, KeyColour};
    Canvas font{0, 0, KeyColour};
    Canvas sky{0, 0, KeyColour};
    Canvas worldSprites{0, 0, KeyColour};
    Canvas interfaceSprites{0, 0, KeyColour};
    std::vector<Canvas> textures;
    std::vector<uint8_t> clickSound;
    Canvas icon{0, 0, KeyColour};
};
