#include <algorithm>
#include <cmath>

#include "media/InterfaceLayout.h"
#include "tools/Art.h"
#include "tools/SheetPacker.h"

namespace {

const Rgb White{255, 255, 255};
const Rgb PanelTop{70, 84, 108};
const Rgb PanelBottom{42, 50, 66};
const Rgb ButtonFace{96, 128, 176};
const Rgb ZoomFace{70, 176, 164};
const Rgb OffsetFace{150, 112, 190};
const Rgb TextureFace{200, 150, 60};
const Rgb QuitFace{196, 60, 50};
const Rgb FieldFace{18, 22, 30};
const Rgb Dark{22, 24, 32};

// A button's rectangle in the coordinates of the panel it lies on.
ScreenRect onPanel(ButtonId id) {
    return buttonLayout(id).onPanel();
}

// Panel background with a bevelled rim; the corner that faces the middle of
// the screen (away from the edges the panel is flush with) is rounded off
// with the key colour.
Canvas panelBase(const PanelLayout& panel) {
    const bool roundLeft = panel.alongRight, roundTop = panel.alongBottom;
    Canvas c(panel.width, panel.height, KeyColour);
    c.verticalGradient(0, 0, panel.width - 1, panel.height - 1, PanelTop, PanelBottom);
    c.fillRect(0, 0, panel.width - 1, 0, Rgb{120, 136, 164});
    c.fillRect(0, 0, 0, panel.height - 1, Rgb{120, 136, 164});
    c.fillRect(0, panel.height - 1, panel.width - 1, panel.height - 1, Rgb{24, 28, 38});
    c.fillRect(panel.width - 1, 0, panel.width - 1, panel.height - 1, Rgb{24, 28, 38});
    const int radius = 6;
    const int cx = roundLeft ? radius : panel.width - 1 - radius;
    const int cy = roundTop ? radius : panel.height - 1 - radius;
    for (int y = 0; y < panel.height; ++y)
        for (int x = 0; x < panel.width; ++x) {
            const bool inCornerX = roundLeft ? x < cx : x > cx;
            const bool inCornerY = roundTop ? y < cy : y > cy;
            if (!inCornerX || !inCornerY)
                continue;
            const float d = std::hypot(float(x - cx), float(y - cy));
            if (d > radius + 0.5f)
                c.set(x, y, KeyColour);
            else if (d > radius - 0.7f)
                c.set(x, y, Rgb{24, 28, 38});
        }
    return c;
}

void button(Canvas& c, const ScreenRect& r, Rgb face) {
    c.fillRect(r.left, r.top, r.right, r.bottom, Dark);
    c.bevelBox(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, face, true);
}

// Text with a dark drop shadow, centred on (cx, cy).
void label(Canvas& c, const GlyphRenderer& glyphs, int cx, int cy, const char* text, int size,
           Rgb colour = White) {
    glyphs.drawCentred(c, cx + 1, cy + 1, text, size, Dark);
    glyphs.drawCentred(c, cx, cy, text, size, colour);
}

// A sunken dark display for a number the program draws on top in red; the
// font's dark outline melts into it, so small digits stay clean.
void numberField(Canvas& c, int x0, int y0, int x1, int y1) {
    c.fillRect(x0, y0, x1, y1, Rgb{150, 160, 180});
    c.fillRect(x0, y0, x1 - 1, y0, Dark);
    c.fillRect(x0, y0, x0, y1 - 1, Dark);
    c.fillRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, FieldFace);
}

// Plus and minus signs drawn as crisp bars.
void plusSign(Canvas& c, int cx, int cy, bool plus) {
    for (int pass = 0; pass < 2; ++pass) {
        const int o = pass == 0 ? 1 : 0;
        const Rgb colour = pass == 0 ? Dark : White;
        c.fillRect(cx - 3 + o, cy - 1 + o, cx + 3 + o, cy + o, colour);
        if (plus)
            c.fillRect(cx - 1 + o, cy - 3 + o, cx + o, cy + 3 + o, colour);
    }
}

enum class Arrow { Up, Down, Left, Right };

