#pragma once
// A live world for the world and avatar tests: a GL context, a host of the
// world (world tests: MyTestHost, avatar tests: the program's engine core),
// its map and sprite objects, and on request a window with a cursor source
// reading it (WindowCursor, or the editor avatar). Also small helpers for
// files and byte layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "media/FileStream.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/Window.h"
#include "support/FileBytes.h"
#include "support/GLTestFixture.h"
#include "support/ScratchFolder.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"

namespace testworld {

// Little-endian byte layouts written the way another program would.
class Bytes {
public:
    Bytes& i32(int32_t v) { return raw(&v, 4); }
    Bytes& f32(float v) { return raw(&v, 4); }
    Bytes& u8(uint8_t v) { return raw(&v, 1); }
    Bytes& str(const std::string& s) { return raw(s.c_str(), s.size() + 1); }
    Bytes& face(int32_t texture, int32_t u = 0, int32_t v = 0, uint8_t rotation = 0,
                int8_t scaleU = 1, int8_t scaleV = 1) {
        i32(texture).i32(u).i32(v).u8(rotation);
        return u8(static_cast<uint8_t>(scaleU)).u8(static_cast<uint8_t>(scaleV));
    }
    Bytes& block(int32_t x, int32_t y, int32_t z, int32_t texture = 100) {
        i32(x).i32(y).i32(z);
        for (int f = 0; f < 6; ++f)
            face(texture);
        return *this;
    }
    Bytes& sectorHeader(int32_t size, float x, float y, float z, int32_t blocks) {
        return i32(size).f32(x).f32(y).f32(z).i32(blocks);
    }
    Bytes& sprite(int32_t id, float x, float y, float z, const std::string& name,
                  float angle = 0.0f, int32_t type = 0, int32_t team = 0, float height = 30.0f) {
        i32(id).f32(x).f32(y).f32(z).f32(angle).i32(type).i32(team).f32(height);
        return str(name);
    }
    const std::vector<uint8_t>& data() const { return bytes; }

private:
    Bytes& raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> readFile(const std::string& path) {
    return readFileBytes(path);
}

// With TAMO_FUZZ_SEEDS naming a folder, the files these tests craft and save
// are kept there too, named by their content: scripts/fuzz.sh seeds the map
// file and sector record fuzz targets with them.
inline void keepAsFuzzSeed(const std::vector<uint8_t>& bytes) {
    const char* folder = std::getenv("TAMO_FUZZ_SEEDS");
    if (folder == nullptr || *folder == '\0')
        return;
    const size_t hash = std::hash<std::string>()(std::string(bytes.begin(), bytes.end()));
    char name[32];
    std::snprintf(name, sizeof name, "/%016zx", hash);
    writeFileBytes(folder + std::string(name), bytes);  // a seed less is no fault
}

// Writes the file or fails the test.
inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    keepAsFuzzSeed(bytes);
    ASSERT_TRUE(writeFileBytes(path, bytes)) << path;
}

inline int32_t int32At(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

inline float floatAt(const std::vector<uint8_t>& bytes, size_t offset) {
    float v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

inline int32_t usedBlocks(const TamoSector* sector) {
    int32_t n = 0;
    for (const MapBlock& b : sector->blocks)
        n += b.used ? 1 : 0;
    return n;
}

// A sheet with one group of four 8 x 8 frames: frame k has its left half in
// colour k and its right half white.
inline std::vector<uint8_t> sheetImage(int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width * height * 3), 0);
    auto put = [&](int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &rgb[static_cast<size_t>((y * width + x) * 3)];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    };
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t x = k * 12;
        const bool first = k == 0;
        put(x, 0, first ? 239 : 79, first ? 79 : 171, first ? 100 : 79);
        put(x + 9, 0, 79, 239, 239);
        put(x + 9, 9, 79, 239, 239);
        for (int32_t y = 1; y <= 8; ++y)
            for (int32_t i = 1; i <= 8; ++i) {
                if (i <= 4)
                    put(x + i, y, colours[k][0], colours[k][1], colours[k][2]);
                else
                    put(x + i, y, 255, 255, 255);
            }
    }
    return rgb;
}

