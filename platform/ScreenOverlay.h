#pragma once
#include <cstdint>

class GLContext;

// Drawing in screen pixels (origin top left, y down) for as long as the
// object lives: the way every overlay draws. Making one enters the context's
// 2D mode, which saves the matrices, the culling and the depth comparison;
// the first bindTexture saves the texturing switch and the bound texture.
// When the object goes, all of it is put back as it was. Inside another
// overlay on the same context the 2D mode is left to the outer one and only
// the projection matrix (where 2D transforms land) is saved, so overlays
// nest.
class ScreenOverlay {
public:
    explicit ScreenOverlay(GLContext& gl);
    ~ScreenOverlay();
    ScreenOverlay(const ScreenOverlay&) = delete;
    ScreenOverlay& operator=(const ScreenOverlay&) = delete;

    // Switches texturing on and binds texture id; not between glBegin and
    // glEnd.
    void bindTexture(int32_t id);
    // Switches texturing off (for flat colour), put back as bindTexture's is.
    void untextured();

private:
    void saveTexture();

    GLContext& gl;
    bool entered = false;
    float outerProjection[16] = {};
    bool textureSaved = false;
    bool texturingBefore = false;
    int32_t textureBefore = 0;
};

// Draws a texture over the screen rectangle (x1, y1)-(x2, y2) on
// currentGLContext, in the current colour: stretched once, or, when tiled,
// repeated once every 1 / texelScale pixels. x1 > x2 mirrors the picture.
// Does nothing while there is no current context. Leaves the render state
// as it was.
void fillRectWithTexture(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t textureId,
                         bool tiled, float texelScale);