void arrow(Canvas& c, float cx, float cy, float size, Arrow dir, Rgb colour) {
    const float s = size / 2;
    switch (dir) {
    case Arrow::Up:
        c.fillPolygon({cx - s, cy + s * 0.6f, cx + s, cy + s * 0.6f, cx, cy - s * 0.7f}, colour);
        break;
    case Arrow::Down:
        c.fillPolygon({cx - s, cy - s * 0.6f, cx + s, cy - s * 0.6f, cx, cy + s * 0.7f}, colour);
        break;
    case Arrow::Left:
        c.fillPolygon({cx + s * 0.6f, cy - s, cx + s * 0.6f, cy + s, cx - s * 0.7f, cy}, colour);
        break;
    case Arrow::Right:
        c.fillPolygon({cx - s * 0.6f, cy - s, cx - s * 0.6f, cy + s, cx + s * 0.7f, cy}, colour);
        break;
    }
}

void shadowedArrow(Canvas& c, float cx, float cy, float size, Arrow dir) {
    arrow(c, cx + 1, cy + 1, size, dir, Dark);
    arrow(c, cx, cy, size, dir, White);
}

int midX(const ScreenRect& r) {
    return (r.left + r.right + 1) / 2;
}
int midY(const ScreenRect& r) {
    return (r.top + r.bottom + 1) / 2;
}

// Small pictures on the file buttons.
void powerIcon(Canvas& c, float cx, float cy) {
    for (int a = 40; a <= 320; a += 4) {
        const float rad = a * 3.14159f / 180.0f;
        c.fillEllipse(cx + 5.0f * std::sin(rad), cy - 5.0f * std::cos(rad), 1.0f, 1.0f, White);
    }
    c.line(cx, cy - 7, cx, cy - 1, 2.0f, White);
}

void floppyIcon(Canvas& c, int x, int y) {
    c.fillRect(x, y, x + 11, y + 11, Rgb{40, 60, 110});
    c.fillRect(x + 3, y, x + 8, y + 4, Rgb{210, 214, 220});
    c.fillRect(x + 6, y + 1, x + 7, y + 3, Rgb{40, 60, 110});
    c.fillRect(x + 2, y + 7, x + 9, y + 11, White);
    c.frameRect(x, y, x + 11, y + 11, Dark);
}

void folderIcon(Canvas& c, int x, int y) {
    c.fillRect(x, y + 1, x + 5, y + 3, Rgb{230, 180, 70});
    c.fillRect(x, y + 3, x + 13, y + 11, Rgb{246, 200, 90});
    c.fillPolygon({float(x + 2), float(y + 6), float(x + 15), float(y + 6), float(x + 13),
                   float(y + 12), float(x), float(y + 12)},
                  Rgb{252, 220, 120});
    c.frameRect(x, y + 3, x + 13, y + 11, Rgb{150, 110, 40});
}

void cubeIcon(Canvas& c, float x, float y) {
    c.fillPolygon({x, y + 3, x + 5, y, x + 10, y + 3, x + 5, y + 6}, Rgb{250, 220, 150});
    c.fillPolygon({x, y + 3, x + 5, y + 6, x + 5, y + 12, x, y + 9}, Rgb{210, 160, 90});
    c.fillPolygon({x + 5, y + 6, x + 10, y + 3, x + 10, y + 9, x + 5, y + 12}, Rgb{160, 110, 60});
}

void figureIcon(Canvas& c, float x, float y) {
    c.fillEllipse(x + 3, y + 2, 2.2f, 2.2f, Rgb{250, 220, 190});
    c.fillRect(int(x + 1), int(y + 5), int(x + 5), int(y + 9), Rgb{250, 110, 100});
    c.fillRect(int(x + 1), int(y + 10), int(x + 2), int(y + 12), Rgb{40, 50, 80});
    c.fillRect(int(x + 4), int(y + 10), int(x + 5), int(y + 12), Rgb{40, 50, 80});
}

void rotateIcon(Canvas& c, float cx, float cy) {
    for (int a = 200; a <= 500; a += 5) {
        const float rad = a * 3.14159f / 180.0f;
        c.fillEllipse(cx + 7.0f * std::cos(rad), cy + 3.2f * std::sin(rad), 0.9f, 0.9f, White);
    }
    arrow(c, cx - 6.5f, cy - 1.5f, 5, Arrow::Down, White);
}

// ---- The five panels ----

