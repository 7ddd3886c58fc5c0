#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <unistd.h>

#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "platform/SystemClock.h"
#include "support/FakeTicks.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class DriverEquivalenceTest : public TestWorld {};

// Set in the child process that draws on a driver limited to OpenGL 1.4:
// where it writes its pictures.
const char* const PicturesVariable = "TAMO_DRIVER_PICTURES";

// A driver that offers only OpenGL 1.4 (as an indirect display does) draws
// the same pixels as this one, which keeps the quads in vertex buffers, for
// the same world and cameras (the culling test holds display lists to them
// too), and is asked for nothing of a vertex buffer. Mesa reads its version
// limit when it starts, so the 1.4 pictures come from this test run again
// in a child process.
TEST_F(DriverEquivalenceTest, ADriverOfOpenGL14DrawsThePictureOfToday) {
    uploadBlockTextures();
    const uint8_t skyTexels[8] = {40, 90, 200, 255, 90, 200, 40, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(skyTexels, 1, 2, 1, 0));
    SkyDome sky(*gl, 0.95f * gl->frustum.far, 16, 20, 1);
    const std::vector<uint8_t> sheetRgb = sheetImage(64, 16);
    SpriteSheet sheet(gl, sheetRgb.data(), 64, 16, 5, 0);
    core->spriteSheet = &sheet;
    setTickSource(fakeTicks);
    fakeNow = 1000;
    std::mt19937 random(28);
    const Vector3 centre = buildSectorCity(random);

    // Six random views, the alpha test on and off: RGB rows one after another.
    std::vector<uint8_t> pictures;
    int64_t quadsDrawn = 0;
    for (int32_t view = 0; view < 6; ++view) {
        float v[6];
        for (float& c : v)
            c = (static_cast<int32_t>(random() % 2001) - 1000) / 1000.0f;
        gl->eye = centre + Vector3(v[0] * 1000, v[1] * 400, v[2] * 1000);
        Vector3 direction(v[3], v[4], v[5]);
        gl->direction = normalise(direction);
        gl->up = std::abs(gl->direction.y) > 0.9f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        if (view % 2)
            gl->disableAlphaTest();
        else
            gl->enableAlphaTest();
        gl->applyCamera();
        gl->clear();
        map->drawWithSky(sky);
        sprites->drawSprites();
        quadsDrawn += map->lastDrawCounts().quadsDrawn;
        const std::vector<uint8_t> frame = gl->readPicture(nullptr, nullptr);
        pictures.insert(pictures.end(), frame.begin(), frame.end());
    }
    gl->disableAlphaTest();
    core->spriteSheet = nullptr;
    setTickSource(nullptr);
    EXPECT_GT(quadsDrawn, 6) << "the views show the city";

    if (const char* childOutput = std::getenv(PicturesVariable)) {
        const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        EXPECT_EQ(version.rfind("1.4", 0), 0u) << version;
        EXPECT_FALSE(gl->vertexBuffers());
        EXPECT_FALSE(gl->bindQuadIndices(1));
        for (int32_t i = 0; i < map->sectorCount(); ++i)
            EXPECT_FALSE(map->sector(i)->quadBuffer.holdsQuads()) << i;
        EXPECT_TRUE(writeFileBytes(childOutput, pictures));
        return;
    }
    ASSERT_TRUE(gl->vertexBuffers()) << "this driver offers OpenGL 1.5: buffers were compared";
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string file = path("pictures-1.4.rgb"), log = path("child.txt");
    const std::string command = std::string("MESA_GL_VERSION_OVERRIDE=1.4 ") + PicturesVariable +
                                "='" + file + "' '" + self +
                                "' --gtest_filter=DriverEquivalenceTest.* >'" + log + "' 2>&1";
    std::system(command.c_str());
    // Judged by its own verdict: a sanitizer's fault at exit is not the picture's.
    std::ifstream in(log);
    const std::string output((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    ASSERT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    const std::vector<uint8_t> drawn = readFile(file);
    ASSERT_EQ(drawn.size(), pictures.size());
    size_t differing = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        differing += drawn[i] != pictures[i] ? 1 : 0;
    EXPECT_EQ(differing, 0u) << "bytes of the 1.4 driver's pictures differ";
}

}  // namespace
