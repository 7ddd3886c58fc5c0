#include "platform/GLContext.h"

#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "platform/DrawableSize.h"
#include "platform/Geometry.h"

GLContext* currentGLContext = nullptr;

void GLContext::LightSet::placeLights() const {
    if (!enabled)
        return;
    for (int32_t i = 0; i < Count; ++i) {
        const Light& light = lights[i];
        if (!light.on)
            continue;
        const GLenum name = GL_LIGHT0 + static_cast<GLenum>(i);
        if (light.directional) {
            const GLfloat position[4] = {-light.direction.x, -light.direction.y, -light.direction.z,
                                         0.0f};
            glLightfv(name, GL_POSITION, position);
        } else {
            const GLfloat position[4] = {light.position.x, light.position.y, light.position.z,
                                         1.0f};
            const GLfloat spot[4] = {light.direction.x, light.direction.y, light.direction.z, 1.0f};
            glLightfv(name, GL_POSITION, position);
            glLightfv(name, GL_SPOT_DIRECTION, spot);
        }
    }
}

GLContext::GLContext(uintptr_t windowHandle, int32_t width_, int32_t height_, int32_t colourBits)
        : width(width_), height(height_) {
    // The window asked SDL for its RGBA, double-buffered, 24-bit-depth surface
    // when it was created; the colour depth is fixed there.
    (void)colourBits;
    window = reinterpret_cast<void*>(windowHandle);
    if (window)
        renderingContext = SDL_GL_CreateContext(static_cast<SDL_Window*>(window));
    if (!renderingContext)
        unavailable = window ? SDL_GetError() : "there is no window to draw in";
    makeCurrent();
    // "major.minor..." at the start of the version string.
    const char* version =
        renderingContext ? reinterpret_cast<const char*>(glGetString(GL_VERSION)) : nullptr;
    int major = 0, minor = 0;
    if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2)
        vertexBuffersOffered = major > 1 || (major == 1 && minor >= 5);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    setClearColour(0, 0, 0);

    const float ratio = width > 0 ? static_cast<float>(height) / static_cast<float>(width) : 0.75f;
    frustum = Frustum{-1.0f, 1.0f, -ratio, ratio, 1.5f, 1000.0f};
    fitViewport();
    applyProjection();

    alphaTestWanted = false;
    blending = false;
    textures = std::make_unique<TextureTable>(this);
    lights = LightSet();

    eye = Vector3(0.0f, 0.0f, 0.0f);
    direction = Vector3(1.0f, 0.0f, 0.0f);
    up = Vector3(0.0f, 1.0f, 0.0f);
    applyCamera();
}

GLContext::~GLContext() {
    // Textures and buffers are deleted while the context is still current.
    textures.reset();
    if (quadIndexBuffer != 0)
        glDeleteBuffers(1, &quadIndexBuffer);
    if (renderingContext) {
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(renderingContext));
    }
    if (currentGLContext == this)
        currentGLContext = nullptr;
}

void GLContext::applyCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vector3 centre = eye + direction;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    lights.placeLights();
}

void GLContext::applyProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near, frustum.far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLContext::setProjection(float left, float right, float bottom, float top, float nearPlane,
                              float farPlane) {
    frustum = Frustum{left, right, bottom, top, nearPlane, farPlane};
    applyProjection();
}

GLContext::CameraTurn GLContext::cameraTurn() const {
    CameraTurn turn;
    Vector3 zAxis(0.0f, 0.0f, 1.0f);
    Vector3 back = -direction;
    turn.a1 = angleBetween(zAxis, back);
    turn.k1 = cross(zAxis, back);
    // A half turn between opposite vectors has no cross product to turn
    // about: any perpendicular axis serves. About y, the y axis stays put.
    if (turn.a1 != 0.0f && turn.k1 == Vector3(0.0f, 0.0f, 0.0f))
        turn.k1 = Vector3(0.0f, 1.0f, 0.0f);
    Vector3 turnedY(0.0f, 1.0f, 0.0f);
    Vector3 axis1 = turn.k1;
    rotateAboutAxis(turnedY, turn.a1, axis1);
    Vector3 wantedUp = up;
    turn.a2 = angleBetween(turnedY, wantedUp);
    turn.k2 = cross(turnedY, wantedUp);
    // Up opposite the turned y axis: roll half round the view axis.
    if (turn.a2 != 0.0f && turn.k2 == Vector3(0.0f, 0.0f, 0.0f))
        turn.k2 = back;
    return turn;
}

