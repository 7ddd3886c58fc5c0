#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class GLContext;
class Window;

// One pixel read back from the frame buffer or a texture.
struct Pixel {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 0;
};

// A live 640 x 480 Window with a current GLContext, published as
// currentGLContext for the length of each test; both are made fresh for every
// test and destroyed after it.
class GLTestFixture : public ::testing::Test {
protected:
    static constexpr int32_t WindowWidth = 640;
    static constexpr int32_t WindowHeight = 480;

    void SetUp() override;
    void TearDown() override;

    Window* window = nullptr;  // windowed, registered while the test runs
    GLContext* gl = nullptr;
    void* sdlWindow = nullptr;  // the window's SDL_Window*
};

// The pixel at window position (x, y), origin top left and y down, read from
// GL_BACK (call before present()).
Pixel readPixel(int32_t x, int32_t y);

// Level 0 of GL texture id as RGBA bytes, rows top down as uploaded; width and
// height are returned through the pointers when given.
std::vector<uint8_t> readTexture(int32_t id, int32_t* width = nullptr, int32_t* height = nullptr);

// Width x height RGB pixels of one colour, rows top down, as raw image files hold them.
std::vector<uint8_t> solidRgb(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b);

// Saves the back buffer as a PNG file (for looking at a test picture).
bool saveBackBufferPng(const std::string& path);

// Current value of a GL integer state (glGetIntegerv) and of a flag (glIsEnabled).
int32_t glInteger(uint32_t name);
bool glFlag(uint32_t name);
