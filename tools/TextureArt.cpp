#include <algorithm>
#include <cmath>

#include "tools/Art.h"
#include "tools/Noise.h"

namespace {

const Rgb White{255, 255, 255};

// Fills the canvas with a colour varied by seamless noise.
void noisyFill(Canvas& c, Rgb base, float amount, int cells, uint32_t seed) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float n =
                tiledFractal(x / float(c.width()), y / float(c.height()), cells, 3, seed);
            const int j = pixelJitter(x, y, seed + 1, 6);
            const float f = 1.0f + (n - 0.5f) * amount;
            c.set(x, y, rgbOf(int(base.r * f) + j, int(base.g * f) + j, int(base.b * f) + j));
        }
}

// Brick bond over a region; rows of brickH, bricks of brickW, every other row shifted.
void brickBond(Canvas& c, int x0, int y0, int x1, int y1, int brickW, int brickH, Rgb brick,
               Rgb mortar, uint32_t seed) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int row = (y - y0) / brickH;
            const int shifted = (x - x0) + ((row % 2) ? brickW / 2 : 0);
            const int col = shifted / brickW;
            const bool joint = (y - y0) % brickH == brickH - 1 || shifted % brickW == brickW - 1;
            if (joint) {
                c.set(x, y, shadeRgb(mortar, 1.0f + pixelJitter(x, y, seed, 4) / 100.0f));
                continue;
            }
            const float tone = 0.85f + 0.3f * latticeValue(col, row, seed);
            const int j = pixelJitter(x, y, seed + 3, 7);
            const Rgb b = shadeRgb(brick, tone);
            c.set(x, y, rgbOf(b.r + j, b.g + j, b.b + j));
        }
}

// A window with a frame, a sill and glass that reflects the sky at the top.
void window(Canvas& c, int x0, int y0, int x1, int y1, Rgb frame, Rgb glass, bool cross = true) {
    c.fillRect(x0, y0, x1, y1, frame);
    c.verticalGradient(x0 + 2, y0 + 2, x1 - 2, y1 - 2, mixRgb(glass, White, 0.45f),
                       shadeRgb(glass, 0.6f));
    // A diagonal glint.
    for (int i = 0; i < (x1 - x0) / 2; ++i)
        c.blend(x0 + 3 + i, y1 - 4 - i, White, 0.25f);
    if (cross) {
        const int mx = (x0 + x1) / 2, my = y0 + (y1 - y0) * 2 / 5;
        c.fillRect(mx, y0 + 2, mx, y1 - 2, frame);
        c.fillRect(x0 + 2, my, x1 - 2, my, frame);
    }
    c.fillRect(x0 - 1, y1 + 1, x1 + 1, y1 + 2, Rgb{200, 198, 190});
    c.fillRect(x0 - 1, y1 + 3, x1 + 1, y1 + 3, Rgb{90, 88, 84});
}

void door(Canvas& c, int x0, int y0, int x1, int y1, Rgb wood) {
    c.fillRect(x0 - 2, y0 - 2, x1 + 2, y1, Rgb{70, 60, 52});
    c.verticalGradient(x0, y0, x1, y1, mixRgb(wood, White, 0.1f), shadeRgb(wood, 0.8f));
    const int mx = (x0 + x1) / 2;
    c.fillRect(mx, y0, mx, y1, shadeRgb(wood, 0.6f));
    c.frameRect(x0 + 2, y0 + 3, mx - 2, y0 + (y1 - y0) / 2, shadeRgb(wood, 0.7f));
    c.frameRect(mx + 2, y0 + 3, x1 - 2, y0 + (y1 - y0) / 2, shadeRgb(wood, 0.7f));
    c.fillRect(mx - 3, (y0 + y1) / 2 + 2, mx - 2, (y0 + y1) / 2 + 3, Rgb{230, 200, 90});
    c.fillRect(mx + 2, (y0 + y1) / 2 + 2, mx + 3, (y0 + y1) / 2 + 3, Rgb{230, 200, 90});
}

