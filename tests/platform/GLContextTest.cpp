#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "support/GLTestFixture.h"
#include "platform/GLContext.h"

namespace {

constexpr float Tolerance = 1e-3f;

void expectNear(const Vector3& actual, const Vector3& expected, float within = Tolerance) {
    EXPECT_NEAR(actual.x, expected.x, within);
    EXPECT_NEAR(actual.y, expected.y, within);
    EXPECT_NEAR(actual.z, expected.z, within);
}

// A textured quad of one opaque colour, drawn in screen pixels.
GLuint makeSolidTexture(GLuint name, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t texel[4 * 4] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return name;
}

}  // namespace

using GLContextTest = GLTestFixture;

TEST_F(GLContextTest, NewContextHasStartCameraFrustumAndFlags) {
    EXPECT_EQ(gl->eye, Vector3(0, 0, 0));
    EXPECT_EQ(gl->direction, Vector3(1, 0, 0));
    EXPECT_EQ(gl->up, Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(gl->frustum.left, -1.0f);
    EXPECT_FLOAT_EQ(gl->frustum.right, 1.0f);
    EXPECT_FLOAT_EQ(gl->frustum.bottom, -0.75f);
    EXPECT_FLOAT_EQ(gl->frustum.top, 0.75f);
    EXPECT_FLOAT_EQ(gl->frustum.near, 1.5f);
    EXPECT_FLOAT_EQ(gl->frustum.far, 1000.0f);
    EXPECT_EQ(gl->width, 640);
    EXPECT_EQ(gl->height, 480);
    EXPECT_FALSE(gl->alphaTestOn());
    EXPECT_FALSE(gl->blendingOn());
    ASSERT_NE(gl->textures, nullptr);
    EXPECT_EQ(gl->textures->recordCount(), 0);
    EXPECT_FALSE(gl->lights.enabled);
    for (const GLContext::Light& light : gl->lights.lights)
        EXPECT_FALSE(light.on);

    // The driver agrees: depth test and back-face culling on, alpha test and
    // blending off, the viewport covers the window.
    EXPECT_TRUE(glFlag(GL_DEPTH_TEST));
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    EXPECT_EQ(glInteger(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_FALSE(glFlag(GL_ALPHA_TEST));
    EXPECT_FALSE(glFlag(GL_BLEND));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
}

TEST_F(GLContextTest, UnprojectAndProjectGiveTheKnownPointsOfTheStartCamera) {
    expectNear(gl->unproject(320, 240), Vector3(1.5f, 0.0f, 0.0f));
    expectNear(gl->unproject(0, 0), Vector3(1.5f, 0.75f, -1.0f));
    expectNear(gl->unproject(640, 480), Vector3(1.5f, -0.75f, 1.0f));
    expectNear(gl->project(Vector3(10, 0, 0)), Vector3(320, 240, -10));
    // Points to the right (+z) and above land right of and above the centre.
    const Vector3 rightUp = gl->project(Vector3(10, 1, 2));
    EXPECT_GT(rightUp.x, 320.0f);
    EXPECT_LT(rightUp.y, 240.0f);

    // Pixels outside the viewport give the origin.
    EXPECT_EQ(gl->unproject(641, 10), Vector3(0, 0, 0));
    EXPECT_EQ(gl->unproject(-1, 10), Vector3(0, 0, 0));
    EXPECT_EQ(gl->unproject(10, 481), Vector3(0, 0, 0));
    EXPECT_EQ(gl->unproject(10, -0.5f), Vector3(0, 0, 0));
}

namespace {

// Compares unproject and project of the context's camera with what the
// driver computes from the matrices applyCamera and applyProjection set.
void expectConversionsMatchTheDriver(GLContext& gl) {
    gl.applyCamera();
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    const std::array<std::array<float, 2>, 5> pixels = {
        {{0, 0}, {320, 240}, {600, 30}, {17, 470}, {640, 480}}};
    for (const auto& pixel : pixels) {
        SCOPED_TRACE(testing::Message() << "pixel " << pixel[0] << ", " << pixel[1]);
        GLdouble wx, wy, wz;
        ASSERT_EQ(gluUnProject(pixel[0], 480.0 - pixel[1], 0.0, modelView, projection, viewport,
                               &wx, &wy, &wz),
                  GL_TRUE);
        const Vector3 world = gl.unproject(pixel[0], pixel[1]);
        expectNear(world, Vector3(float(wx), float(wy), float(wz)), 2e-3f);

        // And back: project finds the pixel again, in front of the eye.
        const Vector3 back = gl.project(world);
        EXPECT_NEAR(back.x, pixel[0], 0.05f);
        EXPECT_NEAR(back.y, pixel[1], 0.05f);
        EXPECT_LT(back.z, 0.0f);
    }

    // A far point lands where the driver would draw it.
    const Vector3 far = gl.eye + gl.direction * 300.0f + gl.up * 20.0f + Vector3(3, 1, -1);
    GLdouble sx, sy, sz;
    ASSERT_EQ(gluProject(far.x, far.y, far.z, modelView, projection, viewport, &sx, &sy, &sz),
              GL_TRUE);
    const Vector3 projected = gl.project(far);
    EXPECT_NEAR(projected.x, sx, 0.05);
    EXPECT_NEAR(projected.y, 480.0 - sy, 0.05);
}

}  // namespace

TEST_F(GLContextTest, UnprojectAgreesWithTheDriversCameraForATurnedView) {
    // A camera looking down and to the side, up perpendicular to the view.
    gl->eye = Vector3(40.0f, 60.0f, -25.0f);
    const float d = std::sqrt(1.0f + 0.25f + 4.0f);
    gl->direction = Vector3(1.0f / d, -0.5f / d, 2.0f / d);
    const Vector3 side(-2.0f, 0.0f, 1.0f);  // perpendicular to direction, horizontal
    Vector3 up(side.y * gl->direction.z - side.z * gl->direction.y,
               side.z * gl->direction.x - side.x * gl->direction.z,
               side.x * gl->direction.y - side.y * gl->direction.x);
    const float upLength = std::sqrt(up.x * up.x + up.y * up.y + up.z * up.z);
    up = up * (1.0f / upLength);
    if (up.y < 0)
        up = -up;
    gl->up = up;
    expectConversionsMatchTheDriver(*gl);
}

TEST_F(GLContextTest, ConversionsHoldWhenViewOrUpAreOppositeTheReferenceAxes) {
    struct Camera {
        Vector3 direction;
        Vector3 up;
    };
    const Camera cameras[] = {
        {Vector3(0, 0, 1), Vector3(0, 1, 0)},  // looking along +z: the view is opposite eye-space z
        {Vector3(0, 0, -1), Vector3(0, 1, 0)},  // no turn at all
        {Vector3(1, 0, 0), Vector3(0, -1, 0)},  // upside down
        {Vector3(0, 0, 1), Vector3(0, -1, 0)},  // both
        {Vector3(0, -1, 0), Vector3(1, 0, 0)},  // straight down
    };
    gl->eye = Vector3(5, 6, 7);
    for (const Camera& camera : cameras) {
        SCOPED_TRACE(testing::Message()
                     << "direction " << camera.direction.x << ", " << camera.direction.y << ", "
                     << camera.direction.z << " up " << camera.up.y);
        gl->direction = camera.direction;
        gl->up = camera.up;
        expectConversionsMatchTheDriver(*gl);
    }
    // Looking along +z, the centre pixel lies straight ahead and +x on the left.
    gl->direction = Vector3(0, 0, 1);
    gl->up = Vector3(0, 1, 0);
    expectNear(gl->unproject(320, 240), Vector3(5, 6, 8.5f));
    expectNear(gl->unproject(0, 0), Vector3(6, 6.75f, 8.5f));
}

TEST_F(GLContextTest, CameraAndProjectionDrawAPointAheadAtTheCentre) {
    gl->setProjection(-1.0f, 1.0f, -0.75f, 0.75f, 1.5f, 500.0f);
    EXPECT_FLOAT_EQ(gl->frustum.far, 500.0f);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 1.5f, 1e-5f);  // 2n / (r - l)
    EXPECT_NEAR(projection[5], 2.0f, 1e-5f);  // 2n / (t - b)
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);

    gl->eye = Vector3(100, 50, 100);
    gl->direction = Vector3(0, 0, -1);
    gl->applyCamera();
    gl->clear();
    // A small red square 20 units ahead, facing the eye (counter-clockwise).
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(99, 49, 80);
    glVertex3f(101, 49, 80);
    glVertex3f(101, 51, 80);
    glVertex3f(99, 51, 80);
    glEnd();
    glColor3ub(255, 255, 255);
    const Pixel centre = readPixel(320, 240);
    EXPECT_EQ(centre.r, 255);
    EXPECT_EQ(centre.g, 0);
    const Pixel aside = readPixel(100, 240);
    EXPECT_EQ(aside.r, 0);
    const Vector3 atScreen = gl->project(Vector3(100, 50, 80));
    EXPECT_NEAR(atScreen.x, 320.0f, 0.01f);
    EXPECT_NEAR(atScreen.y, 240.0f, 0.01f);
    EXPECT_NEAR(atScreen.z, -20.0f, 1e-3f);
}

// The view volume of the matrices in force: boxes behind the eye, beside a
// side plane or beyond the far plane by more than the margin are out; a box
// within the margin of the volume is in.
TEST_F(GLContextTest, TheViewVolumeLeavesOutOnlyBoxesWhollyOutsideIt) {
    gl->setProjection(-1.0f, 1.0f, -0.75f, 0.75f, 1.5f, 500.0f);
    gl->eye = Vector3(100, 50, 100);
    gl->direction = Vector3(0, 0, -1);
    gl->applyCamera();
    const ViewFrustum volume = gl->viewFrustum();
    const auto shows = [&](Vector3 low, Vector3 high) { return volume.mayShow(low, high); };
    EXPECT_TRUE(shows({99, 49, 80}, {101, 51, 81}));       // ahead
    EXPECT_TRUE(shows({0, 0, 0}, {200, 100, 200}));        // around the eye
    EXPECT_FALSE(shows({99, 49, 110}, {101, 51, 120}));    // behind
    EXPECT_FALSE(shows({99, 49, -420}, {101, 51, -410}));  // beyond the far plane at z -400
    EXPECT_TRUE(shows({99, 49, -400.5f}, {101, 51, -390}));
    // Right edge at 20 ahead: x = 100 + 20 / 1.5.
    EXPECT_TRUE(shows({113.9f, 50, 79}, {120, 51, 81}));
    EXPECT_FALSE(shows({116, 50, 79}, {120, 51, 81}));
    EXPECT_TRUE(ViewFrustum().mayShow({1e9f, 1e9f, 1e9f}, {1e9f, 1e9f, 1e9f}));
}

TEST_F(GLContextTest, ClearUsesTheClearColour) {
    gl->setClearColour(10, 20, 30);
    gl->clear();
    const Pixel p = readPixel(5, 470);
    EXPECT_EQ(p.r, 10);
    EXPECT_EQ(p.g, 20);
    EXPECT_EQ(p.b, 30);
    gl->present();  // swapping must not disturb the context
    EXPECT_TRUE(glFlag(GL_DEPTH_TEST));
}

TEST_F(GLContextTest, AlphaTestAndBlendingFlagsKeepOutOfEachOthersWay) {
    gl->enableAlphaTest();
    EXPECT_TRUE(gl->alphaTestOn());
    EXPECT_TRUE(glFlag(GL_ALPHA_TEST));
    EXPECT_EQ(glInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLfloat reference = -1;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_FLOAT_EQ(reference, 0.0f);

    gl->enableBlending(0);
    EXPECT_TRUE(gl->blendingOn());
    EXPECT_TRUE(gl->alphaTestOn());       // still wanted...
    EXPECT_FALSE(glFlag(GL_ALPHA_TEST));  // ...but off while blending
    EXPECT_TRUE(glFlag(GL_BLEND));
    EXPECT_EQ(glInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(glInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK), GL_FALSE);

    // A second enable changes nothing, not even the factors.
    gl->enableBlending(1);
    EXPECT_EQ(glInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);

    gl->disableBlending();
    EXPECT_FALSE(gl->blendingOn());
    EXPECT_FALSE(glFlag(GL_BLEND));
    EXPECT_TRUE(glFlag(GL_ALPHA_TEST));
    EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK), GL_TRUE);

    // Mode 1 is additive; other modes keep the factors in force.
    gl->enableBlending(1);
    EXPECT_EQ(glInteger(GL_BLEND_DST), GL_ONE);
    gl->disableBlending();
    gl->enableBlending(7);
    EXPECT_EQ(glInteger(GL_BLEND_DST), GL_ONE);
    gl->disableBlending();

    gl->disableAlphaTest();
    EXPECT_FALSE(gl->alphaTestOn());
    EXPECT_FALSE(glFlag(GL_ALPHA_TEST));
    // Without the alpha test wanted, ending blending leaves it off.
    gl->enableBlending(0);
    gl->disableBlending();
    EXPECT_FALSE(glFlag(GL_ALPHA_TEST));

    // Enabling the alpha test while blending switches it on at once.
    gl->enableBlending(0);
    gl->enableAlphaTest();
    EXPECT_TRUE(glFlag(GL_ALPHA_TEST));
    EXPECT_TRUE(gl->alphaTestOn());
    gl->disableBlending();
    gl->disableBlending();  // a second disable is harmless
    EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glFlag(GL_ALPHA_TEST));
}

