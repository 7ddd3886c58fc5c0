#pragma once
#include <cstdint>

// The program's media archive: six raw RGB images (width x height x 3 bytes,
// rows top down) laid end to end in this order. The same names are the paths
// of the loose files the archive is assembled from.

struct ArchiveImage {
    const char* name;
    int32_t width, height;

    constexpr int32_t size() const { return width * height * 3; }
};

enum ArchiveMember : int32_t {
    MemberCurrentLevelTile = 0,  // plan-view cells of the current level
    MemberOtherLevelTile = 1,    // plan-view cells of the levels below
    MemberFont = 2,
    MemberSky = 3,
    MemberWorldSprites = 4,
    MemberInterfaceSprites = 5,
    ArchiveMemberCount = 6,
};

constexpr const char* MediaArchiveFile = "TamoData.arc";

constexpr ArchiveImage MediaArchiveMembers[ArchiveMemberCount] = {
    {"Media\\Block0_8.raw", 8, 8},
    {"Media\\Block1_16.raw", 16, 16},
    {"Media\\Font16x16_256128.raw", 256, 128},
    {"Media\\Sky51232.raw", 512, 32},
    {"Media\\Sprites512.raw", 512, 512},
    {"Media\\InterfaceSprites512256.raw", 512, 256},
};

constexpr int32_t mediaArchiveSize() {
    int32_t total = 0;
    for (const ArchiveImage& member : MediaArchiveMembers)
        total += member.size();
    return total;
}

// Names the archive file (MediaArchiveFile in the working directory unless
// another path is given) and declares its members, in archive order, in the
// archive registry (which should be empty).
void declareMediaArchive(const char* path = MediaArchiveFile);
