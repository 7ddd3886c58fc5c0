#include "support/GLTestFixture.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "platform/GLContext.h"
#include "platform/Window.h"

namespace {

// PNG writing with stored (uncompressed) deflate blocks: enough for a test picture.
uint32_t crc32Of(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    putBigEndian(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, crc32Of(typed.data(), typed.size()));
}

std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t block = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + block == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(block));
        out.push_back(static_cast<uint8_t>(block >> 8));
        out.push_back(static_cast<uint8_t>(~block));
        out.push_back(static_cast<uint8_t>(~block >> 8));
        out.insert(out.end(), raw.begin() + static_cast<long>(offset),
                   raw.begin() + static_cast<long>(offset + block));
        offset += block;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

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
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(w * 3 + 1) * h);
    for (int row = h - 1; row >= 0; --row) {
        raw.push_back(0);
        const uint8_t* line = pixels.data() + static_cast<size_t>(row) * w * 3;
        raw.insert(raw.end(), line, line + w * 3);
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian(header, static_cast<uint32_t>(w));
    putBigEndian(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

int32_t glInteger(uint32_t name) {
    GLint value = 0;
    glGetIntegerv(static_cast<GLenum>(name), &value);
    return value;
}

bool glFlag(uint32_t name) {
    return glIsEnabled(static_cast<GLenum>(name)) == GL_TRUE;
}
