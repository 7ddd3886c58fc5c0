#pragma once
#include <cstdint>
#include <vector>

class GLContext;

// Text drawn from a 256 x 128 font texture of 16 x 16 cells, one textured
// quad per character. Letters use their upper-case cells; characters without
// a cell use the last cell (texel 240, 112).
class BitmapFont {
public:
    // Top-left texel of a character's cell.
    struct Cell {
        int32_t u;
        int32_t v;
    };
    // One character's quad in screen pixels and its cell.
    struct Glyph {
        int32_t x;
        int32_t y;
        int32_t size;
        Cell cell;
    };

    BitmapFont(GLContext* owner, int32_t textureId);

    // (x, y) is the first character's top-left corner, or the text block's
    // centre when centred. A caller in the context's 2D mode stays there
    // (alreadyIn2D says so, though the text's overlay notices it anyway).
    // Leaves blending off, the alpha test on, the current colour white and
    // texturing and binding as they were; an empty text changes nothing.
    void drawText(int32_t x, int32_t y, const char* text, uint8_t red, uint8_t green, uint8_t blue,
                  bool centred, float scale, bool alreadyIn2D) const;
    void drawNumber(int32_t x, int32_t y, int32_t value, uint8_t red, uint8_t green, uint8_t blue,
                    bool centred, float scale, bool alreadyIn2D) const;
    // Advance per character at scale 1.
    int32_t glyphAdvance() const { return 18; }
    int32_t textureId() const { return texture; }

    static Cell cellOf(char character);
    // Whether the font has a cell of its own for character (letters of
    // either case); the others show the fallback cell.
    static bool hasGlyph(char character);
    // The quads drawText draws for text, in order.
    static std::vector<Glyph> layoutText(int32_t x, int32_t y, const char* text, bool centred,
                                         float scale);

private:
    GLContext* owner;
    int32_t texture;
};
