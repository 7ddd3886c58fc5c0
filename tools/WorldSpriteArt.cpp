#include <algorithm>
#include <cmath>

#include "tools/Art.h"
#include "tools/MediaLayout.h"
#include "tools/Noise.h"
#include "tools/SheetPacker.h"

namespace {

const Rgb Key = KeyColour;
const Rgb Ink{34, 30, 36};

// Surrounds every drawn shape with a one-pixel dark rim, so figures read
// clearly against any ground and sky.
void outline(Canvas& c) {
    Canvas src = c;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            if (src.get(x, y) != Key)
                continue;
            const bool touches = (src.contains(x - 1, y) && src.get(x - 1, y) != Key) ||
                                 (src.contains(x + 1, y) && src.get(x + 1, y) != Key) ||
                                 (src.contains(x, y - 1) && src.get(x, y - 1) != Key) ||
                                 (src.contains(x, y + 1) && src.get(x, y + 1) != Key);
            if (touches)
                c.set(x, y, Ink);
        }
}

// Shapes drawn with hard edges: anti-aliasing against the key colour would leave fringes.
void solidEllipse(Canvas& c, float cx, float cy, float rx, float ry, Rgb colour) {
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            const float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f)
                c.set(x, y, colour);
        }
}

void solidLine(Canvas& c, float x0, float y0, float x1, float y1, float thickness, Rgb colour) {
    const float len = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    const int steps = std::max(1, int(len * 2));
    for (int i = 0; i <= steps; ++i) {
        const float t = float(i) / steps;
        solidEllipse(c, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, thickness / 2, thickness / 2,
                     colour);
    }
}

void solidPolygon(Canvas& c, const std::vector<float>& xy, Rgb colour) {
    const size_t n = xy.size() / 2;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            bool in = false;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
                const float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
                    in = !in;
            }
            if (in)
                c.set(x, y, colour);
        }
}

// Light from the upper left: darkens the right part of a region's colour.
void shadeRight(Canvas& c, int x0, int y0, int x1, int y1, float from) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Rgb p = c.get(x, y);
            if (p == Key || p == Ink)
                continue;
            const float t = (x - x0) / float(std::max(1, x1 - x0));
            if (t > from)
                c.set(x, y, shadeRgb(p, 1.0f - (t - from) * 0.45f));
        }
}

// ---- People: 24 x 48 frames, feet on the bottom row ----

struct Look {
    Rgb skin, hair, top, legs, shoes;
    bool dress = false;
    bool helmet = false;
    bool vest = false;
    bool longHair = false;
};

enum class View { Front, Back, Side };

void drawPersonFrontOrBack(Canvas& c, const Look& look, bool front) {
    // A half step: the left leg is lifted and the right arm swings, so the
    // mirrored frame shows the other step.
    const Rgb sleeve = look.vest ? Rgb{70, 96, 150} : look.top;
    solidLine(c, 6, 14, 5, 25, 3.2f, sleeve);
    solidLine(c, 18, 14, 19, 24, 3.2f, sleeve);
    solidEllipse(c, 5, 26, 1.8f, 1.8f, look.skin);
    solidEllipse(c, 19, 25, 1.8f, 1.8f, look.skin);
    if (look.dress) {
        solidPolygon(c, {7, 12, 17, 12, 20, 36, 4, 36}, look.top);
        c.fillRect(8, 36, 10, 44, look.skin);
        c.fillRect(14, 36, 16, 45, look.skin);
    } else {
        c.fillRect(7, 28, 11, 43, look.legs);
        c.fillRect(13, 28, 17, 45, look.legs);
        c.fillRect(12, 30, 12, 45, Key);
        solidPolygon(c, {7, 12, 17, 12, 17.5f, 29, 6.5f, 29}, look.top);
    }
    c.fillRect(6, 44, 11, 45, look.shoes);
    c.fillRect(13, 46, 18, 47, look.shoes);
    if (look.vest) {
        solidPolygon(c, {8, 13, 16, 13, 17, 28, 7, 28}, Rgb{246, 130, 30});
        c.fillRect(7, 22, 17, 23, Rgb{250, 236, 90});
        if (front)
            c.fillRect(12, 13, 12, 28, Rgb{200, 100, 24});
    }
    // Head.
    c.fillRect(11, 10, 13, 12, look.skin);
    solidEllipse(c, 12, 6.5f, 4.6f, 5.2f, front ? look.skin : look.hair);
    if (front) {
        solidEllipse(c, 12, 3.2f, 4.8f, 2.6f, look.hair);
        if (look.longHair) {
            c.fillRect(7, 3, 8, 11, look.hair);
            c.fillRect(16, 3, 17, 11, look.hair);
        }
        c.set(10, 7, Ink);
        c.set(14, 7, Ink);
        c.fillRect(11, 10, 13, 10, shadeRgb(look.skin, 0.75f));
    } else if (look.longHair) {
        c.fillRect(7, 5, 17, 13, look.hair);
    }
    if (look.helmet) {
        solidEllipse(c, 12, 3.0f, 5.4f, 3.2f, Rgb{250, 212, 40});
        c.fillRect(6, 4, 18, 4, Rgb{220, 180, 30});
    }
    shadeRight(c, 0, 0, 23, 47, 0.55f);
    outline(c);
}

