#include "platform/WindowText.h"

#include <SDL.h>
#include <GL/gl.h>
#include <cairo.h>

#include <cmath>
#include <vector>

namespace {

const double FontSize = 13.0;

void selectFont(cairo_t* cr) {
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, FontSize);
}

// The text rendered by cairo as premultiplied RGBA rows, top row first.
struct TextImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

TextImage renderText(const char* text, uint8_t red, uint8_t green, uint8_t blue, bool transparent) {
    TextImage image;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* measure = cairo_create(probe);
    selectFont(measure);
    cairo_text_extents_t extents;
    cairo_font_extents_t font;
    cairo_text_extents(measure, text, &extents);
    cairo_font_extents(measure, &font);
    cairo_destroy(measure);
    cairo_surface_destroy(probe);

    image.width = static_cast<int>(std::ceil(extents.x_advance));
    image.height = static_cast<int>(std::ceil(font.ascent + font.descent));
    if (image.width <= 0 || image.height <= 0)
        return image;

    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    cairo_t* cr = cairo_create(surface);
    if (!transparent) {
        cairo_set_source_rgb(cr, 128 / 255.0, 128 / 255.0, 128 / 255.0);
        cairo_paint(cr);
    }
    selectFont(cr);
    cairo_set_source_rgb(cr, red / 255.0, green / 255.0, blue / 255.0);
    cairo_move_to(cr, 0, font.ascent);
    cairo_show_text(cr, text);
    cairo_surface_flush(surface);

    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    for (int row = 0; row < image.height; ++row) {
        const uint32_t* source = reinterpret_cast<const uint32_t*>(data + row * stride);
        uint8_t* target = &image.rgba[static_cast<size_t>(row) * image.width * 4];
        for (int column = 0; column < image.width; ++column) {
            const uint32_t pixel = source[column];  // 0xAARRGGBB, premultiplied
            target[column * 4 + 0] = static_cast<uint8_t>(pixel >> 16);
            target[column * 4 + 1] = static_cast<uint8_t>(pixel >> 8);
            target[column * 4 + 2] = static_cast<uint8_t>(pixel);
            target[column * 4 + 3] = static_cast<uint8_t>(pixel >> 24);
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return image;
}

void putImage(const TextImage& image, int32_t x, int32_t y, bool transparent) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT |
                 GL_TRANSFORM_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    if (transparent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    // Rows go downwards from the top-left corner. The raster position starts
    // at the origin and moves by a bitmap step, so text that begins outside
    // the viewport is still drawn where it overlaps it.
    glPixelZoom(1.0f, -1.0f);
    glRasterPos2i(0, 0);
    glBitmap(0, 0, 0, 0, static_cast<GLfloat>(x), static_cast<GLfloat>(viewport[3] - y), nullptr);
    glDrawPixels(image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

bool drawWindowText(SDL_Window* window, int32_t x, int32_t y, const char* text, uint8_t red,
                    uint8_t green, uint8_t blue, bool transparent) {
    if (!window || !text || !*text)
        return false;
    if (SDL_GL_GetCurrentWindow() != window || !SDL_GL_GetCurrentContext())
        return false;
    const TextImage image = renderText(text, red, green, blue, transparent);
    if (image.rgba.empty())
        return false;
    putImage(image, x, y, transparent);
    return true;
}
