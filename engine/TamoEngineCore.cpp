#include "engine/TamoEngineCore.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "engine/Overlay.h"
#include "media/BitmapFont.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"
#include "platform/SystemClock.h"
#include "world/MapFormat.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/QuadScratch.h"
#include "world/TamoSector.h"

// The avatar, deleted by the destructor.
#include "engine/TamoEditorUserAvatar.h"
#include "world/TamoMap.h"

namespace {

constexpr int32_t MaterialShownFor = 4000;
constexpr int32_t ModeShownFor = 1500;
constexpr int32_t HudLineHeight = 18;

int32_t tickNow() {
    return static_cast<int32_t>(getTickCount());
}

// Milliseconds from stamp to now, correct across the wrap of the tick.
int32_t elapsedSince(int32_t stamp, int32_t now) {
    return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(stamp));
}

int32_t floorToInt(float value) {
    return static_cast<int32_t>(std::floor(value));
}

}  // namespace

TamoEngineCore::TamoEngineCore(GLContext* glContext_, SpriteSheet* spriteSheet_, BitmapFont* font_,
                               int32_t firstTextureId_, int32_t planTileCurrent_,
                               int32_t planTileOther_)
        : EditorState(firstTextureId_), quadScratch(std::make_shared<QuadScratch>()) {
    glContext = glContext_;
    spriteSheet = spriteSheet_;
    font = font_;
    planTileCurrent = planTileCurrent_;
    planTileOther = planTileOther_;
}

TamoEngineCore::~TamoEngineCore() {
    textureColours.clear();
    destroyWorld();
    delete avatar;
    avatar = nullptr;
}

OptimizedQuadHashTable* TamoEngineCore::createQuadTable() {
    return new OptimizedQuadHashTable(blockWidth, blockHeight, quadScratch);
}

TamoSector* TamoEngineCore::createSector(Vector3 origin, int32_t size) {
    return new TamoSector(origin, size, this);
}

TamoSector* TamoEngineCore::readSector(FileStream& stream) {
    TamoSectorData data;
    if (!MapFormat::readSector(stream, &data))
        return nullptr;
    return createSectorFromData(std::move(data));
}

TamoSector* TamoEngineCore::createSectorFromData(TamoSectorData data) {
    return new TamoSector(std::move(data), this);
}

bool TamoEngineCore::addTextureColour(int32_t textureId, int32_t red, int32_t green, int32_t blue) {
    return textureColours.append(TextureColour{textureId, red, green, blue});
}

bool TamoEngineCore::getTextureColour(int32_t textureId, int32_t& red, int32_t& green,
                                      int32_t& blue) const {
    return WorldSettings::getTextureColour(textureId, red, green, blue);
}

const CursorSource* TamoEngineCore::cursorSource() const {
    return avatar;
}

void TamoEngineCore::toggleView() {
    EditorState::toggleView();
}

void TamoEngineCore::toggleEditMode() {
    EditorState::toggleEditMode();
}

void TamoEngineCore::startView() {
    if (glContext)
        glContext->eye = TamoMap::startPoint(blockWidth, blockHeight);
    centrePlanView();
}

void TamoEngineCore::centrePlanView() {
    if (!glContext)
        return;
    const Vector3& eye = glContext->eye;
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    planScrollX = static_cast<float>(planCellSize * floorToInt(eye.x / w) - glContext->width / 2);
    planScrollY = static_cast<float>(planCellSize * floorToInt(eye.z / w) - glContext->height / 2);
    currentLevel = floorToInt(eye.y / h);
}

void TamoEngineCore::touchMaterial() {
    EditorState::touchMaterial();
}

void TamoEngineCore::levelUp() {
    EditorState::levelUp();
}

void TamoEngineCore::levelDown() {
    EditorState::levelDown();
}

void TamoEngineCore::stepTexture(int32_t delta) {
    EditorState::stepTexture(delta);
}

void TamoEngineCore::rotateMaterial() {
    EditorState::rotateMaterial();
}

void TamoEngineCore::changeScale(int32_t delta, bool alongU) {
    EditorState::changeScale(delta, alongU);
}

void TamoEngineCore::changeOffset(int32_t delta, bool alongU) {
    EditorState::changeOffset(delta, alongU);
}

void TamoEngineCore::stepSpriteType(int32_t delta) {
    EditorState::stepSpriteType(delta, spriteSheet ? spriteSheet->groupCount() : 0);
}

void TamoEngineCore::drawHud() {
    const int32_t now = tickNow();
    if (elapsedSince(materialShownAt, now) > MaterialShownFor)
        materialShownAt = 0;
    if (elapsedSince(modeShownAt, now) > ModeShownFor)
        modeShownAt = 0;
    if (!glContext)
        return;
    const int32_t w = glContext->width;
    const int32_t h = glContext->height;
    if (materialShownAt != 0) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);  // the preview shows the texture untinted
        fillRectWithTexture(0, h - 100, 100, h, material.texture, false, 1.0f);
        const std::array<std::string, 5> lines = materialHudLines(material);
        for (size_t k = 0; k < lines.size() && font; ++k)
            font->drawText(105, h - 100 + static_cast<int32_t>(k) * HudLineHeight, lines[k].c_str(),
                           0, 0, 255, false, 1.0f, false);
    }

    if (modeShownAt != 0 && font) {
        const char* caption = editMode == EditBlocks    ? "EDITING MAP BLOCKS"
                              : editMode == EditSprites ? "EDITING SPRITE OBJECTS"
                                                        : nullptr;
        if (caption)
            font->drawText(w / 2, static_cast<int32_t>(h - HudLineHeight * 1.5f), caption, 0, 0,
                           255, true, 1.0f, false);
    }
}