void drawPersonSide(Canvas& c, const Look& look, int step) {
    // Facing right. Step 0: legs apart; step 1: legs passing.
    const float hipX = 12, hipY = 28;
    const Rgb backLegs = shadeRgb(look.legs, 0.8f);
    if (step == 0) {
        solidLine(c, hipX, hipY, 7, 44, 4.0f, look.dress ? look.skin : backLegs);
        solidLine(c, hipX, hipY, 17, 44, 4.0f, look.dress ? look.skin : look.legs);
        c.fillRect(5, 45, 9, 46, look.shoes);
        c.fillRect(16, 45, 20, 46, look.shoes);
    } else {
        solidLine(c, hipX, hipY, 14, 37, 4.0f, look.dress ? look.skin : backLegs);
        solidLine(c, 14, 37, 11, 43, 3.6f, look.dress ? look.skin : backLegs);
        solidLine(c, hipX, hipY, 12, 45, 4.0f, look.dress ? look.skin : look.legs);
        c.fillRect(9, 44, 12, 45, look.shoes);
        c.fillRect(11, 46, 16, 47, look.shoes);
    }
    if (look.dress)
        solidPolygon(c, {9, 12, 15, 12, 18, 34, 6, 34}, look.top);
    else
        solidPolygon(c, {9, 12, 15.5f, 12, 15.5f, 29, 8.5f, 29}, look.top);
    if (look.vest) {
        solidPolygon(c, {9, 13, 15.5f, 13, 15.5f, 28, 8.5f, 28}, Rgb{246, 130, 30});
        c.fillRect(9, 22, 15, 23, Rgb{250, 236, 90});
    }
    // Arm swings opposite to the front leg.
    const float handX = step == 0 ? 8.0f : 15.0f;
    const Rgb sleeve = look.vest ? Rgb{70, 96, 150} : shadeRgb(look.top, 0.85f);
    solidLine(c, 12, 14, handX, 25, 3.2f, sleeve);
    solidEllipse(c, handX, 26, 1.8f, 1.8f, look.skin);
    // Head in profile with the nose to the right.
    c.fillRect(11, 10, 13, 12, look.skin);
    solidEllipse(c, 12, 6.5f, 4.4f, 5.2f, look.skin);
    c.fillRect(16, 6, 17, 8, look.skin);
    solidEllipse(c, 10.5f, 4.0f, 4.2f, 3.4f, look.hair);
    if (look.longHair)
        c.fillRect(7, 4, 10, 13, look.hair);
    c.set(14, 6, Ink);
    if (look.helmet) {
        solidEllipse(c, 12, 3.0f, 5.4f, 3.2f, Rgb{250, 212, 40});
        c.fillRect(8, 4, 19, 4, Rgb{220, 180, 30});
    }
    outline(c);
}

Canvas person(const Look& look, View view, int step = 0) {
    Canvas c(24, 48, Key);
    if (view == View::Side)
        drawPersonSide(c, look, step);
    else
        drawPersonFrontOrBack(c, look, view == View::Front);
    return c;
}

// ---- Dog: 28 x 20 frames ----

