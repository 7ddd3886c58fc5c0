// Checks the media that the build generates into the build folder: the archive
// layout, every picture's size and conventions, the marker frames of both
// sprite sheets as the program's SpriteSheet finds them, the interface panels
// against the button regions, the loose textures and the click sound.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "media/InterfaceLayout.h"
#include "media/MediaArchive.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"
#include "platform/TextureTable.h"
#include "support/FileBytes.h"
#include "support/GLTestFixture.h"
#include "support/ScratchFolder.h"
#include "tools/MediaLayout.h"

namespace {

const std::string BuildDir = TAMO_BUILD_DIR;

struct Colour {
    int r = 0, g = 0, b = 0;
};

bool isKey(const Colour& c) {
    return c.r == 159 && c.g == 0 && c.b == 159;
}
int distance(const Colour& a, const Colour& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}
double luminance(const Colour& c) {
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// A raw RGB image read from the build folder.
struct RawImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Colour at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

RawImage loadMember(int index) {
    const ArchiveImage& m = MediaArchiveMembers[index];
    std::string path = BuildDir + "/" + m.name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return {m.width, m.height, readFileBytes(path)};
}

// Panel corners as the main window draws them, and the button regions, at
// W = 640, H = 480, from the program's interface layout.
constexpr int W = 640, H = 480;
const std::vector<ScreenPoint> PanelCorners = [] {
    std::vector<ScreenPoint> corners;
    for (const PanelLayout& panel : Panels)
        corners.push_back(panel.corner(W, H));
    return corners;
}();

struct ButtonRect {
    int id, panel, left, top, right, bottom;
};
const std::vector<ButtonRect> ButtonRects = [] {
    std::vector<ButtonRect> buttons;
    for (const ButtonLayout& b : Buttons) {
        const ScreenRect r = b.onScreen(W, H);
        buttons.push_back({b.id, b.panel, r.left, r.top, r.right, r.bottom});
    }
    return buttons;
}();

struct Loose {
    int number, width, height;
    std::string name;
};

std::vector<Loose> listLooseTextures(std::vector<std::string>* unparsed = nullptr) {
    std::vector<Loose> found;
    DIR* dir = opendir((BuildDir + "/Textures").c_str());
    if (!dir)
        return found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        Loose t{0, 0, 0, name};
        if (std::sscanf(name.c_str(), "%d_%d_%d.raw", &t.number, &t.width, &t.height) == 3)
            found.push_back(t);
        else if (unparsed)
            unparsed->push_back(name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const Loose& a, const Loose& b) { return a.number < b.number; });
    return found;
}

RawImage loadLoose(const Loose& t) {
    return {t.width, t.height, readFileBytes(BuildDir + "/Textures/" + t.name)};
}

Colour meanColour(const RawImage& img, int x0, int y0, int x1, int y1) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Colour c = img.at(x, y);
            r += c.r;
            g += c.g;
            b += c.b;
            ++n;
        }
    return n ? Colour{int(r / n), int(g / n), int(b / n)} : Colour{};
}

bool isPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

}  // namespace

// ---- Archive ----

TEST(GeneratedMedia, ArchiveHoldsTheSixMembersEndToEndAtTheirOffsets) {
    const std::vector<uint8_t> archive = readFileBytes(BuildDir + "/TamoData.arc");
    ASSERT_EQ(archive.size(), 1328064u);
    const size_t expectedOffsets[6] = {0, 192, 960, 99264, 148416, 934848};
    const size_t expectedSizes[6] = {192, 768, 98304, 49152, 786432, 393216};
    for (int i = 0; i < 6; ++i) {
        const RawImage member = loadMember(i);
        SCOPED_TRACE(MediaArchiveMembers[i].name);
        ASSERT_EQ(member.rgb.size(), expectedSizes[i]);
        EXPECT_TRUE(std::equal(member.rgb.begin(), member.rgb.end(),
                               archive.begin() + long(expectedOffsets[i])));
    }
}

