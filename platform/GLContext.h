#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PictureFit.h"
#include "platform/TextureTable.h"
#include "platform/Vector3.h"
#include "platform/ViewFrustum.h"

// The program's one OpenGL rendering context, bound to the main window. It
// holds the camera, the perspective frustum, the viewport size, the texture
// table and a light set, and it is the one writer of the render state:
// texturing, texture binding, culling, the depth comparison and depth
// writes, the alpha test and blending change only through it (screen
// overlays through ScreenOverlay, which saves and restores what it touches).
// Camera, viewport and frustum fields are public: the map, the avatar and
// the drawing code read and move the camera and read the viewport and
// frustum directly.
//
// width x height is the picture everything draws in (640 x 480 here). When
// the window's drawable has another size, the viewport shows the picture
// scaled to fit with its shape kept and black bars beside it (the clear
// colour); projections, 2D drawing and window pixels all stay in picture
// pixels.
class GLContext {
public:
    struct Frustum {
        float left = -1.0f;
        float right = 1.0f;
        float bottom = -0.75f;
        float top = 0.75f;
        float near = 1.5f;
        float far = 1000.0f;
    };

    struct Light {
        Vector3 position;
        Vector3 direction;
        bool directional = false;
        bool on = false;
    };

    // Eight fixed-function lights behind a master switch; all off unless a
    // caller switches them on. placeLights re-places the switched-on lights in
    // the current model-view space.
    struct LightSet {
        static constexpr int32_t Count = 8;
        bool enabled = false;
        Light lights[Count];
        void placeLights() const;
    };

    // windowHandle is the SDL_Window* the window keeps under "WindowHandler".
    GLContext(uintptr_t windowHandle, int32_t width, int32_t height, int32_t colourBits);
    ~GLContext();
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    // Camera and projection.
    void applyCamera();
    void applyProjection();
    void setProjection(float left, float right, float bottom, float top, float nearPlane,
                       float farPlane);
    // The world point on the near plane under window pixel (x, y), origin top
    // left; (0, 0, 0) for a pixel outside the viewport.
    Vector3 unproject(float x, float y) const;
    // Window pixel (x, y) of a world point and its eye-space depth (negative
    // in front of the eye).
    Vector3 project(Vector3 point) const;
    // The view volume of the projection and model-view matrices now in
    // force: what is drawn next in world units shows only inside it.
    ViewFrustum viewFrustum() const;

    // Render state.
    void makeCurrent();
    void setClearColour(int32_t red, int32_t green, int32_t blue);
    void enableAlphaTest();
    void disableAlphaTest();
    // Mode 0: source alpha / one minus source alpha; mode 1: source alpha /
    // one; other modes keep the current factors. Depth writes are off while
    // blending is on.
    void enableBlending(int32_t mode);
    void disableBlending();
    // What the program wants for the alpha test (physically off while
    // blending), and whether blending is on.
    bool alphaTestOn() const { return alphaTestWanted; }
    // Whether drawing with texture id now gives the same pixels with the
    // alpha test switched off: it is on (and not held off by blending), the
    // texture has no transparent texel and the current colour is opaque.
    bool alphaTestNeedlessFor(int32_t id) const;
    // Switches the alpha test off for such drawing, or back to what is
    // wanted; the wish itself is unchanged.
    void holdAlphaTestOff(bool off);
    bool blendingOn() const { return blending; }

    // Texturing, binding, culling and depth writes. Every call reaches the
    // driver, never skipped as already set, so that calls made while a
    // display list is compiled are recorded in it. The queries read the
    // driver.
    void setTexturing(bool on);
    void bindTexture(int32_t id);
    void setCulling(bool on);
    void setDepthWrites(bool on);
    bool texturing() const;
    int32_t boundTexture() const;
    bool culling() const;
    // The depth comparison (GL_LESS, GL_ALWAYS, ...) and the depth-write switch.
    void setDepthFunction(int32_t function);
    int32_t depthFunction() const;
    bool depthWrites() const;

    // Clears the whole drawable, bars included, after fitting the viewport
    // to the drawable's current size.
    void clear();
    void present();
    // Places the picture on the drawable as it is now.
    void fitViewport();
    // Where the picture shows on the drawable (drawable pixels, top left).
    const PictureFit& pictureFit() const { return shown; }
    // The picture as drawn so far into the back buffer, at the size it
    // shows: RGB rows from the top; width and height through the pointers.
    std::vector<uint8_t> readPicture(int32_t* pictureWidth, int32_t* pictureHeight) const;

    // Screen-pixel drawing (origin top left, y down): no culling, every
    // depth test passes. Does not nest; ScreenOverlay is the scoped way in,
    // which does. The projection matrix stays selected between the two
    // calls. leave2D restores the culling and depth comparison that were in
    // force at enter2D.
    void enter2D();
    void leave2D();
    bool in2D() const { return inScreenMode; }

    // True when the platform gave a rendering context.
    bool hasRenderingContext() const { return renderingContext != nullptr; }
    // Why there is none (SDL's reason); empty when there is one.
    const std::string& unavailableReason() const { return unavailable; }
    // Whether geometry may be kept in vertex buffers (QuadBuffer): the
    // driver offers OpenGL 1.5 and the buffers were not turned off; else
    // display lists hold it (the way for a driver of OpenGL 1.1).
    bool vertexBuffers() const { return vertexBuffersOffered && vertexBuffersAllowed; }
    void allowVertexBuffers(bool allowed) { vertexBuffersAllowed = allowed; }
    // Binds the context's index buffer that splits quads (four vertices
    // each, from vertex 0) into triangles as display lists split them, grown
    // first to hold at least quads; false when it could not grow, and always
    // on a driver without vertex buffers.
    bool bindQuadIndices(int32_t quads);
    void unbindQuadIndices();

    Vector3 eye;
    Vector3 direction;
    Vector3 up;
    LightSet lights;
    std::unique_ptr<TextureTable> textures;
    int32_t width = 0;
    int32_t height = 0;
    Frustum frustum;
    void* renderingContext = nullptr;
    void* window = nullptr;

private:
    std::string unavailable;
    bool vertexBuffersOffered = false;
    bool vertexBuffersAllowed = true;
    uint32_t quadIndexBuffer = 0;
    int32_t quadIndexRoom = 0;
    bool alphaTestWanted = false;
    bool blending = false;
    // What enter2D found, for leave2D.
    bool inScreenMode = false;
    int32_t savedDepthFunc = 0;
    bool savedCulling = true;
    PictureFit shown{0, 0, 0, 0};

    // The two turns that take eye space onto the camera: a1 about k1 takes
    // the eye z axis onto -direction, a2 about k2 then takes the turned y axis
    // onto up.
    struct CameraTurn {
        float a1;
        Vector3 k1;
        float a2;
        Vector3 k2;
    };
    CameraTurn cameraTurn() const;
};

// The context the screen-space overlay drawing uses; null until the main
// window publishes its context.
extern GLContext* currentGLContext;