template <class Host, class Cursor>
class BasicTestWorld : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        ASSERT_TRUE(scratch.made());
        folder = scratch.path();
        core = new Host(gl, nullptr, nullptr, 100, 3, 4);
        core->buildWorld(WorldHost::History::None);
        sprites = core->sprites;
        map = core->map;
        // The camera starts at the start point, as the program puts it there.
        gl->eye = TamoMap::startPoint(core->blockWidth, core->blockHeight);
    }

    void TearDown() override {
        delete core;  // also the map, the sprite objects and the cursor
        delete window;
        GLTestFixture::TearDown();
    }

    // A window whose mouse fields the cursor operations read, as the avatar
    // reports them.
    void attachAvatar() {
        window = new Window("TamoWorldTest", 640, 480, false, false, nullptr, false, 32);
        avatar = new Cursor(window, core);
        core->avatar = avatar;
    }

    // Textures 100 to 105, 8 x 8 texels of their own colours; 105 has
    // transparent texels.
    void uploadBlockTextures() {
        for (int32_t id = 100; id < 106; ++id) {
            std::vector<uint8_t> rgba;
            for (int32_t i = 0; i < 64; ++i)
                rgba.insert(rgba.end(), {static_cast<uint8_t>(id * 23 + i * 5),
                                         static_cast<uint8_t>(i * 31), static_cast<uint8_t>(id + i),
                                         static_cast<uint8_t>(id == 105 && i % 3 == 0 ? 0 : 255)});
            ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), 8, 8, id, 0));
        }
    }

    // A crafted city around the start point: 9 x 9 sectors at three
    // heights, twelve blocks of random textures in each (half of them on a
    // face of the sector's box), a figure in each. Returns the start point.
    Vector3 buildSectorCity(std::mt19937& random) {
        const auto below = [&](int32_t n) { return static_cast<int32_t>(random() % n); };
        const Vector3 centre(40000, 60000, 40000);
        for (int32_t sx = -4; sx <= 4; ++sx)
            for (int32_t sz = -4; sz <= 4; ++sz) {
                const Vector3 origin =
                    centre + Vector3(sx * 200.0f, below(3) * 300.0f - 300.0f, sz * 200.0f);
                for (int32_t n = 0; n < 12; ++n) {
                    core->material.texture = 100 + below(6);
                    // Half the blocks on a face of the sector's box.
                    int32_t cell[3] = {below(20), below(20), below(20)};
                    if (n % 2 == 0)
                        cell[below(3)] = below(2) * 19;
                    map->setBlockAt(origin + Vector3(cell[0] * 10 + 5.0f, cell[1] * 15 + 7.5f,
                                                     cell[2] * 10 + 5.0f),
                                    true);
                }
                sprites->addAt(origin + Vector3(below(200), below(300), below(200)));
            }
        return centre;
    }

    std::string path(const std::string& name) const { return folder + "/" + name; }

    // The world as the file it saves to.
    // (Written directly, not through the safe replacement, to keep the many
    // comparisons of the failure tests quick.)
    std::vector<uint8_t> savedBytes(const std::string& name = "probe.map") {
        {
            FileStream stream(path(name).c_str(), "wb");
            EXPECT_TRUE(map->save(stream));
            EXPECT_TRUE(sprites->save(stream));
        }
        const std::vector<uint8_t> bytes = readFile(path(name));
        keepAsFuzzSeed(bytes);
        return bytes;
    }

    // Points the camera at target from eye, the cursor at the window centre.
    void lookAt(const Vector3& eye, const Vector3& direction) {
        gl->eye = eye;
        gl->direction = direction;
        gl->up = std::abs(direction.y) > 0.9f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        window->mouseX = 320;
        window->mouseY = 240;
    }

    ScratchFolder scratch{"tamo-world"};
    std::string folder;
    Host* core = nullptr;
    TamoMap* map = nullptr;
    TamoSpriteObjectSet* sprites = nullptr;
    Window* window = nullptr;
    Cursor* avatar = nullptr;
};

using TestWorld = BasicTestWorld<MyTestHost, WindowCursor>;

}  // namespace testworld