Canvas filePanel(const GlyphRenderer& g) {
    Canvas c = panelBase(Panels[PanelFile]);
    const ScreenRect quit = onPanel(ButtonQuit), save = onPanel(ButtonSave),
                     load = onPanel(ButtonLoad);
    button(c, quit, QuitFace);
    powerIcon(c, midX(quit), quit.top + 10);
    label(c, g, midX(quit), quit.bottom - 6, "QUIT", 8);
    button(c, save, ButtonFace);
    floppyIcon(c, midX(save) - 6, save.top + 3);
    label(c, g, midX(save), save.bottom - 6, "SAVE", 8);
    button(c, load, ButtonFace);
    folderIcon(c, midX(load) - 7, load.top + 2);
    label(c, g, midX(load), load.bottom - 6, "LOAD", 8);
    return c;
}

Canvas modePanel(const GlyphRenderer& g) {
    Canvas c = panelBase(Panels[PanelMode]);
    const ScreenRect mode = onPanel(ButtonEditMode), view = onPanel(ButtonView);
    button(c, mode, ButtonFace);
    cubeIcon(c, mode.left + 5, mode.top + 3);
    figureIcon(c, mode.left + 20, mode.top + 3);
    label(c, g, midX(mode), mode.bottom - 6, "EDIT", 8);
    button(c, view, ButtonFace);
    label(c, g, midX(view), view.top + 9, "3D/2D", 10, Rgb{255, 240, 170});
    label(c, g, midX(view), view.bottom - 6, "VIEW", 8);
    return c;
}

Canvas blockPanel(const GlyphRenderer& g, const std::vector<Canvas>& textures) {
    Canvas c = panelBase(Panels[PanelBlock]);

    // A frame around the material preview, where the program stretches the texture.
    const ScreenRect frame = MaterialPreview.grownBy(2), inside = MaterialPreview.grownBy(1);
    c.fillRect(frame.left, frame.top, frame.right, frame.bottom, Dark);
    c.fillRect(inside.left, inside.top, inside.right, inside.bottom, Rgb{120, 124, 130});

    // Texture steps.
    const ScreenRect next = onPanel(ButtonTextureNext), prev = onPanel(ButtonTexturePrevious);
    button(c, next, TextureFace);
    label(c, g, midX(next), midY(next), "T+", 9);
    button(c, prev, TextureFace);
    label(c, g, midX(prev), midY(prev), "T-", 8);

    // Zoom: X across the top, Y down the left of the preview.
    const ScreenRect zxUp = onPanel(ButtonScaleUUp), zxDown = onPanel(ButtonScaleUDown),
                     zyUp = onPanel(ButtonScaleVUp), zyDown = onPanel(ButtonScaleVDown);
    for (const ScreenRect& r : {zxUp, zxDown, zyUp, zyDown})
        button(c, r, ZoomFace);
    plusSign(c, midX(zxUp), midY(zxUp), true);
    plusSign(c, midX(zxDown), midY(zxDown), false);
    plusSign(c, midX(zyUp), midY(zyUp), true);
    plusSign(c, midX(zyDown), midY(zyDown), false);
    numberField(c, 99, 5, 131, 19);  // around ScaleUNumberSpot
    numberField(c, 53, 56, 75, 70);  // around ScaleVNumberSpot
    label(c, g, 65, 49, "ZY", 7, Rgb{170, 230, 226});

    // Start offsets: X along the bottom, Y down the right.
    const ScreenRect oxDown = onPanel(ButtonOffsetUDown), oxUp = onPanel(ButtonOffsetUUp),
                     oyDown = onPanel(ButtonOffsetVDown), oyUp = onPanel(ButtonOffsetVUp);
    for (const ScreenRect& r : {oxDown, oxUp, oyDown, oyUp})
        button(c, r, OffsetFace);
    shadowedArrow(c, midX(oxDown) - 0.5f, midY(oxDown) - 0.5f, 8, Arrow::Left);
    shadowedArrow(c, midX(oxUp) - 0.5f, midY(oxUp) - 0.5f, 8, Arrow::Right);
    shadowedArrow(c, midX(oyDown) - 0.5f, midY(oyDown) - 0.5f, 8, Arrow::Down);
    shadowedArrow(c, midX(oyUp) - 0.5f, midY(oyUp) - 0.5f, 8, Arrow::Up);
    numberField(c, 96, 111, 140, 125);  // around OffsetUNumberSpot
    numberField(c, 159, 57, 179, 71);   // around OffsetVNumberSpot
    label(c, g, 169, 47, "SY", 7, Rgb{220, 200, 250});
    label(c, g, 63, 118, "SX", 7, Rgb{220, 200, 250});

    // Rotation: the number sits in the middle of the button.
    const ScreenRect rot = onPanel(ButtonRotate);
    button(c, rot, ButtonFace);
    label(c, g, midX(rot), rot.top + 5, "DIR", 7);
    numberField(c, 19, 20, 35, 34);  // around RotationNumberSpot
    rotateIcon(c, midX(rot), rot.bottom - 6);

    // Presets: miniatures of the six building facades.
    for (int id = ButtonPreset1; id <= ButtonPreset6; ++id) {
        const ScreenRect r = onPanel(ButtonId(id));
        c.fillRect(r.left, r.top, r.right, r.bottom, Dark);
        c.fillRect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, Rgb{230, 230, 236});
        const Canvas& facade = textures[size_t(1 + id - ButtonPreset1)];
        c.pasteScaled(facade, r.left + 2, r.top + 2, r.right - r.left - 3, r.bottom - r.top - 3);
    }
    label(c, g, 31, 52, "HOUSES", 7, Rgb{250, 220, 150});
    return c;
}

