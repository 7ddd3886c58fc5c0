#pragma once
#include <cstdint>

#include "support/GLTestFixture.h"

// A GL test with texture 7 of 2 x 2 texels (red, green on the top row;
// blue, white below) and a black picture: where each quadrant lands shows
// how a textured rectangle was stretched or flipped.
class QuadrantTextureTest : public GLTestFixture {
protected:
    static constexpr uint8_t Red[3] = {255, 0, 0};
    static constexpr uint8_t Green[3] = {0, 255, 0};
    static constexpr uint8_t Blue[3] = {0, 0, 255};
    static constexpr uint8_t White[3] = {255, 255, 255};
    static constexpr uint32_t TextureId = 7;

    void SetUp() override;
    static void expectColour(const Pixel& p, const uint8_t* c);
};
