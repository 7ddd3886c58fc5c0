#include "engine/Selection.h"

#include <GL/gl.h>

#include "platform/GLContext.h"
#include "platform/LineOverlay.h"
#include "platform/ScreenOverlay.h"
#include "world/EditChoices.h"
#include "world/WorldSettings.h"

void Selection::set(const CellBox& box) {
    current = box;
    const int32_t low[3] = {box.lowX(), box.lowY(), box.lowZ()};
    const int32_t high[3] = {box.highX(), box.highY(), box.highZ()};
    for (int a = 0; a < 3; ++a) {
        ends[0][a] = low[a];
        ends[1][a] = high[a];
    }
}

void Selection::setDrag(const int32_t from[3], const int32_t to[3]) {
    current = CellBox(from[0], from[1], from[2], to[0], to[1], to[2]);
    for (int a = 0; a < 3; ++a) {
        ends[0][a] = from[a];
        ends[1][a] = to[a];
    }
}

void Selection::dragEnds(int32_t from[3], int32_t to[3]) const {
    for (int a = 0; a < 3; ++a) {
        from[a] = ends[0][a];
        to[a] = ends[1][a];
    }
}

bool Selection::growUp() {
    if (!current)
        return false;
    set(current->grownUp());
    return true;
}

bool Selection::shrinkDown() {
    if (!current)
        return false;
    set(current->shrunkDown());
    return true;
}

std::string Selection::sizeText() const {
    return current ? sizeText(current->sizeX(), current->sizeY(), current->sizeZ()) : "";
}

std::string Selection::sizeText(int64_t x, int64_t y, int64_t z) {
    return std::to_string(x) + " X " + std::to_string(y) + " X " + std::to_string(z);
}

void Selection::draw(GLContext& gl, const WorldSettings& settings,
                     const EditChoices& choices) const {
    if (current)
        drawBox(gl, settings, choices, *current, Red, Green, Blue);
}

void Selection::drawBox(GLContext& gl, const WorldSettings& settings, const EditChoices& choices,
                        const CellBox& box, uint8_t red, uint8_t green, uint8_t blue) {
    if (choices.view3D) {
        LineOverlay lines(gl, LineWidth, red, green, blue);
        draw3D(settings, box);
    } else {
        drawPlan(gl, settings, choices.planView(), box, red, green, blue);
    }
}

void Selection::draw3D(const WorldSettings& settings, const CellBox& b) {
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

void Selection::drawPlan(GLContext& gl, const WorldSettings& settings, const PlanView& plan,
                         const CellBox& b, uint8_t red, uint8_t green, uint8_t blue) {
    const float cell = static_cast<float>(settings.planCellSize);
    const float left = b.lowX() * cell - plan.scrollX;
    const float right = (b.highX() + 1.0f) * cell - plan.scrollX;
    const float top = b.lowZ() * cell - plan.scrollY;
    const float bottom = (b.highZ() + 1.0f) * cell - plan.scrollY;
    ScreenOverlay screen(gl);
    LineOverlay lines(gl, LineWidth, red, green, blue);
    // Half a pixel in, so the outermost pixels of the cells carry the line.
    glBegin(GL_LINE_LOOP);
    glVertex2f(left + 0.5f, top + 0.5f);
    glVertex2f(right - 0.5f, top + 0.5f);
    glVertex2f(right - 0.5f, bottom - 0.5f);
    glVertex2f(left + 0.5f, bottom - 0.5f);
    glEnd();
}