TEST(GeneratedMedia, RegeneratingGivesByteIdenticalFiles) {
    const ScratchFolder folder("tamo_media_again");
    ASSERT_TRUE(folder.made());
    const std::string command =
        BuildDir + "/tools/tamo_media_generator " + folder.path() + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<std::string> names = {"TamoData.arc", "pip.wav"};
    for (const Loose& t : listLooseTextures())
        names.push_back("Textures/" + t.name);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> original = readFileBytes(BuildDir + "/" + name);
        ASSERT_FALSE(original.empty());
        EXPECT_EQ(original, readFileBytes(folder.path(name)));
    }
}

// ---- Small images ----

TEST(GeneratedMedia, PlanTilesAreLightAndTheCurrentLevelStandsOut) {
    const RawImage current = loadMember(0), other = loadMember(1);
    ASSERT_EQ(current.rgb.size(), 8u * 8 * 3);
    ASSERT_EQ(other.rgb.size(), 16u * 16 * 3);
    const double currentLight = luminance(meanColour(current, 0, 0, 7, 7));
    const double otherLight = luminance(meanColour(other, 0, 0, 15, 15));
    // Both are tinted by the block's texture colour, so neither may be dark.
    EXPECT_GT(currentLight, 180.0);
    EXPECT_GT(otherLight, 110.0);
    EXPECT_GT(currentLight - otherLight, 40.0);
}

TEST(GeneratedMedia, SkyRunsFromZenithToHorizonAndWrapsWithoutSeam) {
    const RawImage sky = loadMember(3);
    ASSERT_EQ(sky.rgb.size(), 512u * 32 * 3);
    const Colour zenith = meanColour(sky, 0, 0, 511, 0), horizon = meanColour(sky, 0, 31, 511, 31);
    EXPECT_GT(zenith.b, zenith.r + 60) << "the zenith is a deep blue";
    EXPECT_GT(luminance(horizon), luminance(zenith) + 50) << "the horizon is pale";
    // The seam between the last and the first column is no harsher than the
    // average step between neighbouring columns.
    double seam = 0, steps = 0;
    for (int y = 0; y < 32; ++y) {
        seam += distance(sky.at(511, y), sky.at(0, y));
        for (int x = 0; x < 511; ++x)
            steps += distance(sky.at(x, y), sky.at(x + 1, y));
    }
    EXPECT_LE(seam / 32, 3.0 * steps / (32 * 511) + 2);
}

// ---- Font ----

TEST(GeneratedMedia, FontHasADistinctOutlinedGlyphInEveryUsedCellAndNothingElse) {
    const RawImage font = loadMember(2);
    ASSERT_EQ(font.rgb.size(), 256u * 128 * 3);
    auto cellOf = [&](int cell) {
        std::vector<uint8_t> bytes;
        const int cu = (cell % 16) * 16, cv = (cell / 16) * 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const Colour c = font.at(cu + x, cv + y);
                bytes.push_back(static_cast<uint8_t>(c.r));
                bytes.push_back(static_cast<uint8_t>(c.g));
                bytes.push_back(static_cast<uint8_t>(c.b));
            }
        return bytes;
    };
    auto countPixels = [&](int cell, bool (*what)(const Colour&)) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (what(font.at((cell % 16) * 16 + x, (cell / 16) * 16 + y)))
                    ++n;
        return n;
    };
    auto white = [](const Colour& c) { return c.r > 240 && c.g > 240 && c.b > 240; };
    auto dark = [](const Colour& c) { return !isKey(c) && luminance(c) < 60; };
    auto key = [](const Colour& c) { return isKey(c); };

    std::map<std::vector<uint8_t>, int> seen;
    for (int cell = 0; cell < 50; ++cell) {
        SCOPED_TRACE(cell);
        EXPECT_GE(countPixels(cell, white), 4) << "a white glyph body";
        EXPECT_GE(countPixels(cell, dark), 8) << "a dark outline";
        EXPECT_GE(countPixels(cell, key), 40) << "a transparent background";
        const auto inserted = seen.emplace(cellOf(cell), cell);
        EXPECT_TRUE(inserted.second) << "same picture as cell " << inserted.first->second;
    }
    // The fallback cell at texel (240, 112) draws every character without a cell.
    EXPECT_GE(countPixels(127, white), 10);
    EXPECT_FALSE(seen.count(cellOf(127)));
    for (int cell = 50; cell < 127; ++cell)
        EXPECT_EQ(countPixels(cell, key), 256) << "unused cell " << cell;
}