Canvas startBlock() {
    // The material of the first block: a dressed sandstone block with chamfered edges.
    Canvas c(64, 64, Rgb{0, 0, 0});
    noisyFill(c, Rgb{214, 200, 170}, 0.22f, 4, 5);
    for (int i = 0; i < 3; ++i) {
        const float f = 1.15f - i * 0.05f;
        for (int k = i; k < 64 - i; ++k) {
            c.set(k, i, shadeRgb(c.get(k, i), f));
            c.set(i, k, shadeRgb(c.get(i, k), f));
            c.set(k, 63 - i, shadeRgb(c.get(k, 63 - i), 0.7f + i * 0.08f));
            c.set(63 - i, k, shadeRgb(c.get(63 - i, k), 0.7f + i * 0.08f));
        }
    }
    return c;
}

Canvas brickApartments() {
    Canvas c(128, 256, Rgb{0, 0, 0});
    brickBond(c, 0, 0, 127, 255, 12, 5, Rgb{164, 74, 52}, Rgb{196, 186, 170}, 11);
    c.fillRect(0, 0, 127, 11, Rgb{206, 198, 182});  // cornice
    c.fillRect(0, 12, 127, 13, Rgb{120, 112, 100});
    for (int storey = 0; storey < 4; ++storey) {
        const int top = 24 + storey * 48;
        for (int w = 0; w < 3; ++w)
            window(c, 12 + w * 40, top, 34 + w * 40, top + 28, Rgb{236, 232, 224},
                   Rgb{70, 110, 150});
        c.fillRect(0, top + 40, 127, top + 41, Rgb{186, 176, 160});  // string course
    }
    // Ground floor: door between two windows.
    window(c, 10, 222, 34, 244, Rgb{236, 232, 224}, Rgb{70, 110, 150});
    window(c, 94, 222, 118, 244, Rgb{236, 232, 224}, Rgb{70, 110, 150});
    door(c, 52, 212, 76, 255, Rgb{110, 62, 40});
    c.fillRect(46, 207, 82, 209, Rgb{206, 198, 182});
    return c;
}

Canvas glassOffice() {
    Canvas c(128, 256, Rgb{60, 70, 80});
    const Rgb glass{58, 108, 150};
    for (int storey = 0; storey < 7; ++storey) {
        const int top = 8 + storey * 30;
        c.fillRect(0, top, 127, top + 4, Rgb{176, 182, 188});  // floor slab
        for (int bay = 0; bay < 4; ++bay) {
            const int x0 = bay * 32 + 2, x1 = bay * 32 + 29;
            c.verticalGradient(x0, top + 5, x1, top + 29,
                               mixRgb(glass, White, 0.35f + 0.1f * (bay % 2)),
                               shadeRgb(glass, 0.75f));
            for (int i = 0; i < 12; ++i)
                c.blend(x0 + 6 + i, top + 26 - i, White, 0.18f);
        }
        for (int m = 0; m <= 4; ++m)
            c.fillRect(m * 32 - 2, top, m * 32 + 1, top + 29, Rgb{150, 158, 166});
    }
    c.fillRect(0, 0, 127, 7, Rgb{190, 194, 198});
    // Lobby with glass doors and a canopy.
    c.fillRect(0, 218, 127, 255, Rgb{120, 126, 132});
    c.verticalGradient(8, 226, 119, 255, Rgb{150, 190, 214}, Rgb{40, 60, 80});
    for (int m = 8; m <= 120; m += 16)
        c.fillRect(m, 226, m + 1, 255, Rgb{90, 96, 104});
    c.fillRect(40, 236, 87, 255, Rgb{30, 44, 58});
    c.fillRect(63, 236, 64, 255, Rgb{160, 170, 180});
    c.fillRect(30, 218, 97, 223, Rgb{70, 76, 84});
    return c;
}