Vector3 GLContext::unproject(float x, float y) const {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    if (x < 0.0f || y < 0.0f || x > w || y > h || width <= 0 || height <= 0)
        return Vector3(0.0f, 0.0f, 0.0f);
    const Frustum& f = frustum;
    Vector3 p((2.0f * x / w - 1.0f) * (f.right - f.left) / 2.0f + (f.right + f.left) / 2.0f,
              (1.0f - 2.0f * y / h) * (f.top - f.bottom) / 2.0f + (f.top + f.bottom) / 2.0f,
              -f.near);
    CameraTurn turn = cameraTurn();
    rotateAboutAxis(p, turn.a1, turn.k1);
    rotateAboutAxis(p, turn.a2, turn.k2);
    return eye + p;
}

Vector3 GLContext::project(Vector3 point) const {
    Vector3 p = point - eye;
    CameraTurn turn = cameraTurn();
    rotateAboutAxis(p, -turn.a2, turn.k2);
    rotateAboutAxis(p, -turn.a1, turn.k1);
    const Frustum& f = frustum;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float rl = f.right - f.left;
    const float tb = f.top - f.bottom;
    const float screenX =
        w * ((p.x * 2.0f * f.near / rl + p.z * (f.right + f.left) / rl) / -p.z + 1.0f) * 0.5f;
    const float screenY =
        h * (2.0f - ((p.z * (f.top + f.bottom) / tb + p.y * 2.0f * f.near / tb) / -p.z + 1.0f)) *
        0.5f;
    return Vector3(screenX, screenY, p.z);
}

ViewFrustum GLContext::viewFrustum() const {
    if (!renderingContext)
        return ViewFrustum();
    double projection[16], modelView[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    return ViewFrustum(projection, modelView);
}

void GLContext::makeCurrent() {
    if (renderingContext)
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window),
                           static_cast<SDL_GLContext>(renderingContext));
}

void GLContext::setClearColour(int32_t red, int32_t green, int32_t blue) {
    glClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
}

void GLContext::enableAlphaTest() {
    if (alphaTestWanted)
        return;
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    alphaTestWanted = true;
}

void GLContext::disableAlphaTest() {
    if (!alphaTestWanted)
        return;
    glDisable(GL_ALPHA_TEST);
    alphaTestWanted = false;
}

bool GLContext::alphaTestNeedlessFor(int32_t id) const {
    if (!alphaTestWanted || blending || !textures || !textures->opaque(id))
        return false;
    GLfloat colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    return colour[3] == 1.0f;
}

void GLContext::holdAlphaTestOff(bool off) {
    if (!alphaTestWanted || blending)
        return;
    if (off)
        glDisable(GL_ALPHA_TEST);
    else
        glEnable(GL_ALPHA_TEST);
}

void GLContext::enableBlending(int32_t mode) {
    if (blending)
        return;
    if (alphaTestWanted)
        glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    if (mode == 0)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else if (mode == 1)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    setDepthWrites(false);
    blending = true;
}

void GLContext::disableBlending() {
    if (!blending)
        return;
    setDepthWrites(true);
    glDisable(GL_BLEND);
    if (alphaTestWanted)
        glEnable(GL_ALPHA_TEST);
    blending = false;
}

