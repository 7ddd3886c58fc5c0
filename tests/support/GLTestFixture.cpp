#include "support/GLTestFixture.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "media/PngWriter.h"
#include "platform/GLContext.h"
#include "platform/Window.h"

void GLTestFixture::SetUp() {
    window =
        new Window("Tamotown test", WindowWidth, WindowHeight, false, false, nullptr, false, 32);
    sdlWindow = reinterpret_cast<void*>(window->getHandle("WindowHandler"));
    ASSERT_NE(sdlWindow, nullptr) << SDL_GetError();
    gl = new GLContext(reinterpret_cast<uintptr_t>(sdlWindow), WindowWidth, WindowHeight, 32);
    ASSERT_TRUE(gl->hasRenderingContext()) << SDL_GetError();
    currentGLContext = gl;
    gl->clear();
}

void GLTestFixture::TearDown() {
    delete gl;
    gl = nullptr;
    currentGLContext = nullptr;
    delete window;  // also closes the SDL window
    window = nullptr;
    sdlWindow = nullptr;
}

Pixel readPixel(int32_t x, int32_t y) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    uint8_t rgba[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, viewport[3] - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return Pixel{rgba[0], rgba[1], rgba[2], rgba[3]};
}

std::vector<uint8_t> readTexture(int32_t id, int32_t* width, int32_t* height) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> bytes(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!bytes.empty())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (width)
        *width = w;
    if (height)
        *height = h;
    return bytes;
}

std::vector<uint8_t> solidRgb(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgb;
    for (int32_t i = 0; i < width * height; ++i)
        rgb.insert(rgb.end(), {r, g, b});
    return rgb;
}

bool saveBackBufferPng(const std::string& path) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    if (w <= 0 || h <= 0)
        return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<uint8_t> rows;
    rows.reserve(pixels.size());
    for (int row = h - 1; row >= 0; --row) {
        const uint8_t* line = pixels.data() + static_cast<size_t>(row) * w * 3;
        rows.insert(rows.end(), line, line + w * 3);
    }
    return writePng(path, rows.data(), w, h);
}

int32_t glInteger(uint32_t name) {
    GLint value = 0;
    glGetIntegerv(static_cast<GLenum>(name), &value);
    return value;
}

bool glFlag(uint32_t name) {
    return glIsEnabled(static_cast<GLenum>(name)) == GL_TRUE;
}