Canvas plasterHouse() {
    Canvas c(128, 128, Rgb{0, 0, 0});
    noisyFill(c, Rgb{232, 204, 126}, 0.12f, 8, 21);
    c.fillRect(0, 0, 127, 7, Rgb{246, 240, 226});
    c.fillRect(0, 8, 127, 8, Rgb{160, 140, 100});
    const Rgb shutter{62, 124, 84};
    for (int storey = 0; storey < 2; ++storey) {
        const int top = 16 + storey * 40;
        for (int w = 0; w < 3; ++w) {
            const int x0 = 14 + w * 40;
            window(c, x0, top, x0 + 18, top + 26, Rgb{250, 248, 240}, Rgb{80, 110, 140});
            for (int s = 0; s < 2; ++s) {
                const int sx = s ? x0 + 20 : x0 - 8;
                c.fillRect(sx, top, sx + 6, top + 26, shutter);
                for (int k = top + 2; k < top + 26; k += 3)
                    c.fillRect(sx + 1, k, sx + 5, k, shadeRgb(shutter, 0.75f));
            }
        }
    }
    c.fillRect(0, 96, 127, 127, Rgb{196, 176, 120});  // plinth
    window(c, 12, 100, 32, 118, Rgb{250, 248, 240}, Rgb{80, 110, 140});
    window(c, 96, 100, 116, 118, Rgb{250, 248, 240}, Rgb{80, 110, 140});
    // Door under a stone arch with a fanlight.
    c.fillEllipse(63.5f, 100, 15, 11, Rgb{246, 240, 226});
    c.fillEllipse(63.5f, 100, 11, 8, Rgb{110, 150, 180});
    for (int i = -2; i <= 2; ++i)
        c.line(63.5f, 100, 63.5f + i * 5.0f, 92, 1.0f, Rgb{246, 240, 226});
    door(c, 52, 101, 75, 127, Rgb{140, 40, 40});
    return c;
}

Canvas cornerShop() {
    Canvas c(256, 128, Rgb{0, 0, 0});
    brickBond(c, 0, 0, 255, 127, 14, 5, Rgb{120, 130, 142}, Rgb{200, 200, 196}, 41);
    c.fillRect(0, 0, 255, 6, Rgb{220, 220, 214});
    for (int w = 0; w < 5; ++w)
        window(c, 12 + w * 50, 14, 40 + w * 50, 44, Rgb{240, 240, 236}, Rgb{80, 104, 140});
    // Sign band.
    c.fillRect(0, 54, 255, 70, Rgb{34, 74, 120});
    c.fillRect(0, 54, 255, 55, Rgb{240, 200, 80});
    c.fillRect(0, 69, 255, 70, Rgb{240, 200, 80});
    for (int i = 0; i < 6; ++i)
        c.fillEllipse(40.0f + i * 35.0f, 62, 5, 4, Rgb{250, 220, 110});
    // Striped awning.
    for (int x = 0; x < 256; ++x)
        for (int y = 71; y < 84; ++y) {
            const bool stripe = (x / 12) % 2 == 0;
            const float shade = 1.0f - (y - 71) * 0.02f;
            c.set(x, y, shadeRgb(stripe ? Rgb{214, 52, 48} : Rgb{246, 242, 232}, shade));
        }
    for (int x = 0; x < 256; x += 12)
        c.fillEllipse(x + 6.0f, 84, 6, 3,
                      (x / 12) % 2 == 0 ? Rgb{190, 44, 40} : Rgb{226, 222, 212});
    // Shop windows and a door.
    c.fillRect(0, 88, 255, 127, Rgb{60, 52, 46});
    c.verticalGradient(6, 92, 110, 122, Rgb{200, 220, 230}, Rgb{60, 90, 110});
    c.verticalGradient(146, 92, 249, 122, Rgb{200, 220, 230}, Rgb{60, 90, 110});
    for (int i = 0; i < 5; ++i) {
        c.fillRect(12 + i * 20, 110, 24 + i * 20, 122,
                   i % 2 ? Rgb{230, 160, 60} : Rgb{120, 170, 80});
        c.fillRect(152 + i * 20, 106, 162 + i * 20, 122,
                   i % 2 ? Rgb{200, 80, 80} : Rgb{230, 210, 120});
    }
    door(c, 116, 92, 140, 127, Rgb{60, 90, 70});
    c.fillRect(0, 123, 255, 127, Rgb{150, 146, 140});
    return c;
}