TEST_F(GLContextTest, TwoDimensionalModeDrawsAtTheTopLeftWhateverTheDepthBufferHolds) {
    // Fill the depth buffer with the nearest value, so that anything failing
    // the depth test would not show.
    glClearDepth(0.0);
    gl->clear();
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    makeSolidTexture(77, 0, 255, 0);

    GLfloat modelViewBefore[16], projectionBefore[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelViewBefore);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);

    gl->enter2D();
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_FALSE(glFlag(GL_CULL_FACE));
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 77);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, 0);
    glTexCoord2f(0, 1);
    glVertex2i(0, 100);
    glTexCoord2f(1, 1);
    glVertex2i(100, 100);
    glTexCoord2f(1, 0);
    glVertex2i(100, 0);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    gl->leave2D();

    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat modelViewAfter[16], projectionAfter[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelViewAfter);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(modelViewAfter[i], modelViewBefore[i]);
        EXPECT_FLOAT_EQ(projectionAfter[i], projectionBefore[i]);
    }

    EXPECT_EQ(readPixel(0, 0).g, 255);
    EXPECT_EQ(readPixel(99, 99).g, 255);
    EXPECT_EQ(readPixel(50, 2).g, 255);
    EXPECT_EQ(readPixel(100, 50).g, 0);
    EXPECT_EQ(readPixel(50, 100).g, 0);
    EXPECT_EQ(readPixel(50, 470).g, 0);  // not mirrored to the bottom
}

