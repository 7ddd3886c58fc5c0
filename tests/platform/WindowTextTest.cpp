#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>

#include <vector>

#include "platform/Window.h"
#include "platform/WindowText.h"

namespace {

struct Rgb {
    int r, g, b;
};

// A window with its own current GL context and a black back buffer.
class WindowText : public ::testing::Test {
protected:
    void SetUp() override {
        window = new Window("Text test", 160, 120, true, false, nullptr, false, 32);
        sdlWindow = reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
        ASSERT_NE(sdlWindow, nullptr);
        context = SDL_GL_CreateContext(sdlWindow);
        ASSERT_NE(context, nullptr) << SDL_GetError();
        SDL_GL_MakeCurrent(sdlWindow, context);
        glViewport(0, 0, 160, 120);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        SDL_GL_MakeCurrent(sdlWindow, nullptr);
        if (context)
            SDL_GL_DeleteContext(context);
        delete window;
    }

    // Client pixel (x, y), y downwards.
    Rgb pixel(int x, int y) {
        unsigned char p[4] = {0, 0, 0, 0};
        glReadPixels(x, 120 - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }
    int countInBox(int x0, int y0, int x1, int y1, bool (*match)(Rgb)) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (match(pixel(x, y)))
                    ++n;
        return n;
    }

    Window* window = nullptr;
    SDL_Window* sdlWindow = nullptr;
    SDL_GLContext context = nullptr;
};

bool isGrey(Rgb p) {
    return p.r == 128 && p.g == 128 && p.b == 128;
}
bool isReddish(Rgb p) {
    return p.r > 160 && p.g < 100 && p.b < 100;
}
bool isBlack(Rgb p) {
    return p.r == 0 && p.g == 0 && p.b == 0;
}

}  // namespace

TEST_F(WindowText, OpaqueTextSitsOnAGreyBoxAtItsClientPosition) {
    window->drawText(20, 30, "HELLO", 255, 0, 0, false);
    // The box starts at (20, 30): its corner is grey, the pixel before it black.
    EXPECT_TRUE(isGrey(pixel(20, 30)));
    EXPECT_TRUE(isBlack(pixel(19, 30)));
    EXPECT_TRUE(isBlack(pixel(20, 29)));
    EXPECT_GT(countInBox(20, 30, 80, 48, isReddish), 20);
    EXPECT_GT(countInBox(20, 30, 80, 48, isGrey), 100);
    // Nothing lands far from it.
    EXPECT_EQ(countInBox(100, 60, 160, 120, [](Rgb p) { return !isBlack(p); }), 0);
}

TEST_F(WindowText, TransparentTextLeavesTheBackgroundShowing) {
    window->drawText(20, 30, "HELLO", 255, 0, 0, true);
    EXPECT_EQ(countInBox(15, 25, 90, 50, isGrey), 0);
    EXPECT_GT(countInBox(20, 30, 80, 48, isReddish), 20);
    EXPECT_GT(countInBox(20, 30, 80, 48, isBlack), 100);
}

TEST_F(WindowText, TextPartlyLeftOfTheWindowStillShowsItsRest) {
    window->drawText(-10, 5, "WWWWWW", 255, 0, 0, false);
    EXPECT_TRUE(isGrey(pixel(0, 5)) || isReddish(pixel(0, 5)));
    EXPECT_GT(countInBox(0, 5, 40, 20, isReddish), 10);
}

TEST_F(WindowText, GlStateIsRestored) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat projectionBefore[16], modelviewBefore[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    window->drawText(5, 5, "State", 0, 255, 0, true);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint mode = 0, alignment = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(alignment, 4);
    GLfloat projectionAfter[16], modelviewAfter[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(projectionAfter[i], projectionBefore[i]);
        EXPECT_FLOAT_EQ(modelviewAfter[i], modelviewBefore[i]);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WindowText, NothingIsDrawnWithoutTheWindowsContextOrText) {
    EXPECT_FALSE(drawWindowText(sdlWindow, 10, 10, "", 255, 0, 0, false));
    EXPECT_FALSE(drawWindowText(sdlWindow, 10, 10, nullptr, 255, 0, 0, false));
    EXPECT_FALSE(drawWindowText(nullptr, 10, 10, "X", 255, 0, 0, false));
    Window* other = new Window("Other", 50, 50, true, false, nullptr, false, 32);
    EXPECT_FALSE(drawWindowText(reinterpret_cast<SDL_Window*>(other->getHandle("WindowHandler")),
                                10, 10, "X", 255, 0, 0, false));
    delete other;
    EXPECT_EQ(countInBox(0, 0, 160, 120, [](Rgb p) { return !isBlack(p); }), 0);
    EXPECT_TRUE(drawWindowText(sdlWindow, 10, 10, "X", 255, 0, 0, false));
}