Canvas concreteBlock() {
    Canvas c(128, 256, Rgb{0, 0, 0});
    noisyFill(c, Rgb{178, 176, 170}, 0.18f, 8, 51);
    for (int storey = 0; storey < 6; ++storey) {
        const int top = 12 + storey * 36;
        c.fillRect(0, top - 2, 127, top - 1, Rgb{140, 138, 134});
        for (int w = 0; w < 2; ++w) {
            const int x0 = 10 + w * 62;
            window(c, x0, top + 4, x0 + 44, top + 22, Rgb{220, 220, 216}, Rgb{90, 120, 150});
            // Balcony with railings.
            c.fillRect(x0 - 4, top + 24, x0 + 48, top + 31, Rgb{200, 198, 192});
            for (int r = x0 - 2; r < x0 + 48; r += 4)
                c.fillRect(r, top + 25, r + 1, top + 30, Rgb{110, 110, 110});
            c.fillRect(x0 - 4, top + 32, x0 + 48, top + 33, Rgb{100, 98, 94});
        }
    }
    c.fillRect(0, 0, 127, 8, Rgb{150, 148, 144});
    c.fillRect(0, 230, 127, 255, Rgb{120, 118, 114});
    door(c, 50, 232, 78, 255, Rgb{90, 100, 110});
    window(c, 12, 236, 36, 250, Rgb{220, 220, 216}, Rgb{90, 120, 150}, false);
    window(c, 92, 236, 116, 250, Rgb{220, 220, 216}, Rgb{90, 120, 150}, false);
    return c;
}

Canvas woodenHouse() {
    Canvas c(128, 128, Rgb{0, 0, 0});
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const bool edge = y % 6 == 5;
            const int j = pixelJitter(x, y / 6, 61, 5);
            const Rgb board{236, 234, 226};
            c.set(x, y,
                  edge ? Rgb{176, 176, 170} : rgbOf(board.r + j, board.g + j, board.b + j - 2));
        }
    c.fillRect(0, 0, 3, 127, Rgb{250, 250, 246});
    c.fillRect(124, 0, 127, 127, Rgb{250, 250, 246});
    for (int w = 0; w < 2; ++w)
        window(c, 20 + w * 64, 14, 44 + w * 64, 44, Rgb{70, 90, 120}, Rgb{100, 140, 170});
    window(c, 14, 76, 40, 106, Rgb{70, 90, 120}, Rgb{100, 140, 170});
    door(c, 80, 70, 104, 127, Rgb{60, 90, 130});
    c.fillRect(74, 64, 110, 67, Rgb{90, 90, 96});  // porch roof
    c.fillRect(0, 122, 127, 127, Rgb{120, 110, 100});
    return c;
}

// Roof and ground textures repeat once per block, so they are seamless.
Canvas gravelRoof(Rgb base, uint32_t seed) {
    Canvas c(64, 64, base);
    noisyFill(c, base, 0.25f, 8, seed);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (latticeValue(x, y, seed + 9) > 0.93f)
                c.set(x, y, shadeRgb(c.get(x, y), 1.35f));
    return c;
}

Canvas slabs(Rgb base, Rgb joint, int slab, uint32_t seed, float variation) {
    Canvas c(64, 64, base);
    noisyFill(c, base, 0.12f, 8, seed);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float tone =
                1.0f + (latticeValue(x / slab, y / slab, seed + 5) - 0.5f) * variation;
            c.set(x, y, shadeRgb(c.get(x, y), tone));
            if (x % slab == 0 || y % slab == 0)
                c.set(x, y, joint);
        }
    return c;
}

Canvas clayTiles(Rgb base, uint32_t seed) {
    Canvas c(64, 64, base);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int row = y / 8;
            const int sx = (x + (row % 2) * 4) % 8;
            const float curve = 0.75f + 0.35f * std::sin((sx + 0.5f) / 8.0f * 3.14159f);
            const float fall = 1.05f - (y % 8) * 0.04f;
            const float tone = 0.9f + 0.2f * latticeValue((x + (row % 2) * 4) / 8, row, seed);
            c.set(x, y, shadeRgb(base, curve * fall * tone));
        }
    return c;
}

Canvas slateShingles(uint32_t seed) {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int row = y / 8;
            const int col = (x + (row % 2) * 5) / 10;
            const float tone = 0.8f + 0.35f * latticeValue(col % 7, row, seed);
            Rgb s = shadeRgb(Rgb{84, 90, 102}, tone * (1.1f - (y % 8) * 0.03f));
            if (y % 8 == 7 || (x + (row % 2) * 5) % 10 == 0)
                s = Rgb{40, 42, 48};
            c.set(x, y, s);
        }
    return c;
}

Canvas asphalt() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    noisyFill(c, Rgb{78, 80, 84}, 0.25f, 8, 101);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float v = latticeValue(x, y, 102);
            if (v > 0.96f)
                c.set(x, y, Rgb{120, 122, 124});
            else if (v < 0.03f)
                c.set(x, y, Rgb{50, 50, 54});
        }
    return c;
}