TEST_F(GLContextTest, LeavingTwoDimensionalModeKeepsCullingAsItWas) {
    for (bool culling : {false, true}) {
        gl->setCulling(culling);
        gl->enter2D();
        EXPECT_TRUE(gl->in2D());
        EXPECT_FALSE(gl->culling());
        gl->leave2D();
        EXPECT_FALSE(gl->in2D());
        EXPECT_EQ(glFlag(GL_CULL_FACE), culling);
    }
}

namespace {

// The drawable pixel at (x, y), origin top left, of a drawable h pixels high.
Pixel drawablePixel(int32_t x, int32_t y, int32_t h) {
    uint8_t rgba[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, h - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return Pixel{rgba[0], rgba[1], rgba[2], rgba[3]};
}

}  // namespace

TEST_F(GLContextTest, ALargerDrawableShowsThePictureScaledToFitBetweenBlackBars) {
    // 1280 x 720: the 640 x 480 picture shows 1.5 times larger, 960 x 720,
    // with bars of 160 pixels left and right.
    SDL_SetWindowSize(static_cast<SDL_Window*>(sdlWindow), 1280, 720);
    SDL_Delay(50);  // the X server resizes the window, then the drawable follows
    SDL_PumpEvents();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(sdlWindow), &w, &h);
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 720);
    gl->setClearColour(0, 0, 0);
    gl->present();  // the driver takes the new size at a swap
    gl->clear();
    EXPECT_EQ(gl->pictureFit().left, 160);
    EXPECT_EQ(gl->pictureFit().width, 960);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 160);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 960);
    EXPECT_EQ(viewport[3], 720);

    // 2D drawing in picture pixels: the top-left 100 x 100 and the
    // bottom-right corner pixel.
    makeSolidTexture(78, 0, 255, 0);
    gl->enter2D();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 78);
    auto quad = [](int x0, int y0, int x1, int y1) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(x0, y0);
        glTexCoord2f(0, 1);
        glVertex2i(x0, y1);
        glTexCoord2f(1, 1);
        glVertex2i(x1, y1);
        glTexCoord2f(1, 0);
        glVertex2i(x1, y0);
        glEnd();
    };
    quad(0, 0, 100, 100);
    quad(639, 479, 640, 480);
    glDisable(GL_TEXTURE_2D);
    gl->leave2D();

    EXPECT_EQ(drawablePixel(160, 0, h).g, 255);
    EXPECT_EQ(drawablePixel(309, 149, h).g, 255);
    EXPECT_EQ(drawablePixel(311, 75, h).g, 0);
    EXPECT_EQ(drawablePixel(235, 151, h).g, 0);
    EXPECT_EQ(drawablePixel(1119, 719, h).g, 255);
    EXPECT_EQ(drawablePixel(1118, 717, h).g, 0);
    // The bars stay black: nothing draws there.
    for (int32_t x : {0, 80, 159, 1120, 1200, 1279})
        for (int32_t y : {0, 360, 719}) {
            const Pixel bar = drawablePixel(x, y, h);
            EXPECT_EQ(bar.r + bar.g + bar.b, 0) << x << ", " << y;
        }
    // A picture read back has the shown size and starts at its own corner.
    int32_t pw = 0, ph = 0;
    const std::vector<uint8_t> picture = gl->readPicture(&pw, &ph);
    ASSERT_EQ(pw, 960);
    ASSERT_EQ(ph, 720);
    EXPECT_EQ(picture[1], 255);
    EXPECT_EQ(picture[(149 * 960 + 149) * 3 + 1], 255);
    EXPECT_EQ(picture[(150 * 960 + 150) * 3 + 1], 0);
    EXPECT_EQ(picture[picture.size() - 2], 255);  // the bottom-right pixel

    // Projections keep counting picture pixels.
    expectNear(gl->unproject(320, 240), Vector3(1.5f, 0.0f, 0.0f));
    expectNear(gl->project(Vector3(10, 0, 0)), Vector3(320, 240, -10));
}

