#include "platform/LineOverlay.h"

#include <GL/gl.h>

#include "platform/GLContext.h"

LineOverlay::LineOverlay(GLContext& gl_, float width, uint8_t red, uint8_t green, uint8_t blue)
        : gl(gl_), texturingBefore(gl_.texturing()), depthFunctionBefore(gl_.depthFunction()),
          depthWritesBefore(gl_.depthWrites()) {
    glGetFloatv(GL_LINE_WIDTH, &widthBefore);
    glGetFloatv(GL_CURRENT_COLOR, colourBefore);
    gl.setTexturing(false);
    gl.setDepthFunction(GL_ALWAYS);
    gl.setDepthWrites(false);
    glLineWidth(width);
    glColor3ub(red, green, blue);
}

LineOverlay::~LineOverlay() {
    glColor4fv(colourBefore);
    glLineWidth(widthBefore);
    gl.setDepthWrites(depthWritesBefore);
    gl.setDepthFunction(depthFunctionBefore);
    gl.setTexturing(texturingBefore);
}