Canvas roadCentreLine() {
    // Lane marking along the middle of the block; it lines up from block to block along v.
    Canvas c = asphalt();
    for (int y = 8; y < 40; ++y)
        for (int x = 30; x <= 33; ++x)
            c.set(x, y, rgbOf(236 + pixelJitter(x, y, 7, 8), 236 + pixelJitter(x, y, 7, 8), 226));
    return c;
}

Canvas roadEdgeLine() {
    // Kerb-side lane: solid edge line near the left border, kerb stones on it.
    Canvas c = asphalt();
    c.fillRect(0, 0, 5, 63, Rgb{190, 188, 180});
    for (int y = 0; y < 64; y += 16)
        c.fillRect(0, y, 5, y, Rgb{120, 118, 112});
    c.fillRect(6, 0, 6, 63, Rgb{60, 60, 60});
    for (int y = 0; y < 64; ++y)
        c.fillRect(10, y, 12, y, rgbOf(240, 240, 232 + pixelJitter(10, y, 9, 6)));
    return c;
}

Canvas zebraCrossing() {
    Canvas c = asphalt();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x + 4) % 16 < 8)
                c.set(x, y,
                      rgbOf(238 + pixelJitter(x, y, 13, 10), 238 + pixelJitter(x, y, 13, 10), 230));
    return c;
}

Canvas grass() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float n = tiledFractal(x / 64.0f, y / 64.0f, 4, 4, 121);
            const float blade = latticeValue(x, y, 122);
            const Rgb base = mixRgb(Rgb{70, 130, 50}, Rgb{118, 170, 70}, n);
            c.set(x, y, shadeRgb(base, 0.85f + blade * 0.3f));
        }
    return c;
}

Canvas water() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float n = tiledFractal(x / 64.0f, y / 64.0f, 4, 3, 131);
            const float ripple = std::sin((y / 64.0f + n * 0.5f) * 6.28318f * 4.0f);
            Rgb w = mixRgb(Rgb{34, 90, 150}, Rgb{60, 130, 190}, n);
            if (ripple > 0.85f)
                w = mixRgb(w, Rgb{190, 220, 240}, (ripple - 0.85f) * 4.0f);
            c.set(x, y, w);
        }
    return c;
}

Canvas sand() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    noisyFill(c, Rgb{222, 200, 150}, 0.15f, 4, 141);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (latticeValue(x, y, 142) > 0.92f)
                c.set(x, y, shadeRgb(c.get(x, y), 0.85f));
    return c;
}

Canvas brickWall() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    brickBond(c, 0, 0, 63, 63, 16, 8, Rgb{170, 78, 54}, Rgb{200, 192, 178}, 151);
    return c;
}

Canvas concrete() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    noisyFill(c, Rgb{170, 170, 166}, 0.2f, 4, 161);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (latticeValue(x, y, 162) > 0.97f)
                c.set(x, y, Rgb{120, 120, 118});
    return c;
}

Canvas floorTiles() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool dark = ((x / 16) + (y / 16)) % 2 == 1;
            Rgb t = dark ? Rgb{60, 70, 90} : Rgb{232, 228, 218};
            t = shadeRgb(t, 1.0f + pixelJitter(x, y, 171, 3) / 100.0f);
            if (x % 16 == 0 || y % 16 == 0)
                t = Rgb{150, 146, 140};
            c.set(x, y, t);
        }
    return c;
}

Canvas woodPlanks() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int plank = y / 8;
            const float grain = tiledFractal(x / 64.0f, (y % 8) / 64.0f + plank * 0.13f, 2, 3, 181);
            const float ring =
                0.5f + 0.5f * std::sin((x / 64.0f * 3 + grain * 3.0f + plank) * 6.28318f);
            Rgb w = mixRgb(Rgb{150, 100, 56}, Rgb{186, 134, 80}, ring);
            w = shadeRgb(w, 0.9f + 0.2f * latticeValue(plank, 0, 182));
            if (y % 8 == 7)
                w = Rgb{90, 60, 34};
            if ((x + plank * 23) % 64 == 0)
                w = Rgb{100, 66, 38};
            c.set(x, y, w);
        }
    return c;
}