Canvas dog(View view, int step) {
    Canvas c(28, 20, Key);
    const Rgb fur{176, 120, 64}, dark{120, 78, 40};
    if (view == View::Side) {
        // Facing right.
        solidEllipse(c, 13, 10, 8, 4, fur);
        const float a = step == 0 ? 2.5f : -1.5f;
        solidLine(c, 8, 12, 8 - a, 18, 2.4f, dark);
        solidLine(c, 18, 12, 18 + a, 18, 2.4f, dark);
        solidLine(c, 10, 12, 10 + a, 18, 2.4f, fur);
        solidLine(c, 16, 12, 16 - a, 18, 2.4f, fur);
        solidLine(c, 5, 9, 2, 4, 2.0f, fur);  // tail
        solidEllipse(c, 22, 6, 3.6f, 3.2f, fur);
        c.fillRect(24, 6, 26, 8, fur);
        c.set(26, 6, Ink);
        solidEllipse(c, 20.5f, 4, 1.4f, 2.6f, dark);
        c.set(22, 5, Ink);
    } else {
        const bool front = view == View::Front;
        solidEllipse(c, 14, 12, 6, 5, fur);
        c.fillRect(10, 14, 11, 18, dark);
        c.fillRect(16, 14, 17, 18, step ? fur : dark);
        solidEllipse(c, 14, front ? 7 : 9, 4.5f, 4, front ? fur : dark);
        solidEllipse(c, 9.5f, 5, 1.6f, 3, dark);
        solidEllipse(c, 18.5f, 5, 1.6f, 3, dark);
        if (front) {
            c.set(12, 6, Ink);
            c.set(16, 6, Ink);
            c.fillRect(13, 9, 15, 10, Ink);
        } else {
            solidLine(c, 14, 14, 17, 8, 2.0f, fur);
        }
    }
    outline(c);
    return c;
}

// ---- Static objects: the same look from every side unless noted ----

Canvas tree(int variant) {
    Canvas c(72, 112, Key);
    const Rgb bark{104, 74, 50};
    solidPolygon(c, {32, 111, 40, 111, 39, 66, 33, 66}, bark);
    solidLine(c, 36, 80, 24, 64, 3.0f, bark);
    solidLine(c, 36, 76, 48, 62, 3.0f, bark);
    for (int y = 70; y < 111; y += 5)
        c.fillRect(35, y, 36, y + 1, shadeRgb(bark, 0.7f));
    struct Blob {
        float x, y, r;
    };
    const Blob blobs[] = {{36, 30, 20}, {20, 44, 15}, {52, 44, 15}, {28, 56, 14},
                          {46, 58, 14}, {36, 16, 14}, {14, 32, 11}, {58, 32, 11}};
    for (const Blob& b : blobs)
        solidEllipse(c, b.x, b.y, b.r, b.r * 0.9f, Rgb{48, 110, 48});
    // Light leaves towards the upper left, dark towards the lower right.
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 72; ++x) {
            if (c.get(x, y) != Rgb{48, 110, 48})
                continue;
            const float n = latticeValue(x / 3 + variant, y / 3, 500);
            const float light = std::clamp(1.0f - (x + y) / 120.0f + (n - 0.5f) * 0.6f, 0.0f, 1.0f);
            c.set(x, y, mixRgb(Rgb{34, 84, 40}, Rgb{124, 184, 76}, light));
        }
    outline(c);
    return c;
}

Canvas streetLamp(View view) {
    Canvas c(20, 88, Key);
    const Rgb iron{52, 58, 64};
    c.fillRect(9, 18, 11, 83, iron);
    c.fillRect(7, 80, 13, 87, iron);
    c.fillRect(8, 40, 12, 41, iron);
    if (view == View::Side) {
        c.fillRect(4, 14, 16, 16, iron);
        solidPolygon(c, {4, 4, 16, 4, 14, 14, 6, 14}, Rgb{250, 230, 140});
    } else {
        solidPolygon(c, {4, 4, 16, 4, 14, 14, 6, 14}, Rgb{250, 236, 150});
        c.fillRect(10, 4, 10, 14, iron);
    }
    c.fillRect(3, 2, 17, 3, iron);
    c.fillRect(8, 0, 12, 1, iron);
    c.fillRect(6, 15, 14, 17, iron);
    outline(c);
    return c;
}