TEST(GeneratedMedia, DigitsStayDistinctAtHalfSize) {
    // The panel's numbers are drawn at scale 0.5: nearest sampling then shows
    // every second texel (the odd ones) of a cell. Each digit and the minus sign
    // must still differ from every other in several of those 64 samples.
    const RawImage font = loadMember(2);
    const char order[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-";
    const std::string glyphs = "0123456789-";
    std::vector<std::vector<int>> halves;
    for (char ch : glyphs) {
        const int cell = int(std::strchr(order, ch) - order);
        std::vector<int> half;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const Colour c =
                    font.at((cell % 16) * 16 + 2 * x + 1, (cell / 16) * 16 + 2 * y + 1);
                half.push_back(isKey(c) ? 0 : luminance(c) > 128 ? 2 : 1);
            }
        halves.push_back(half);
    }
    for (size_t a = 0; a < halves.size(); ++a) {
        int lit = 0;
        for (int v : halves[a])
            lit += v == 2;
        EXPECT_GE(lit, 2) << "'" << glyphs[a] << "' keeps its body";
        for (size_t b = a + 1; b < halves.size(); ++b) {
            int differing = 0;
            for (size_t i = 0; i < 64; ++i)
                differing += (halves[a][i] == 2) != (halves[b][i] == 2);
            EXPECT_GE(differing, 3) << "'" << glyphs[a] << "' and '" << glyphs[b] << "'";
        }
    }
}

// ---- Sprite sheets, scanned by the program's own SpriteSheet ----

class GeneratedSheetTest : public GLTestFixture {
protected:
    // Pixels of the three marker colours anywhere on a sheet.
    static int countMarkPixels(const RawImage& sheet) {
        int marks = 0;
        for (int y = 0; y < sheet.height; ++y)
            for (int x = 0; x < sheet.width; ++x) {
                const Colour c = sheet.at(x, y);
                if ((c.r == 239 && c.g == 79 && c.b == 100) ||
                    (c.r == 79 && c.g == 171 && c.b == 79) ||
                    (c.r == 79 && c.g == 239 && c.b == 239))
                    ++marks;
            }
        return marks;
    }
    static int totalFrames(const SpriteSheet& sheet) {
        int frames = 0;
        for (int g = 0; g < sheet.groupCount(); ++g)
            frames += sheet.frameCount(g);
        return frames;
    }
};

TEST_F(GeneratedSheetTest, WorldSheetHoldsTheIntendedGroupsAndFrames) {
    const RawImage image = loadMember(4);
    ASSERT_EQ(image.rgb.size(), 512u * 512 * 3);
    SpriteSheet sheet(gl, image.rgb.data(), 512, 512, 5, 0);
    ASSERT_EQ(sheet.groupCount(), media_layout::WorldGroupCount);
    EXPECT_GE(sheet.groupCount(), 8);
    int animated = 0, fixed = 0;
    for (int g = 0; g < sheet.groupCount(); ++g) {
        SCOPED_TRACE(media_layout::WorldGroups[g].name);
        ASSERT_EQ(sheet.frameCount(g), media_layout::WorldGroups[g].frames);
        (sheet.frameCount(g) == 4 ? animated : fixed)++;
        for (int f = 0; f < sheet.frameCount(g); ++f) {
            const SpriteFrame& frame = sheet.frameAt(g, f);
            int opaque = 0, area = 0;
            for (int y = frame.top; y <= frame.bottom; ++y)
                for (int x = frame.left; x <= frame.right; ++x, ++area)
                    if (sheet.pixels()[(size_t(y) * 512 + x) * 4 + 3] == 255)
                        ++opaque;
            EXPECT_GT(opaque, area / 8) << "frame " << f << " shows something";
            EXPECT_LT(opaque, area) << "frame " << f << " is cut out, not a rectangle";
        }
        if (sheet.frameCount(g) == 4) {
            // The two side steps differ, and all four frames share one size so
            // the figure does not jump while it walks or turns.
            const SpriteFrame a = sheet.frameAt(g, 2), b = sheet.frameAt(g, 3);
            bool differ = false;
            for (int y = 0; y <= a.bottom - a.top && !differ; ++y)
                for (int x = 0; x <= a.right - a.left && !differ; ++x)
                    differ =
                        image.at(a.left + x, a.top + y).r != image.at(b.left + x, b.top + y).r ||
                        image.at(a.left + x, a.top + y).g != image.at(b.left + x, b.top + y).g;
            EXPECT_TRUE(differ) << "two walking steps";
            for (int f = 1; f < 4; ++f) {
                EXPECT_EQ(sheet.frameAt(g, f).right - sheet.frameAt(g, f).left, a.right - a.left);
                EXPECT_EQ(sheet.frameAt(g, f).bottom - sheet.frameAt(g, f).top, a.bottom - a.top);
            }
        }
    }
    EXPECT_GE(animated, 4) << "several kinds of people";
    EXPECT_EQ(countMarkPixels(image), 3 * totalFrames(sheet))
        << "marker colours only at frame corners";
    EXPECT_GE(fixed, 5) << "street furniture and vehicles";
}