Canvas glassPanes() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int px = x % 32, py = y % 32;
            Rgb g = mixRgb(Rgb{170, 210, 230}, Rgb{60, 100, 140}, py / 32.0f);
            if (px + (31 - py) > 36 && px + (31 - py) < 42)
                g = mixRgb(g, White, 0.35f);
            if (px < 2 || py < 2)
                g = Rgb{130, 136, 142};
            c.set(x, y, g);
        }
    return c;
}

Canvas cobblestones() {
    Canvas c(64, 64, Rgb{90, 86, 80});
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            const float cx = col * 8 + 4 + (row % 2) * 4, cy = row * 8 + 4;
            const Rgb stone =
                shadeRgb(Rgb{150, 144, 134}, 0.8f + 0.35f * latticeValue(col, row, 191));
            for (int wrapX = -64; wrapX <= 64; wrapX += 64)
                c.fillEllipse(cx + wrapX, cy, 3.6f, 3.4f, stone);
        }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            c.set(x, y, shadeRgb(c.get(x, y), 1.0f + pixelJitter(x, y, 192, 5) / 100.0f));
    return c;
}

Canvas hedge() {
    Canvas c(64, 64, Rgb{30, 70, 30});
    for (int i = 0; i < 220; ++i) {
        const float x = latticeValue(i, 1, 201) * 64, y = latticeValue(i, 2, 201) * 64;
        const Rgb leaf = mixRgb(Rgb{40, 96, 40}, Rgb{110, 170, 70}, latticeValue(i, 3, 201));
        for (int wy = -64; wy <= 64; wy += 64)
            for (int wx = -64; wx <= 64; wx += 64)
                c.fillEllipse(x + wx, y + wy, 3.2f, 2.4f, leaf);
    }
    return c;
}

Canvas marble() {
    Canvas c(64, 64, Rgb{0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float n = tiledFractal(x / 64.0f, y / 64.0f, 2, 4, 211);
            const float vein = std::abs(std::sin((x / 64.0f + y / 64.0f + n * 1.5f) * 6.28318f));
            Rgb m = mixRgb(Rgb{244, 242, 236}, Rgb{226, 222, 214}, n);
            if (vein < 0.08f)
                m = mixRgb(m, Rgb{150, 150, 156}, 1.0f - vein / 0.08f);
            c.set(x, y, m);
        }
    return c;
}

}  // namespace

std::vector<Canvas> makeLooseTextures() {
    std::vector<Canvas> t;
    t.push_back(startBlock());                      // 0  start material
    t.push_back(brickApartments());                 // 1  facades: stretched once over a wall
    t.push_back(glassOffice());                     // 2
    t.push_back(plasterHouse());                    // 3
    t.push_back(cornerShop());                      // 4
    t.push_back(concreteBlock());                   // 5
    t.push_back(woodenHouse());                     // 6
    t.push_back(gravelRoof(Rgb{96, 92, 88}, 301));  // 7  roofs of facades 1..6
    t.push_back(slabs(Rgb{196, 198, 200}, Rgb{150, 152, 156}, 16, 302, 0.08f));  // 8
    t.push_back(clayTiles(Rgb{186, 84, 56}, 303));                               // 9
    t.push_back(gravelRoof(Rgb{60, 58, 62}, 304));                               // 10
    t.push_back(gravelRoof(Rgb{150, 148, 144}, 305));                            // 11
    t.push_back(slateShingles(306));                                             // 12
    t.push_back(asphalt());         // 13 ground and materials
    t.push_back(roadCentreLine());  // 14
    t.push_back(roadEdgeLine());    // 15
    t.push_back(zebraCrossing());   // 16
    t.push_back(slabs(Rgb{188, 182, 172}, Rgb{130, 126, 120}, 16, 401, 0.15f));  // 17 pavement
    t.push_back(grass());                                                        // 18
    t.push_back(water());                                                        // 19
    t.push_back(sand());                                                         // 20
    t.push_back(brickWall());                                                    // 21
    t.push_back(concrete());                                                     // 22
    t.push_back(floorTiles());                                                   // 23
    t.push_back(woodPlanks());                                                   // 24
    t.push_back(glassPanes());                                                   // 25
    t.push_back(cobblestones());                                                 // 26
    t.push_back(clayTiles(Rgb{150, 60, 44}, 402));                               // 27 roof tiles
    t.push_back(gravelRoof(Rgb{140, 116, 84}, 403));                             // 28 dirt path
    t.push_back(hedge());                                                        // 29
    t.push_back(marble());                                                       // 30
    return t;
}
