#include "platform/QuadBuffer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/GLContext.h"

namespace {

constexpr int32_t FloatsPerVertex = 5;
// How far behind all its planes the eye must be for a range to be left out:
// well beyond the rounding of the eye and of the transformed vertices.
constexpr double FacingMargin = 1.0;

// The eye (the centre of the perspective projection) in the coordinates the
// quads are drawn in: the point the model-view matrix takes to the origin.
// Not a number when the matrix mirrors (front and back change places) or
// cannot be inverted: then no range is left out.
void eyeInModel(double eye[3]) {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (!(det > 0.0)) {
        eye[0] = eye[1] = eye[2] = std::nan("");
        return;
    }
    // Solves the 3 x 3 part times eye = -translation by Cramer's rule.
    const double tx = -m[12], ty = -m[13], tz = -m[14];
    eye[0] = (tx * (e * i - f * h) - b * (ty * i - f * tz) + c * (ty * h - e * tz)) / det;
    eye[1] = (a * (ty * i - f * tz) - tx * (d * i - f * g) + c * (d * tz - ty * g)) / det;
    eye[2] = (a * (e * tz - ty * h) - b * (d * tz - ty * g) + tx * (d * h - e * g)) / det;
}

// Whether every quad of range faces away from eye.
bool facesAway(const QuadRange& range, const double eye[3]) {
    const double at = eye[range.axis];
    return (range.facing > 0 && at < range.planeLow - FacingMargin) ||
           (range.facing < 0 && at > range.planeHigh + FacingMargin);
}

}  // namespace

QuadBuffer::~QuadBuffer() {
    clear();
}

bool QuadBuffer::upload(GLContext& gl, const std::vector<float>& vertices,
                        std::vector<QuadRange> runs) {
    clear();
    // Nothing of a buffer is asked of a driver older than OpenGL 1.5.
    if (!gl.vertexBuffers())
        return false;
    if (!vertices.empty()) {
        while (glGetError() != GL_NO_ERROR) {
        }
        glGenBuffers(1, &name);
        glBindBuffer(GL_ARRAY_BUFFER, name);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                     vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        const bool stored = name != 0 && glGetError() == GL_NO_ERROR;
        const bool indexed =
            stored &&
            gl.bindQuadIndices(static_cast<int32_t>(vertices.size() / (4 * FloatsPerVertex)));
        gl.unbindQuadIndices();
        if (!indexed) {
            clear();
            return false;
        }
    }
    ranges = std::move(runs);
    uploaded = true;
    return true;
}

void QuadBuffer::clear() {
    if (name != 0)
        glDeleteBuffers(1, &name);
    name = 0;
    uploaded = false;
    std::vector<QuadRange>().swap(ranges);
}

void QuadBuffer::draw(GLContext& gl) const {
    if (ranges.empty())
        return;
    // Without back-face culling every side shows: nothing is left out.
    double eye[3] = {std::nan(""), std::nan(""), std::nan("")};
    if (gl.culling())
        eyeInModel(eye);
    constexpr GLsizei Stride = FloatsPerVertex * sizeof(float);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    gl.bindQuadIndices(0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, Stride, nullptr);
    glVertexPointer(3, GL_FLOAT, Stride, reinterpret_cast<const void*>(2 * sizeof(float)));
    gl.setTexturing(true);
    // Ranges of opaque textures skip the alpha test: the same pixels, and
    // llvmpipe does less per fragment.
    bool held = false;
    for (const QuadRange& range : ranges) {
        if (facesAway(range, eye))
            continue;
        const bool needless = gl.alphaTestNeedlessFor(range.texture);
        if (needless != held)
            gl.holdAlphaTestOff(held = needless);
        gl.bindTexture(range.texture);
        const auto* offset = reinterpret_cast<const void*>(static_cast<uintptr_t>(range.first) / 4 *
                                                           6 * sizeof(GLuint));
        glDrawRangeElements(GL_TRIANGLES, static_cast<GLuint>(range.first),
                            static_cast<GLuint>(range.first + range.count - 1), range.count / 4 * 6,
                            GL_UNSIGNED_INT, offset);
    }
    if (held)
        gl.holdAlphaTestOff(false);
    gl.setTexturing(false);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.unbindQuadIndices();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
