#pragma once
#include <cstdint>

class GLContext;

// Untextured lines drawn over everything for as long as the object lives:
// texturing off, every depth test passes, no depth writes, lines of the
// given width in the given colour. Lines drawn meanwhile use whatever
// matrices are in force: world units under the camera, or screen pixels
// inside a ScreenOverlay. When the object goes, the texturing switch, the
// depth comparison, depth writes, the line width and the current colour are
// put back as they were.
class LineOverlay {
public:
    LineOverlay(GLContext& gl, float width, uint8_t red, uint8_t green, uint8_t blue);
    ~LineOverlay();
    LineOverlay(const LineOverlay&) = delete;
    LineOverlay& operator=(const LineOverlay&) = delete;

private:
    GLContext& gl;
    bool texturingBefore = false;
    int32_t depthFunctionBefore = 0;
    bool depthWritesBefore = true;
    float widthBefore = 1.0f;
    float colourBefore[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