Canvas trafficLight(View view) {
    Canvas c(16, 72, Key);
    const Rgb metal{60, 64, 70};
    c.fillRect(7, 30, 9, 69, metal);
    c.fillRect(5, 68, 11, 71, metal);
    if (view == View::Side) {
        c.fillRect(5, 2, 10, 29, Rgb{40, 42, 46});
        c.fillRect(11, 3, 12, 28, Rgb{30, 30, 34});
    } else {
        c.fillRect(3, 2, 12, 29, Rgb{40, 42, 46});
        if (view == View::Front) {
            solidEllipse(c, 8, 7, 3, 3, Rgb{236, 60, 50});
            solidEllipse(c, 8, 15.5f, 3, 3, Rgb{120, 96, 40});
            solidEllipse(c, 8, 24, 3, 3, Rgb{40, 90, 60});
        } else {
            c.fillRect(5, 5, 10, 26, Rgb{70, 72, 78});
        }
    }
    outline(c);
    return c;
}

Canvas bush() {
    Canvas c(40, 32, Key);
    solidEllipse(c, 20, 19, 18, 12, Rgb{60, 124, 56});
    solidEllipse(c, 12, 14, 9, 8, Rgb{60, 124, 56});
    solidEllipse(c, 27, 13, 10, 9, Rgb{60, 124, 56});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 40; ++x)
            if (c.get(x, y) == Rgb{60, 124, 56}) {
                const float n = latticeValue(x / 2, y / 2, 600);
                const float light =
                    std::clamp(1.0f - (x + y) / 60.0f + (n - 0.5f) * 0.7f, 0.0f, 1.0f);
                Rgb leaf = mixRgb(Rgb{36, 90, 40}, Rgb{120, 180, 80}, light);
                if (latticeValue(x, y, 601) > 0.95f)
                    leaf = Rgb{236, 120, 150};  // a few blossoms
                c.set(x, y, leaf);
            }
    outline(c);
    return c;
}

struct CarLook {
    Rgb body;
    bool taxi;
};

Canvas carSide(const CarLook& look, int width, int height, bool bus) {
    Canvas c(width, height, Key);
    const Rgb glass{120, 170, 210}, tyre{30, 30, 34}, rim{180, 184, 190};
    const int wheelR = bus ? 9 : 7;
    const int groundY = height - 1;
    const int bodyBottom = groundY - wheelR;
    if (bus) {
        c.fillRect(1, 3, width - 2, bodyBottom, look.body);
        c.fillRect(1, bodyBottom - 12, width - 2, bodyBottom - 9, Rgb{240, 240, 236});
        for (int x = 8; x < width - 34; x += 22)
            c.fillRect(x, 10, x + 18, 34, glass);
        c.fillRect(width - 22, 8, width - 3, 40, glass);  // windscreen at the front (right)
        c.fillRect(width - 40, 10, width - 28, bodyBottom - 2, shadeRgb(glass, 0.8f));  // door
        c.fillRect(width - 34, 10, width - 34, bodyBottom - 2, Rgb{60, 60, 66});
        c.fillRect(width - 5, bodyBottom - 8, width - 2, bodyBottom - 5, Rgb{250, 240, 160});
        c.fillRect(1, 3, width - 2, 5, shadeRgb(look.body, 0.8f));
    } else {
        solidPolygon(c,
                     {2, float(bodyBottom), 2, 20, 24, 17, 34, 5, 64, 5, 76, 17, float(width - 2),
                      20, float(width - 2), float(bodyBottom)},
                     look.body);
        solidPolygon(c, {28, 17, 36, 8, 48, 8, 48, 17}, glass);
        solidPolygon(c, {51, 17, 51, 8, 62, 8, 71, 17}, glass);
        c.fillRect(width - 4, 21, width - 2, 24, Rgb{250, 240, 170});
        c.fillRect(2, 21, 3, 24, Rgb{220, 50, 40});
        c.fillRect(36, 20, 84, 20, shadeRgb(look.body, 0.7f));
        c.fillRect(49, 18, 49, bodyBottom - 1, shadeRgb(look.body, 0.7f));
        if (look.taxi) {
            c.fillRect(42, 1, 56, 4, Rgb{250, 250, 240});
            for (int x = 2; x < width - 2; x += 6)
                c.fillRect(x, 26, x + 2, 27, Ink);
        }
    }
    const int frontWheel = bus ? width - 34 : width - 20;
    const int rearWheel = bus ? 28 : 20;
    for (int wx : {rearWheel, frontWheel}) {
        solidEllipse(c, wx, groundY - wheelR + 1, wheelR, wheelR, tyre);
        solidEllipse(c, wx, groundY - wheelR + 1, wheelR * 0.45f, wheelR * 0.45f, rim);
    }
    outline(c);
    return c;
}

