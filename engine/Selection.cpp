#include "engine/Selection.h"

#include <GL/gl.h>

#include "platform/GLContext.h"
#include "platform/LineOverlay.h"
#include "platform/ScreenOverlay.h"
#include "world/WorldSettings.h"

bool Selection::growUp() {
    if (!current)
        return false;
    current = current->grownUp();
    return true;
}

bool Selection::shrinkDown() {
    if (!current)
        return false;
    current = current->shrunkDown();
    return true;
}

std::string Selection::sizeText() const {
    return current ? sizeText(current->sizeX(), current->sizeY(), current->sizeZ()) : "";
}

std::string Selection::sizeText(int64_t x, int64_t y, int64_t z) {
    return std::to_string(x) + " X " + std::to_string(y) + " X " + std::to_string(z);
}

void Selection::draw(GLContext& gl, const WorldSettings& settings) const {
    if (!current)
        return;
    if (settings.view3D) {
        LineOverlay lines(gl, LineWidth, Red, Green, Blue);
        draw3D(settings);
    } else {
        drawPlan(gl, settings);
    }
}

void Selection::draw3D(const WorldSettings& settings) const {
    const CellBox& b = *current;
    const int32_t w = settings.blockWidth, h = settings.blockHeight;
    const Vector3 lo = CellBox::cellOrigin(b.lowX(), b.lowY(), b.lowZ(), w, h);
    const Vector3 hi = CellBox::cellOrigin(b.highX() + 1, b.highY() + 1, b.highZ() + 1, w, h);
    const float xs[2] = {lo.x, hi.x}, ys[2] = {lo.y, hi.y}, zs[2] = {lo.z, hi.z};
    glBegin(GL_LINES);
    for (int32_t i = 0; i < 2; ++i)
        for (int32_t j = 0; j < 2; ++j) {
            glVertex3f(lo.x, ys[i], zs[j]);  // along x
            glVertex3f(hi.x, ys[i], zs[j]);
            glVertex3f(xs[i], lo.y, zs[j]);  // along y
            glVertex3f(xs[i], hi.y, zs[j]);
            glVertex3f(xs[i], ys[j], lo.z);  // along z
            glVertex3f(xs[i], ys[j], hi.z);
        }
    glEnd();
}

void Selection::drawPlan(GLContext& gl, const WorldSettings& settings) const {
    const CellBox& b = *current;
    const float cell = static_cast<float>(settings.planCellSize);
    const float left = b.lowX() * cell - settings.planScrollX;
    const float right = (b.highX() + 1.0f) * cell - settings.planScrollX;
    const float top = b.lowZ() * cell - settings.planScrollY;
    const float bottom = (b.highZ() + 1.0f) * cell - settings.planScrollY;
    ScreenOverlay screen(gl);
    LineOverlay lines(gl, LineWidth, Red, Green, Blue);
    // Half a pixel in, so the outermost pixels of the cells carry the line.
    glBegin(GL_LINE_LOOP);
    glVertex2f(left + 0.5f, top + 0.5f);
    glVertex2f(right - 0.5f, top + 0.5f);
    glVertex2f(right - 0.5f, bottom - 0.5f);
    glVertex2f(left + 0.5f, bottom - 0.5f);
    glEnd();
}