Canvas spritePanel(const GlyphRenderer& g) {
    Canvas c = panelBase(Panels[PanelSprite]);
    label(c, g, 90, 16, "SPRITE", 10, Rgb{255, 240, 170});
    // A little scene framed around the sprite preview, where the program
    // stretches frame 0 of the current sprite: sky, and grass at the bottom.
    const ScreenRect frame = SpritePreview.grownBy(2), scene = SpritePreview.grownBy(1);
    c.fillRect(frame.left, frame.top, frame.right, frame.bottom, Dark);
    c.verticalGradient(scene.left, scene.top, scene.right, scene.bottom, Rgb{170, 206, 240},
                       Rgb{226, 236, 220});
    c.fillRect(scene.left, scene.bottom - 9, scene.right, scene.bottom, Rgb{150, 180, 120});
    const ScreenRect next = onPanel(ButtonSpriteTypeNext), prev = onPanel(ButtonSpriteTypePrevious);
    button(c, next, ButtonFace);
    shadowedArrow(c, midX(next) - 0.5f, next.top + 8, 9, Arrow::Up);
    label(c, g, midX(next), next.bottom - 5, "NEXT", 7);
    button(c, prev, ButtonFace);
    shadowedArrow(c, midX(prev) - 0.5f, prev.top + 8, 9, Arrow::Down);
    label(c, g, midX(prev), prev.bottom - 5, "PREV", 7);
    return c;
}

Canvas levelPanel(const GlyphRenderer& g) {
    Canvas c = panelBase(Panels[PanelLevel]);
    const ScreenRect up = onPanel(ButtonLevelUp), down = onPanel(ButtonLevelDown);
    button(c, up, ButtonFace);
    shadowedArrow(c, midX(up) - 0.5f, up.top + 12, 13, Arrow::Up);
    label(c, g, midX(up), up.bottom - 6, "UP", 8);
    button(c, down, ButtonFace);
    shadowedArrow(c, midX(down) - 0.5f, down.top + 12, 13, Arrow::Down);
    label(c, g, midX(down), down.bottom - 6, "DOWN", 8);
    return c;
}

}  // namespace

Canvas makeInterfaceSprites(const GlyphRenderer& glyphs, const std::vector<Canvas>& textures) {
    Canvas sheet(512, 256, KeyColour);
    SheetPacker packer(sheet);
    packer.addFrame(filePanel(glyphs), true);
    packer.addFrame(modePanel(glyphs), true);
    packer.newBand();
    packer.addFrame(blockPanel(glyphs, textures), true);
    packer.addFrame(spritePanel(glyphs), true);
    packer.addFrame(levelPanel(glyphs), true);
    if (!packer.allPlaced())
        return Canvas(0, 0, KeyColour);
    return sheet;
}