Canvas carEnd(const CarLook& look, int width, int height, bool front, bool bus) {
    Canvas c(width, height, Key);
    const Rgb glass{120, 170, 210}, tyre{30, 30, 34};
    const int w = width;
    if (bus) {
        c.fillRect(1, 3, w - 2, height - 6, look.body);
        c.fillRect(5, 8, w - 6, front ? 40 : 26, front ? glass : shadeRgb(glass, 0.7f));
        c.fillRect(1, 3, w - 2, 5, shadeRgb(look.body, 0.8f));
        if (front) {
            c.fillRect(8, 0, w - 9, 2, Rgb{30, 30, 36});
            c.fillRect(12, 44, w - 13, 50, Rgb{20, 20, 20});
            for (int i = 0; i < 3; ++i)
                c.fillRect(14 + i * 10, 46, 20 + i * 10, 48, Rgb{250, 170, 40});  // route sign
        }
        c.fillRect(1, height - 24, w - 2, height - 21, Rgb{240, 240, 236});
        const Rgb lamp = front ? Rgb{250, 240, 170} : Rgb{220, 50, 40};
        c.fillRect(4, height - 16, 10, height - 12, lamp);
        c.fillRect(w - 11, height - 16, w - 5, height - 12, lamp);
        c.fillRect(3, height - 6, 12, height - 1, tyre);
        c.fillRect(w - 13, height - 6, w - 4, height - 1, tyre);
    } else {
        c.fillRect(3, height - 7, 11, height - 1, tyre);
        c.fillRect(w - 12, height - 7, w - 4, height - 1, tyre);
        solidPolygon(c,
                     {1, float(height - 5), 1, 20, 10, 5, float(w - 10), 5, float(w - 1), 20,
                      float(w - 1), float(height - 5)},
                     look.body);
        solidPolygon(c, {8, 18, 13, 8, float(w - 13), 8, float(w - 8), 18},
                     front ? glass : shadeRgb(glass, 0.75f));
        const Rgb lamp = front ? Rgb{250, 240, 170} : Rgb{220, 50, 40};
        c.fillRect(3, 23, 10, 27, lamp);
        c.fillRect(w - 11, 23, w - 4, 27, lamp);
        c.fillRect(w / 2 - 8, 28, w / 2 + 7, 32, front ? Rgb{40, 40, 44} : Rgb{240, 240, 232});
        if (look.taxi)
            c.fillRect(w / 2 - 8, 1, w / 2 + 7, 4, Rgb{250, 250, 240});
    }
    shadeRight(c, 0, 0, w - 1, height - 1, 0.7f);
    outline(c);
    return c;
}

Canvas bench(View view) {
    const Rgb wood{168, 110, 60}, iron{50, 54, 60};
    if (view == View::Side) {
        // The sitter looks to the right: backrest on the left.
        Canvas c(24, 24, Key);
        solidLine(c, 5, 2, 7, 13, 3, wood);
        c.fillRect(5, 12, 21, 14, wood);
        c.fillRect(7, 15, 8, 23, iron);
        c.fillRect(18, 15, 19, 23, iron);
        outline(c);
        return c;
    }
    Canvas c(60, 24, Key);
    c.fillRect(3, 16, 5, 23, iron);
    c.fillRect(54, 16, 56, 23, iron);
    if (view == View::Front) {
        for (int i = 0; i < 3; ++i)
            c.fillRect(2, 2 + i * 4, 57, 4 + i * 4, shadeRgb(wood, 1.0f - i * 0.08f));
        c.fillRect(1, 13, 58, 16, shadeRgb(wood, 1.1f));
    } else {
        c.fillRect(2, 2, 57, 14, shadeRgb(wood, 0.8f));
        for (int x = 10; x < 58; x += 12)
            c.fillRect(x, 2, x, 14, shadeRgb(wood, 0.6f));
        c.fillRect(6, 14, 8, 18, iron);
        c.fillRect(51, 14, 53, 18, iron);
    }
    outline(c);
    return c;
}

