#pragma once
// Sizes and groupings that the media generator produces and the program expects.

namespace media_layout {

struct Member {
    const char* name;
    int width, height;
};

// Archive members in archive order; each is width x height x 3 bytes.
constexpr Member kMembers[6] = {
    {"Media\\Block0_8.raw", 8, 8},
    {"Media\\Block1_16.raw", 16, 16},
    {"Media\\Font16x16_256128.raw", 256, 128},
    {"Media\\Sky51232.raw", 512, 32},
    {"Media\\Sprites512.raw", 512, 512},
    {"Media\\InterfaceSprites512256.raw", 512, 256},
};
constexpr int kArchiveSize = 1328064;

// Interface panels: group number = index; drawn at the given corner of a
// 640 x 480 screen with the given size.
struct Panel {
    int x, y, width, height;
};
constexpr Panel kPanels[5] = {
    {0, 0, 132, 30},       // quit, save, load
    {560, 0, 80, 30},      // edit mode and view toggles
    {459, 350, 181, 130},  // block material
    {501, 350, 139, 130},  // sprite type
    {0, 400, 40, 80},      // level up and down
};

// World sprite groups in sheet order. People have four frames (front, back,
// two steps seen from the side, facing right); objects three (front, back, side).
struct SpriteGroup {
    const char* name;
    int frames;
};
constexpr SpriteGroup kWorldGroups[] = {
    {"man", 4},         {"woman", 4},         {"worker", 4}, {"elder", 4},    {"tree", 3},
    {"street lamp", 3}, {"traffic light", 3}, {"bush", 3},   {"car", 3},      {"bench", 3},
    {"dog", 4},         {"bus", 3},           {"taxi", 3},   {"fountain", 3},
};
constexpr int kWorldGroupCount = sizeof(kWorldGroups) / sizeof(kWorldGroups[0]);

constexpr int kLooseTextureCount = 31;

// A clickable rectangle in screen pixels (640 x 480), inclusive bounds.
struct Region {
    int id, left, top, right, bottom;
};

// The program's button regions on a 640 x 480 screen, each on one panel.
constexpr int W = 640;
constexpr int H = 480;
constexpr Region kRegions[] = {
    {1, 8, 2, 37, 27},
    {2, 45, 1, 81, 28},
    {3, 87, 0, 125, 27},
    {4, W - 76, 1, W - 41, 27},
    {5, W - 40, 1, W - 1, 27},
    {6, W - 124, H - 126, W - 107, H - 108},
    {7, W - 19, H - 125, W - 4, H - 112},
    {8, W - 38, H - 124, W - 26, H - 113},
    {9, W - 102, H - 123, W - 90, H - 113},
    {10, W - 122, H - 104, W - 110, H - 92},
    {11, W - 123, H - 39, W - 109, H - 25},
    {12, W - 106, H - 17, W - 93, H - 6},
    {13, W - 35, H - 19, W - 23, H - 6},
    {14, W - 16, H - 36, W - 4, H - 23},
    {15, W - 18, H - 106, W - 5, H - 93},
    {16, W - 176, H - 119, W - 130, H - 84},
    {17, W - 170, H - 74, W - 151, H - 56},
    {18, W - 149, H - 74, W - 130, H - 56},
    {19, W - 170, H - 53, W - 152, H - 35},
    {20, W - 149, H - 53, W - 130, H - 35},
    {21, W - 170, H - 31, W - 152, H - 14},
    {22, W - 150, H - 31, W - 129, H - 14},
    {23, 2, H - 76, 36, H - 42},
    {24, 2, H - 39, 36, H - 3},
    {25, W - 118, H - 89, W - 89, H - 67},
    {26, W - 118, H - 64, W - 89, H - 40},
};

// The panel (interface group) a region's button is drawn on.
constexpr int regionPanel(int id) {
    return id <= 3 ? 0 : id <= 5 ? 1 : id <= 22 ? 2 : id <= 24 ? 4 : 3;
}

}  // namespace media_layout
