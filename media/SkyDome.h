#pragma once
#include <cstdint>
#include <vector>

#include "platform/Vector3.h"

class GLContext;

// A textured sphere round the eye, built once into a display list that also
// switches off face culling and depth writes while it draws, so that the sky
// never hides what is drawn after it.
class SkyDome {
public:
    struct Vertex {
        float x;
        float y;
        float z;
        float s;
        float t;
    };

    // Slices and stacks below 3 are raised to 3. Compiled on gl, which must
    // be current.
    SkyDome(GLContext& gl, float radius, int32_t slices, int32_t stacks, int32_t textureId);
    ~SkyDome();
    SkyDome(const SkyDome&) = delete;
    SkyDome& operator=(const SkyDome&) = delete;

    // Draws the sphere centred on position, turned by angle degrees about y.
    void drawSkyDome(const Vector3& position, float angle) const;
    // The same, only where nothing has been drawn since the depth buffer was
    // cleared: the sky's fragments take the far end of the depth range and
    // pass only where the buffer still holds it. Drawn after opaque things
    // that write depth and pass only nearer fragments, it gives the picture
    // that drawing it first gives (while the current colour is the same),
    // without texturing the sky hidden behind them. The depth comparison,
    // the depth range and the alpha test are put back.
    void drawBehind(GLContext& gl, const Vector3& position, float angle) const;

    int32_t slices() const { return sliceCount; }
    int32_t stacks() const { return stackCount; }
    int32_t displayListId() const { return listId; }
    float radius() const { return sphereRadius; }

    // The point at height index k (-stacks to stacks) and angle degrees.
    Vertex vertexAt(int32_t k, float angle) const;
    // The quads' corners in the order the display list draws them.
    std::vector<Vertex> sphereVertices() const;

private:
    int32_t sliceCount;
    int32_t stackCount;
    int32_t listId;
    int32_t texture;
    float sphereRadius;
};