Canvas fountain() {
    Canvas c(72, 56, Key);
    const Rgb stone{196, 190, 178}, water{90, 160, 220}, spray{220, 240, 252};
    solidEllipse(c, 36, 46, 34, 8, stone);
    solidEllipse(c, 36, 44, 30, 5, water);
    c.fillRect(31, 22, 41, 43, stone);
    solidEllipse(c, 36, 22, 14, 4, stone);
    solidEllipse(c, 36, 21, 11, 2.5f, water);
    for (int i = -2; i <= 2; ++i)
        solidLine(c, 36, 18, 36 + i * 9, 40 - std::abs(i) * 2, 2.0f, spray);
    solidLine(c, 36, 18, 36, 2, 2.6f, spray);
    c.fillRect(2, 46, 69, 52, stone);
    solidEllipse(c, 36, 52, 34, 3.5f, shadeRgb(stone, 0.8f));
    outline(c);
    return c;
}

void addGroup(SheetPacker& packer, const std::vector<Canvas>& frames) {
    bool first = true;
    for (const Canvas& f : frames) {
        packer.addFrame(f, first);
        first = false;
    }
}

std::vector<Canvas> personFrames(const Look& look) {
    return {person(look, View::Front), person(look, View::Back), person(look, View::Side, 0),
            person(look, View::Side, 1)};
}

}  // namespace

Canvas makeWorldSprites() {
    Canvas sheet(512, 512, Key);
    SheetPacker packer(sheet);

    Look man{{236, 190, 150}, {70, 50, 36}, {60, 110, 180}, {50, 56, 70}, {40, 34, 30}};
    Look woman{{226, 176, 136}, {150, 80, 40}, {200, 60, 70}, {0, 0, 0}, {120, 40, 40}};
    woman.dress = true;
    woman.longHair = true;
    Look worker{{200, 150, 110}, {30, 30, 30}, {70, 96, 150}, {60, 80, 120}, {70, 50, 30}};
    worker.helmet = true;
    worker.vest = true;
    Look elder{{240, 200, 170}, {210, 210, 214}, {120, 90, 60}, {90, 86, 80}, {50, 40, 30}};
    addGroup(packer, personFrames(man));
    addGroup(packer, personFrames(woman));
    addGroup(packer, personFrames(worker));
    addGroup(packer, personFrames(elder));

    packer.newBand();
    addGroup(packer, {tree(0), tree(0), tree(0).mirrored()});
    addGroup(packer, {streetLamp(View::Front), streetLamp(View::Back), streetLamp(View::Side)});
    addGroup(packer,
             {trafficLight(View::Front), trafficLight(View::Back), trafficLight(View::Side)});
    addGroup(packer, {bush(), bush(), bush().mirrored()});

    packer.newBand();
    const CarLook car{{196, 40, 40}, false};
    addGroup(packer, {carEnd(car, 52, 40, true, false), carEnd(car, 52, 40, false, false),
                      carSide(car, 96, 40, false)});
    addGroup(packer, {bench(View::Front), bench(View::Back), bench(View::Side)});
    addGroup(packer,
             {dog(View::Front, 0), dog(View::Back, 0), dog(View::Side, 0), dog(View::Side, 1)});

    packer.newBand();
    const CarLook bus{{46, 140, 80}, false};
    addGroup(packer, {carEnd(bus, 56, 80, true, true), carEnd(bus, 56, 80, false, true),
                      carSide(bus, 180, 80, true)});
    const CarLook taxi{{244, 196, 40}, true};
    addGroup(packer, {carEnd(taxi, 52, 40, true, false), carEnd(taxi, 52, 40, false, false),
                      carSide(taxi, 96, 40, false)});

    packer.newBand();
    addGroup(packer, {fountain(), fountain(), fountain()});
    if (!packer.allPlaced() || packer.groupCount() != media_layout::WorldGroupCount)
        return Canvas(0, 0, Key);
    return sheet;
}