TEST_F(GeneratedSheetTest, InterfaceSheetHasFiveSingleFramePanelsThatFitTheScreen) {
    const RawImage image = loadMember(5);
    ASSERT_EQ(image.rgb.size(), 512u * 256 * 3);
    SpriteSheet sheet(gl, image.rgb.data(), 512, 256, 6, 0);
    ASSERT_EQ(sheet.groupCount(), 5);
    EXPECT_EQ(countMarkPixels(image), 15) << "marker colours only at frame corners";
    for (int g = 0; g < 5; ++g) {
        SCOPED_TRACE(g);
        ASSERT_EQ(sheet.frameCount(g), 1);
        const SpriteFrame& f = sheet.frameAt(g, 0);
        const int width = f.right - f.left + 1, height = f.bottom - f.top + 1;
        EXPECT_EQ(width, Panels[g].width);
        EXPECT_EQ(height, Panels[g].height);
        // Drawn at its corner, the panel is flush with the edges it is anchored to.
        EXPECT_EQ(PanelCorners[g].x + width == W, Panels[g].alongRight);
        EXPECT_EQ(PanelCorners[g].y + height == H, Panels[g].alongBottom);
        EXPECT_LE(PanelCorners[g].x + width, W);
        EXPECT_LE(PanelCorners[g].y + height, H);
        // Every button of the panel lies on it.
        for (const ButtonRect& b : ButtonRects) {
            if (b.panel != g)
                continue;
            EXPECT_GE(b.left, PanelCorners[g].x) << "button " << b.id;
            EXPECT_GE(b.top, PanelCorners[g].y) << "button " << b.id;
            EXPECT_LT(b.right, PanelCorners[g].x + width) << "button " << b.id;
            EXPECT_LT(b.bottom, PanelCorners[g].y + height) << "button " << b.id;
        }
    }
}

// Vehicles seen from the side are drawn with the headlights at the front: a
// car heading to the viewer's right must show its headlights right of its tail
// lights on screen, after the sprite objects' rules pick the frame and mirroring
// (side view: frame 2, mirrored when the heading is clockwise of the view).
TEST_F(GeneratedSheetTest, SideViewsFaceTheWayTheObjectHeads) {
    const RawImage image = loadMember(4);
    SpriteSheet sheet(gl, image.rgb.data(), 512, 512, 5, 0);
    ASSERT_EQ(sheet.groupCount(), media_layout::WorldGroupCount);
    gl->eye = Vector3{0, 0, 0};
    gl->direction = Vector3{1, 0, 0};
    gl->up = Vector3{0, 1, 0};
    gl->applyProjection();
    gl->enableAlphaTest();
    for (const char* name : {"car", "taxi"}) {
        int group = -1;
        for (int g = 0; g < media_layout::WorldGroupCount; ++g)
            if (std::strcmp(media_layout::WorldGroups[g].name, name) == 0)
                group = g;
        ASSERT_GE(group, 0);
        // Heading +z (90 degrees) is to the right of a view along +x; 270 is to the left.
        for (const float heading : {90.0f, 270.0f}) {
            SCOPED_TRACE(std::string(name) + " heading " + std::to_string(heading));
            const float rel = heading > 180.0f ? heading - 360.0f : heading;
            gl->clear();
            gl->applyCamera();
            sheet.selectFrame(group, 2);
            gl->textures->drawBillboard(5, Vector3{100, -10, 0}, 0.5f, rel < 0);
            std::vector<uint8_t> shot(size_t(W) * H * 4);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, shot.data());
            double headX = 0, tailX = 0;
            int heads = 0, tails = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const uint8_t* p = &shot[(size_t(y) * W + x) * 4];
                    if (p[0] > 235 && p[1] > 225 && p[2] > 150 && p[2] < 190)
                        headX += x, ++heads;
                    if (p[0] > 200 && p[1] < 70 && p[2] < 60)
                        tailX += x, ++tails;
                }
            ASSERT_GT(heads, 0);
            ASSERT_GT(tails, 0);
            if (rel > 0) {
                EXPECT_GT(headX / heads, tailX / tails) << "headlights on the right";
            } else {
                EXPECT_LT(headX / heads, tailX / tails) << "headlights on the left";
            }
        }
    }
}

