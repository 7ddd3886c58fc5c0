#include "app/ScreenPanels.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "app/FileCaption.h"
#include "app/FramePicture.h"
#include "app/StatusCaption.h"
#include "app/TextureIds.h"
#include "engine/EditorState.h"
#include "media/BitmapFont.h"
#include "media/SpriteSheet.h"
#include "platform/FrameTime.h"
#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"
#include "platform/ScreenSize.h"
#include "platform/SystemClock.h"

ScreenPanels::ScreenPanels(GLContext& gl, SpriteSheet& interfaceSheet, SpriteSheet& worldSheet,
                           BitmapFont& font, const EditorState& editor, StatusCaption& caption)
        : gl(gl), interfaceSheet(interfaceSheet), spriteSheet(worldSheet), font(font),
          editor(editor), caption(caption) {}

void ScreenPanels::drawPanels() {
    drawPanel(PanelFile);
    drawPanel(PanelMode);
    if (editor.editMode == EditorState::EditBlocks) {
        if (drawPanel(PanelBlock))
            drawBlockPanel(panelCorner(PanelBlock));
    } else {
        if (drawPanel(PanelSprite))
            drawSpritePanel(panelCorner(PanelSprite));
    }
    if (!editor.view3D)
        drawPanel(PanelLevel);
}

ScreenPoint ScreenPanels::panelCorner(InterfacePanel panel) const {
    return Panels[panel].corner(ScreenWidth, ScreenHeight);
}

bool ScreenPanels::drawPanel(InterfacePanel panel) {
    // Without its frame (media missing) the whole sheet would be drawn.
    if (!interfaceSheet.isValidFrame(panel, 0))
        return false;
    interfaceSheet.selectFrame(panel, 0);
    const ScreenPoint at = panelCorner(panel);
    gl.textures->drawSprite2D(InterfaceSheetTextureId, at.x, at.y, 1.0f, false, false, 0.0f);
    return true;
}

void ScreenPanels::drawBlockPanel(ScreenPoint corner) {
    const FaceMaterial& material = editor.material;
    // The preview shows the texture's own colours, whatever colour was
    // current; a texture that was never loaded shows no preview.
    if (gl.textures->findTexture(material.texture) >= 0) {
        glColor4ub(255, 255, 255, 255);
        const ScreenRect r = MaterialPreview.movedBy(corner.x, corner.y);
        fillRectWithTexture(r.left, r.top, r.right, r.bottom, material.texture, false, 1.0f);
    }
    auto number = [&](ScreenPoint spot, int32_t value) {
        font.drawNumber(corner.x + spot.x, corner.y + spot.y, value, 255, 0, 0, true, 0.5f, false);
    };
    number(RotationNumberSpot, material.rotation);
    number(ScaleUNumberSpot, material.scaleU);
    number(ScaleVNumberSpot, material.scaleV);
    number(OffsetUNumberSpot, material.offsetU);
    number(OffsetVNumberSpot, material.offsetV);
}

void ScreenPanels::drawSpritePanel(ScreenPoint corner) {
    // A sprite type without a frame would otherwise show whatever frame was
    // selected last, from another sheet.
    if (!spriteSheet.isValidFrame(editor.spriteType, 0))
        return;
    spriteSheet.selectFrame(editor.spriteType, 0);
    const ScreenRect r = SpritePreview.movedBy(corner.x, corner.y);
    gl.textures->drawTextureRect(WorldSheetTextureId, r.left, r.top, r.right, r.bottom);
}

void ScreenPanels::drawCaption() {
    const uint32_t now = getTickCount();
    const char* text = caption.textAt(now);
    if (text == nullptr)
        return;
    font.drawText(ScreenWidth / 2, ScreenHeight / 2, text, 255, 40, 40, true, 1.0f, false);
    if (const char* detail = caption.detailAt(now))
        font.drawText(ScreenWidth / 2, ScreenHeight / 2 + 20, detail, 255, 40, 40, true, 0.5f,
                      false);
}

void ScreenPanels::countFrame(const DrawCounts& counts) {
    if (statistics.frameDone(getTickCount(), getFrameTime(), counts) && statisticsReported)
        std::fprintf(stderr, "%s\n", statistics.reportLine().c_str());
    if (!statisticsShown)
        return;
    const ScreenPoint area = StatisticsArea.corner(ScreenWidth, ScreenHeight);
    ScreenOverlay overlay(gl);
    font.drawText(area.x + StatisticsText.x, area.y + StatisticsText.y,
                  statistics.overlayText().c_str(), 255, 255, 0, false, StatisticsTextScale, true);
}

void ScreenPanels::savePictureIfAsked() {
    if (!pictureWanted)
        return;
    pictureWanted = false;
    savePicture();
}

bool ScreenPanels::savePicture() {
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> rgb = gl.readPicture(&width, &height);
    std::string path, why;
    if (!FramePicture::save(rgb.data(), width, height, std::time(nullptr), &path, &why)) {
        std::fprintf(stderr, "tamotown: saving the picture %s failed: %s\n", path.c_str(),
                     why.c_str());
        caption.show(FileCaption::saveFailed(path, why), getTickCount());
        return false;
    }
    caption.show(FileCaption::pictureSaved(path), getTickCount());
    return true;
}
