#include <GL/gl.h>

#include <random>
#include <vector>

#include "platform/TextureTable.h"
#include "world/LiteralPlanView.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

// The picture and the GL state a plan frame leaves behind.
struct Frame {
    std::vector<uint8_t> pixels;
    GLint boundTexture = 0;
    GLboolean texturing = GL_FALSE;
    GLboolean culling = GL_FALSE;
    GLint depthFunc = 0;
    GLfloat colour[4] = {0, 0, 0, 0};
    GLint modelviewDepth = 0;
    GLint projectionDepth = 0;

    bool operator==(const Frame& o) const {
        return pixels == o.pixels && boundTexture == o.boundTexture && texturing == o.texturing &&
               culling == o.culling && depthFunc == o.depthFunc &&
               std::equal(colour, colour + 4, o.colour) && modelviewDepth == o.modelviewDepth &&
               projectionDepth == o.projectionDepth;
    }
};

Frame capture() {
    Frame f;
    f.pixels.resize(640 * 480 * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, f.pixels.data());
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &f.boundTexture);
    f.texturing = glIsEnabled(GL_TEXTURE_2D);
    f.culling = glIsEnabled(GL_CULL_FACE);
    glGetIntegerv(GL_DEPTH_FUNC, &f.depthFunc);
    glGetFloatv(GL_CURRENT_COLOR, f.colour);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &f.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &f.projectionDepth);
    return f;
}

class PlanViewEquivalenceTest : public TestWorld {
protected:
    // Tiles with a pattern, so that texture coordinates show in the picture.
    void patternTile(int32_t id, uint8_t base) {
        std::vector<uint8_t> rgba;
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x)
                rgba.insert(rgba.end(), {static_cast<uint8_t>(base + 15 * x),
                                         static_cast<uint8_t>(base + 20 * y), 200, 255});
        ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), 8, 8, id, 0));
    }

    // Draws every sector of the map both ways from the same start state.
    // Returns how many pixels the last batched frame drew over the background.
    size_t expectSamePicture(const char* label) {
        size_t drawn = 0;
        for (bool startTextured : {false, true}) {
            for (bool startCulled : {false, true}) {
                auto prepare = [&] {
                    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
                    gl->clear();
                    glBindTexture(GL_TEXTURE_2D, 4);
                    startTextured ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
                    startCulled ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
                    glColor4f(0.5f, 0.25f, 1.0f, 1.0f);
                };
                prepare();
                for (int32_t i = 0; i < map->sectorCount(); ++i)
                    map->sector(i)->drawPlan();
                const Frame batched = capture();
                prepare();
                for (int32_t i = 0; i < map->sectorCount(); ++i)
                    literal::drawPlan(*map->sector(i), *core, core->planView());
                const Frame plain = capture();
                EXPECT_TRUE(batched == plain) << label;
                drawn = 0;
                for (size_t k = 0; k < batched.pixels.size(); k += 4)
                    drawn += batched.pixels[k + 2] != plain.pixels[2] ? 1 : 0;
            }
        }
        return drawn;
    }
};

TEST_F(PlanViewEquivalenceTest, RandomLevelsScrollsAndTintsDrawTheSamePicture) {
    patternTile(3, 10);
    patternTile(4, 90);
    core->addTextureColour(100, 255, 0, 0);
    core->addTextureColour(101, 0, 255, 0);
    core->addTextureColour(102, 20, 40, 250);
    core->view3D = false;
    std::mt19937 random(21);
    std::uniform_real_distribution<float> spread(-250.0f, 650.0f);
    for (int32_t n = 0; n < 4000; ++n) {
        // Textures 100 to 103: 103 has no recorded colour.
        core->material.texture = 100 + static_cast<int32_t>(random() % 4);
        const Vector3 p(40000 + spread(random), 60000 + spread(random) * 0.1f,
                        40000 + spread(random));
        const int32_t i = map->findOrCreateSector(p);
        map->sector(i)->setBlockAt(p, random() % 5 != 0);
    }
    ASSERT_GT(map->sectorCount(), 8);
    for (int32_t round = 0; round < 10; ++round) {
        core->currentLevel = 3998 + static_cast<int32_t>(random() % 8);
        core->planScrollX = 40000 * 1.6f - 300.0f + static_cast<float>(random() % 900) + 0.5f;
        core->planScrollY = 40000 * 1.6f - 300.0f + static_cast<float>(random() % 900) - 0.25f;
        EXPECT_GT(expectSamePicture("after edits"), 640u * 480u / 50u);
        // Edits between frames append records out of level order.
        for (int32_t n = 0; n < 40; ++n) {
            core->material.texture = 100 + static_cast<int32_t>(random() % 4);
            const Vector3 p(40000 + spread(random), 60000 + spread(random) * 0.4f,
                            40000 + spread(random));
            map->sector(map->findOrCreateSector(p))->setBlockAt(p, random() % 3 != 0);
        }
    }
    // Far away: nothing on screen, state left as it was.
    core->planScrollX = -1e6f;
    EXPECT_EQ(expectSamePicture("off screen"), 0u);
}

}  // namespace