// ---- Interface panels against the button regions ----

class InterfacePanels : public ::testing::Test {
protected:
    // Each panel's picture as the main window shows it, found by the generator's marker layout.
    void SetUp() override {
        const RawImage sheet = loadMember(5);
        ASSERT_EQ(sheet.rgb.size(), 512u * 256 * 3);
        int group = -1;
        for (int y = 0; y < 256;) {
            int tallest = 0;
            for (int x = 0; x < 512; ++x) {
                const Colour c = sheet.at(x, y);
                const bool newGroup = c.r == 239 && c.g == 79 && c.b == 100;
                if (!newGroup)
                    continue;
                int xr = x + 1, yb = y + 1;
                while (xr < 512 && !(sheet.at(xr, y).r == 79 && sheet.at(xr, y).g == 239))
                    ++xr;
                while (xr < 512 && yb < 256 &&
                       !(sheet.at(xr, yb).r == 79 && sheet.at(xr, yb).g == 239))
                    ++yb;
                if (xr >= 512 || yb >= 256)
                    continue;
                ++group;
                RawImage panel{xr - x - 1, yb - y - 1, {}};
                for (int py = y + 1; py < yb; ++py)
                    for (int px = x + 1; px < xr; ++px) {
                        const Colour p = sheet.at(px, py);
                        panel.rgb.insert(panel.rgb.end(),
                                         {uint8_t(p.r), uint8_t(p.g), uint8_t(p.b)});
                    }
                panels.push_back(panel);
                tallest = std::max(tallest, yb - y);
                x = xr;
            }
            y += 1 + tallest;
        }
        ASSERT_EQ(panels.size(), 5u);
    }

    // Colour at a screen position on panel g.
    Colour onScreen(int g, int x, int y) const {
        return panels[g].at(x - PanelCorners[g].x, y - PanelCorners[g].y);
    }

    int buttonAt(int g, int x, int y) const {
        for (const ButtonRect& b : ButtonRects)
            if (b.panel == g && x >= b.left && x <= b.right && y >= b.top && y <= b.bottom)
                return b.id;
        return 0;
    }
    bool insideAnyButton(int g, int x, int y) const { return buttonAt(g, x, y) != 0; }

    std::vector<RawImage> panels;
};

TEST_F(InterfacePanels, EveryButtonStandsOutFromThePanelAroundIt) {
    for (const ButtonRect& b : ButtonRects) {
        SCOPED_TRACE(b.id);
        const int g = b.panel;
        Colour inside = meanColour(panels[g], b.left - PanelCorners[g].x, b.top - PanelCorners[g].y,
                                   b.right - PanelCorners[g].x, b.bottom - PanelCorners[g].y);
        // The ring of panel pixels up to three pixels around the button, outside every button.
        long r = 0, gr = 0, bl = 0, n = 0;
        for (int y = b.top - 3; y <= b.bottom + 3; ++y)
            for (int x = b.left - 3; x <= b.right + 3; ++x) {
                const int px = x - PanelCorners[g].x, py = y - PanelCorners[g].y;
                if (px < 0 || py < 0 || px >= panels[g].width || py >= panels[g].height)
                    continue;
                if (insideAnyButton(g, x, y))
                    continue;
                const Colour c = panels[g].at(px, py);
                if (isKey(c))
                    continue;
                r += c.r;
                gr += c.g;
                bl += c.b;
                ++n;
            }
        ASSERT_GT(n, 0);
        const Colour around{int(r / n), int(gr / n), int(bl / n)};
        EXPECT_GT(distance(inside, around), 60) << "button face against the panel";
        // A label or icon: the button is not one flat colour. The preset buttons
        // show facade miniatures instead, checked against their textures below.
        if (b.id >= ButtonFirstPreset && b.id <= ButtonLastPreset)
            continue;
        double sum = 0, sumSq = 0;
        int count = 0;
        for (int y = b.top + 2; y <= b.bottom - 2; ++y)
            for (int x = b.left + 2; x <= b.right - 2; ++x) {
                const double l = luminance(onScreen(g, x, y));
                sum += l;
                sumSq += l * l;
                ++count;
            }
        const double mean = sum / count;
        EXPECT_GT(std::sqrt(sumSq / count - mean * mean), 20.0) << "a visible label";
    }
}