// Each quad as the two triangles a display list makes of it (Mesa splits a
// quad along its 1-3 diagonal; split along 0-2, as drawing GL_QUADS from
// arrays does, edge pixels differ): the same triangles cover the same
// pixels with the same values. The frame comparison test holds it to that.
bool GLContext::bindQuadIndices(int32_t quads) {
    constexpr GLuint Corners[6] = {0, 1, 3, 1, 2, 3};
    // Buffers exist from OpenGL 1.5 on; an older driver has none to bind.
    if (!vertexBuffersOffered)
        return false;
    if (quads > quadIndexRoom) {
        const int32_t room = std::max(quads, 2 * quadIndexRoom);
        std::vector<GLuint> indices;
        try {
            indices.reserve(static_cast<size_t>(room) * 6);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int32_t q = 0; q < room; ++q)
            for (GLuint corner : Corners)
                indices.push_back(static_cast<GLuint>(q) * 4 + corner);
        if (quadIndexBuffer == 0)
            glGenBuffers(1, &quadIndexBuffer);
        while (glGetError() != GL_NO_ERROR) {
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                     GL_STATIC_DRAW);
        if (glGetError() != GL_NO_ERROR) {
            quadIndexRoom = 0;
            return false;
        }
        quadIndexRoom = room;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndexBuffer);
    return true;
}

void GLContext::unbindQuadIndices() {
    if (quadIndexBuffer != 0)
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GLContext::setTexturing(bool on) {
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void GLContext::bindTexture(int32_t id) {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
}

void GLContext::setCulling(bool on) {
    if (on)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

void GLContext::setDepthWrites(bool on) {
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

bool GLContext::texturing() const {
    return glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
}

int32_t GLContext::boundTexture() const {
    GLint id = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    return id;
}

bool GLContext::culling() const {
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

void GLContext::setDepthFunction(int32_t function) {
    glDepthFunc(static_cast<GLenum>(function));
}

int32_t GLContext::depthFunction() const {
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    return function;
}

bool GLContext::depthWrites() const {
    GLboolean on = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &on);
    return on == GL_TRUE;
}

void GLContext::fitViewport() {
    int32_t w = width;
    int32_t h = height;
    if (window)
        drawableSize(static_cast<SDL_Window*>(window), &w, &h);
    shown = PictureFit(width, height, w, h);
    // GL counts viewport rows from the bottom.
    glViewport(shown.left, h - shown.top - shown.height, shown.width, shown.height);
}

void GLContext::clear() {
    // A drawable that changed size (a full-screen switch the display
    // refused, a scaled window) is seen before the next frame draws.
    fitViewport();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<uint8_t> GLContext::readPicture(int32_t* pictureWidth, int32_t* pictureHeight) const {
    const int32_t w = shown.width;
    const int32_t h = shown.height;
    std::vector<uint8_t> rows(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 3);
    if (!rows.empty()) {
        std::vector<uint8_t> upward(rows.size());
        GLint alignment = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(shown.left, shown.targetHeight - shown.top - h, w, h, GL_RGB, GL_UNSIGNED_BYTE,
                     upward.data());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
        const size_t stride = static_cast<size_t>(w) * 3;
        for (int32_t row = 0; row < h; ++row)
            std::copy_n(upward.data() + static_cast<size_t>(h - 1 - row) * stride, stride,
                        rows.data() + static_cast<size_t>(row) * stride);
    }
    if (pictureWidth)
        *pictureWidth = w;
    if (pictureHeight)
        *pictureHeight = h;
    return rows;
}

void GLContext::present() {
    glFlush();
    if (window)
        SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
}

void GLContext::enter2D() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    savedDepthFunc = depthFunction();
    savedCulling = culling();
    inScreenMode = true;
    setDepthFunction(GL_ALWAYS);
    setCulling(false);
    const GLfloat flipY[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glMultMatrixf(flipY);
    glTranslatef(-1.0f, -1.0f, 0.0f);
    glScalef(2.0f, 2.0f, 0.0f);
    glScalef(1.0f / static_cast<float>(width), 1.0f / static_cast<float>(height), 0.0f);
}

void GLContext::leave2D() {
    setCulling(savedCulling);
    setDepthFunction(savedDepthFunc);
    inScreenMode = false;
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
