#pragma once
#include <cstdint>
#include <vector>

class GLContext;

// A run of quads drawn with one texture: vertices first to first + count - 1.
// When all of them lie in planes across one axis (0 x, 1 y, 2 z) and face
// the same way along it (facing +1 or -1), planeLow and planeHigh bound the
// planes' coordinates on that axis; facing 0: no such bound.
struct QuadRange {
    int32_t texture = 0;
    int32_t first = 0;
    int32_t count = 0;
    int32_t axis = 0;
    int32_t facing = 0;
    float planeLow = 0.0f;
    float planeHigh = 0.0f;
};

// Textured quads held by the driver in one vertex buffer (OpenGL 1.5, see
// GLContext::vertexBuffers), each vertex five floats: s, t, x, y, z. Drawn
// as a display list of the same quads draws them: texturing on, each range
// with its texture bound in turn, texturing off; the same pixels, but the
// driver neither keeps a second copy of the vertices nor copies them on
// every call. The buffer binding and the client arrays are put back after
// each use.
class QuadBuffer {
public:
    QuadBuffer() = default;
    ~QuadBuffer();
    QuadBuffer(const QuadBuffer&) = delete;
    QuadBuffer& operator=(const QuadBuffer&) = delete;

    // Replaces the contents by vertices (four per quad) in ranges. False,
    // the buffer left empty, when the driver could not store them or offers
    // no vertex buffers.
    bool upload(GLContext& gl, const std::vector<float>& vertices, std::vector<QuadRange> ranges);
    // Frees the driver's storage; draw then draws nothing.
    void clear();
    // True after a successful upload, until clear.
    bool holdsQuads() const { return uploaded; }
    // Draws the quads. With back-face culling on, ranges that all face away
    // from the eye (found from the model-view matrix) are left out: culling
    // would leave out each of their triangles, so the picture is the same.
    void draw(GLContext& gl) const;

private:
    uint32_t name = 0;
    bool uploaded = false;
    std::vector<QuadRange> ranges;
};