TEST_F(InterfacePanels, NumberFieldsAndPreviewsAreLeftClear) {
    // Where the main window draws the material's five numbers (centred, half-size font),
    // the panel is one flat colour and no button lies.
    // The rotation is drawn in the middle of the rotate button itself (16).
    struct NumberSpot {
        int x, y, characters, onButton;
    };
    const int bx = PanelCorners[PanelBlock].x, by = PanelCorners[PanelBlock].y;
    auto spot = [&](ScreenPoint at, int characters, int onButton) {
        return NumberSpot{bx + at.x, by + at.y, characters, onButton};
    };
    const NumberSpot spots[] = {spot(RotationNumberSpot, 1, ButtonRotate),
                                spot(ScaleUNumberSpot, 2, 0), spot(ScaleVNumberSpot, 2, 0),
                                spot(OffsetUNumberSpot, 2, 0), spot(OffsetVNumberSpot, 2, 0)};
    for (const NumberSpot& s : spots) {
        SCOPED_TRACE(std::to_string(s.x) + "," + std::to_string(s.y));
        const int x0 = s.x - 9 * s.characters / 2, y0 = s.y - 4;
        const Colour first = onScreen(2, x0, y0);
        for (int y = y0; y < y0 + 8; ++y)
            for (int x = x0; x < x0 + 9 * s.characters; ++x) {
                ASSERT_EQ(distance(onScreen(2, x, y), first), 0) << "at " << x << "," << y;
                ASSERT_EQ(buttonAt(2, x, y), s.onButton);
            }
        // Dark enough behind the numbers' red, so they read clearly.
        EXPECT_LT(luminance(first), 80.0);
    }
    // The material preview and the sprite preview cover no button.
    const ScreenRect material = MaterialPreview.movedBy(bx, by);
    for (int y = material.top; y <= material.bottom; ++y)
        for (int x = material.left; x <= material.right; ++x)
            ASSERT_FALSE(insideAnyButton(2, x, y));
    const ScreenPoint sprites = PanelCorners[PanelSprite];
    const ScreenRect sprite = SpritePreview.movedBy(sprites.x, sprites.y);
    for (int y = sprite.top; y <= sprite.bottom; ++y)
        for (int x = sprite.left; x <= sprite.right; ++x)
            ASSERT_FALSE(insideAnyButton(3, x, y));
}

TEST_F(InterfacePanels, PresetButtonsShowTheirOwnFacades) {
    // Button 17 + k sets texture 101 + k: its picture must look most like loose texture 1 + k.
    const std::vector<Loose> loose = listLooseTextures();
    ASSERT_GE(loose.size(), 7u);
    Colour facade[6];
    for (int k = 0; k < 6; ++k) {
        const RawImage t = loadLoose(loose[size_t(k + 1)]);
        facade[k] = meanColour(t, 0, 0, t.width - 1, t.height - 1);
    }
    for (int k = 0; k < 6; ++k) {
        const ButtonRect& b = ButtonRects[16 + k];
        ASSERT_EQ(b.id, 17 + k);
        const Colour shown =
            meanColour(panels[2], b.left - PanelCorners[2].x + 2, b.top - PanelCorners[2].y + 2,
                       b.right - PanelCorners[2].x - 2, b.bottom - PanelCorners[2].y - 2);
        int best = 0;
        for (int j = 1; j < 6; ++j)
            if (distance(shown, facade[j]) < distance(shown, facade[best]))
                best = j;
        EXPECT_EQ(best, k) << "preset button " << b.id;
    }
}

