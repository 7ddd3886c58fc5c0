#include "tools/ContactSheet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/InterfaceLayout.h"
#include "tools/SheetPacker.h"

namespace {

Rgb checker(int x, int y) {
    return ((x / 6 + y / 6) % 2) ? Rgb{110, 110, 116} : Rgb{140, 140, 146};
}

void pasteEnlarged(Canvas& out, const Canvas& src, int dx, int dy, int factor) {
    for (int y = 0; y < src.height() * factor; ++y)
        for (int x = 0; x < src.width() * factor; ++x) {
            const Rgb c = src.get(x / factor, y / factor);
            out.set(dx + x, dy + y, c == KeyColour ? checker(x, y) : c);
        }
}

// Frames of a sheet as the program finds them (a plain re-implementation of the marker scan).
struct Frame {
    int group, left, top, right, bottom;
};

std::vector<Frame> scanFrames(const Canvas& sheet) {
    std::vector<Frame> frames;
    int group = -1;
    for (int y = 0; y < sheet.height();) {
        int tallest = 0;
        for (int x = 0; x < sheet.width();) {
            const Rgb c = sheet.get(x, y);
            if (c != NewGroupMark && c != SameGroupMark) {
                ++x;
                continue;
            }
            int xr = x + 1;
            while (xr < sheet.width() && sheet.get(xr, y) != EndMark)
                ++xr;
            int yb = y + 1;
            while (xr < sheet.width() && yb < sheet.height() && sheet.get(xr, yb) != EndMark)
                ++yb;
            if (xr >= sheet.width() || yb >= sheet.height()) {
                ++x;
                continue;
            }
            if (c == NewGroupMark)
                ++group;
            frames.push_back({group, x + 1, y + 1, xr - 1, yb - 1});
            tallest = std::max(tallest, yb - y);
            x = xr + 1;
        }
        y += 1 + tallest;
    }
    return frames;
}

const Frame* findFrame(const std::vector<Frame>& frames, int group, int index) {
    int seen = 0;
    for (const Frame& f : frames)
        if (f.group == group && seen++ == index)
            return &f;
    return nullptr;
}

Canvas crop(const Canvas& src, const Frame& f) {
    Canvas out(f.right - f.left + 1, f.bottom - f.top + 1, KeyColour);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.set(x, y, src.get(f.left + x, f.top + y));
    return out;
}

// Draws text from the font image the way the program does: 16 x 16 cells,
// nearest sampling, 18 x scale advance, key colour transparent, colour modulated.
void fontText(Canvas& out, const Canvas& font, int x, int y, const char* text, Rgb colour,
              float scale, bool centred) {
    static const char Map[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-*/.,:;|<>'!\xa9";
    const int advance = int(18 * scale), size = int(16 * scale);
    if (centred) {
        x -= advance * int(std::strlen(text)) / 2;
        y -= advance / 2;
    }
    for (const char* p = text; *p; ++p, x += advance) {
        if (*p == ' ')
            continue;
        const char* at = std::strchr(Map, std::toupper(static_cast<unsigned char>(*p)));
        const int i = at ? int(at - Map) : -1;
        const int cu = i >= 0 ? (i % 16) * 16 : 240, cv = i >= 0 ? (i / 16) * 16 : 112;
        for (int py = 0; py < size; ++py)
            for (int px = 0; px < size; ++px) {
                const Rgb t =
                    font.get(cu + int((px + 0.5f) * 16 / size), cv + int((py + 0.5f) * 16 / size));
                if (t == KeyColour)
                    continue;
                out.set(x + px, y + py,
                        {uint8_t(t.r * colour.r / 255), uint8_t(t.g * colour.g / 255),
                         uint8_t(t.b * colour.b / 255)});
            }
    }
}

Canvas screenMockup(const MediaSet& media, bool spriteMode) {
    Canvas screen(640, 480, Rgb{0, 0, 0});
    // Sky above, a grassy ground below, so the panels are seen over a scene.
    screen.pasteScaled(media.sky, 0, 0, 640, 200);
    for (int y = 200; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const Canvas& ground = media.textures[18];
            screen.set(x, y, ground.get(x % ground.width(), y % ground.height()));
        }
    const std::vector<Frame> frames = scanFrames(media.interfaceSprites);
    for (int g = 0; g < InterfacePanelCount; ++g) {
        if (g == (spriteMode ? PanelBlock : PanelSprite))
            continue;
        const Frame* f = findFrame(frames, g, 0);
        const ScreenPoint at = Panels[g].corner(screen.width(), screen.height());
        if (f)
            screen.paste(crop(media.interfaceSprites, *f), at.x, at.y);
    }
    if (!spriteMode) {
        // What the main window draws on the block panel.
        const ScreenPoint b = Panels[PanelBlock].corner(screen.width(), screen.height());
        const ScreenRect preview = MaterialPreview.movedBy(b.x, b.y);
        screen.pasteScaled(media.textures[1], preview.left, preview.top,
                           preview.right - preview.left + 1, preview.bottom - preview.top + 1);
        const Rgb red{255, 0, 0};
        auto number = [&](ScreenPoint spot, const char* text) {
            fontText(screen, media.font, b.x + spot.x, b.y + spot.y, text, red, 0.5f, true);
        };
        number(RotationNumberSpot, "3");
        number(ScaleUNumberSpot, "12");
        number(ScaleVNumberSpot, "1");
        number(OffsetUNumberSpot, "-4");
        number(OffsetVNumberSpot, "0");
    }
    fontText(screen, media.font, 200, 180, "EDITING MAP BLOCKS", Rgb{0, 0, 255}, 1.0f, false);
    fontText(screen, media.font, 200, 200, "START X -1 DIR 2 %", Rgb{255, 255, 0}, 1.0f, false);
    fontText(screen, media.font, 200, 220, "Y ZOOM 3 <>|'!\xa9,.:;+-*/", Rgb{255, 255, 255}, 1.0f,
             false);
    // The sprite preview sits under the block panel in sprite mode; shown beside it here.
    const std::vector<Frame> world = scanFrames(media.worldSprites);
    const Frame* f = findFrame(world, spriteMode ? 1 : 0, 0);
    if (spriteMode && f) {
        // Frame 0 of the current sprite type, stretched over the preview rectangle.
        Canvas sprite = crop(media.worldSprites, *f);
        const ScreenPoint s = Panels[PanelSprite].corner(screen.width(), screen.height());
        const ScreenRect preview = SpritePreview.movedBy(s.x, s.y);
        const int w = preview.right - preview.left, h = preview.bottom - preview.top;
        Canvas scaled(w, h, KeyColour);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                scaled.set(x, y, sprite.get(x * sprite.width() / w, y * sprite.height() / h));
        screen.paste(scaled, preview.left, preview.top);
    }
    return screen;
}

}  // namespace

Canvas makeContactSheet(const MediaSet& media) {
    const int width = 1300;
    Canvas out(width, 4200, Rgb{40, 40, 44});
    int y = 10;
    out.paste(screenMockup(media, false), 10, y);
    out.paste(screenMockup(media, true), 660, y);
    y += 490;
    pasteEnlarged(out, media.interfaceSprites, 10, y, 2);
    // Button regions outlined in yellow on the enlarged panels.
    const std::vector<Frame> panels = scanFrames(media.interfaceSprites);
    for (int g = 0; g < InterfacePanelCount; ++g) {
        const Frame* f = findFrame(panels, g, 0);
        if (!f)
            continue;
        for (const ButtonLayout& button : Buttons) {
            if (button.panel != g)
                continue;
            const ScreenRect r = button.onPanel().movedBy(f->left, f->top);
            const int x0 = r.left, x1 = r.right, y0 = r.top, y1 = r.bottom;
            out.frameRect(10 + 2 * x0, y + 2 * y0, 10 + 2 * x1 + 1, y + 2 * y1 + 1,
                          Rgb{255, 255, 0});
        }
    }
    y += 522;
    pasteEnlarged(out, media.worldSprites, 10, y, 2);
    y += 1034;
    pasteEnlarged(out, media.font, 10, y, 4);
    pasteEnlarged(out, media.currentTile, 1050, y, 16);
    pasteEnlarged(out, media.otherTile, 1050, y + 140, 8);
    y += 522;
    pasteEnlarged(out, media.sky, 10, y, 2);
    y += 74;
    int x = 10, rowHeight = 0;
    for (const Canvas& t : media.textures) {
        const int factor = t.width() >= 256 || t.height() >= 256 ? 1 : 2;
        if (x + t.width() * factor > width - 10) {
            x = 10;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        pasteEnlarged(out, t, x, y, factor);
        x += t.width() * factor + 10;
        rowHeight = std::max(rowHeight, t.height() * factor);
    }
    y += rowHeight + 10;
    Canvas trimmed(width, y, Rgb{40, 40, 44});
    trimmed.paste(out, 0, 0);
    return trimmed;
}