TEST_F(GLContextTest, SwitchedOnLightsArePlacedInTheNewView) {
    GLfloat defaultPosition[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, defaultPosition);

    gl->lights.lights[0] = GLContext::Light{Vector3(1, 2, 3), Vector3(0, 0, 1), false, true};
    gl->applyCamera();  // master switch off: nothing placed
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(position[i], defaultPosition[i]);

    gl->lights.enabled = true;
    gl->lights.lights[1] = GLContext::Light{Vector3(), Vector3(0, -1, 0), true, true};
    gl->applyCamera();
    // Looking along +x with y up, eye space is (z, y, -x).
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(position[0], 3.0f, 1e-5f);
    EXPECT_NEAR(position[1], 2.0f, 1e-5f);
    EXPECT_NEAR(position[2], -1.0f, 1e-5f);
    EXPECT_NEAR(position[3], 1.0f, 1e-5f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_NEAR(position[0], 0.0f, 1e-5f);
    EXPECT_NEAR(position[1], 1.0f, 1e-5f);  // towards the light: the negated direction
    EXPECT_NEAR(position[2], 0.0f, 1e-5f);
    EXPECT_NEAR(position[3], 0.0f, 1e-5f);
}

TEST_F(GLContextTest, DestroyingTheCurrentContextClearsTheGlobalPointer) {
    GLContext* second = new GLContext(reinterpret_cast<uintptr_t>(sdlWindow), 640, 480, 32);
    ASSERT_TRUE(second->hasRenderingContext());
    currentGLContext = second;
    delete second;
    EXPECT_EQ(currentGLContext, nullptr);
    gl->makeCurrent();
    currentGLContext = gl;
    gl->setClearColour(0, 0, 200);
    gl->clear();
    EXPECT_EQ(readPixel(1, 1).b, 200);
}

TEST(GLContextWithoutWindow, AContextWithoutAWindowStillAnswersItsGeometry) {
    // No window: no rendering context, but the camera arithmetic works.
    GLContext context(0, 640, 480, 32);
    EXPECT_FALSE(context.hasRenderingContext());
    EXPECT_NEAR(context.unproject(320, 240).x, 1.5f, 1e-4f);
    EXPECT_NEAR(context.project(Vector3(10, 0, 0)).x, 320.0f, 1e-3f);
    context.present();  // nothing to swap: no crash
}

TEST_F(GLContextTest, AContextThatCannotBeMadeKeepsTheReason) {
    EXPECT_EQ(gl->unavailableReason(), "");
    EXPECT_FALSE(GLContext(0, 640, 480, 32).unavailableReason().empty());
    // A window SDL did not make for OpenGL gives no context, and SDL says why.
    SDL_Window* plain = SDL_CreateWindow("plain", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr) << SDL_GetError();
    {
        GLContext context(reinterpret_cast<uintptr_t>(plain), 640, 480, 32);
        EXPECT_FALSE(context.hasRenderingContext());
        EXPECT_NE(context.unavailableReason().find("OpenGL"), std::string::npos)
            << context.unavailableReason();
    }
    SDL_DestroyWindow(plain);
    gl->makeCurrent();
}