// ---- Loose textures ----

TEST(GeneratedMedia, LooseTexturesAreNumberedWithoutGapsAndMatchTheirNames) {
    std::vector<std::string> unparsed;
    const std::vector<Loose> loose = listLooseTextures(&unparsed);
    EXPECT_TRUE(unparsed.empty()) << "stray file " << (unparsed.empty() ? "" : unparsed[0]);
    ASSERT_GE(loose.size(), 20u);
    for (size_t i = 0; i < loose.size(); ++i) {
        const Loose& t = loose[i];
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.number, int(i));
        EXPECT_TRUE(isPowerOfTwo(t.width) && isPowerOfTwo(t.height));
        const RawImage img = loadLoose(t);
        ASSERT_EQ(img.rgb.size(), size_t(t.width) * t.height * 3);
        if (t.number >= 13) {
            // Ground and materials are loaded without a colour key: no keyed pixel may hide in them.
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    ASSERT_FALSE(isKey(img.at(x, y)));
        }
    }
    // Facades 1 to 6 are whole building sides: at least 128 texels along one edge.
    for (int n = 1; n <= 6; ++n)
        EXPECT_GE(std::max(loose[size_t(n)].width, loose[size_t(n)].height), 128);
}

TEST(GeneratedMedia, GroundTexturesTileWithoutSeams) {
    // Textures from 13 on repeat once per block, so opposite edges must meet as
    // smoothly as the middle of the picture does at the same phase of any
    // pattern (joints every 8, 16 or 32 texels fall on both). Texture 15 is the
    // kerb-side lane: its kerb belongs on one edge, so it tiles only along the road.
    for (const Loose& t : listLooseTextures()) {
        if (t.number < 13)
            continue;
        SCOPED_TRACE(t.name);
        const RawImage img = loadLoose(t);
        const int w = img.width, h = img.height;
        double seamAcross = 0, middleAcross = 0, seamAlong = 0, middleAlong = 0;
        for (int y = 0; y < h; ++y) {
            seamAcross += distance(img.at(w - 1, y), img.at(0, y));
            middleAcross += distance(img.at(w / 2 - 1, y), img.at(w / 2, y));
        }
        for (int x = 0; x < w; ++x) {
            seamAlong += distance(img.at(x, h - 1), img.at(x, 0));
            middleAlong += distance(img.at(x, h / 2 - 1), img.at(x, h / 2));
        }
        if (t.number != 15) {
            EXPECT_LE(seamAcross / h, 1.5 * middleAcross / h + 12) << "left and right edges";
        }
        EXPECT_LE(seamAlong / w, 1.5 * middleAlong / w + 12) << "top and bottom edges";
    }
}

// ---- Click sound ----

TEST(GeneratedMedia, ClickSoundIsAShortMono16BitPcmWave) {
    const std::vector<uint8_t> wav = readFileBytes(BuildDir + "/pip.wav");
    ASSERT_GE(wav.size(), 44u);
    auto u16 = [&](size_t at) { return unsigned(wav[at] | (wav[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return uint32_t(u16(at) | (u16(at + 2) << 16)); };
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1u) << "PCM";
    EXPECT_EQ(u16(22), 1u) << "mono";
    const uint32_t rate = u32(24);
    EXPECT_TRUE(rate == 22050 || rate == 44100);
    EXPECT_EQ(u16(34), 16u);
    EXPECT_EQ(u32(28), rate * 2);
    ASSERT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    const uint32_t bytes = u32(40);
    ASSERT_EQ(bytes + 44, wav.size());
    const double ms = 1000.0 * (bytes / 2) / rate;
    EXPECT_GE(ms, 30.0);
    EXPECT_LE(ms, 60.0);
    int peak = 0;
    for (size_t i = 44; i + 1 < wav.size(); i += 2)
        peak = std::max(peak, std::abs(int(int16_t(u16(i)))));
    EXPECT_GT(peak, 4000) << "audible";
    EXPECT_LT(peak, 32000) << "not clipped";
    // Starts and ends at rest, so it does not pop.
    EXPECT_LT(std::abs(int(int16_t(u16(44)))), 500);
    EXPECT_LT(std::abs(int(int16_t(u16(wav.size() - 2)))), 500);
}
