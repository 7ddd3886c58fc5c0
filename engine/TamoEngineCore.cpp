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
#include "world/WorldHistory.h"

// Owned world objects, deleted by the destructor.
#include "engine/TamoEditorUserAvatar.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

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
        : firstTextureId(firstTextureId_), quadScratch(std::make_shared<QuadScratch>()) {
    glContext = glContext_;
    spriteSheet = spriteSheet_;
    font = font_;
    planTileCurrent = planTileCurrent_;
    planTileOther = planTileOther_;
    material.texture = firstTextureId;
}

TamoEngineCore::~TamoEngineCore() {
    textureColours.clear();
    delete history;  // first: it reports to the map and the sprites
    history = nullptr;
    delete sprites;
    sprites = nullptr;
    delete map;
    map = nullptr;
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
    return settings.getTextureColour(textureId, red, green, blue);
}

const CursorSource* TamoEngineCore::cursorSource() const {
    return avatar;
}

void TamoEngineCore::toggleView() {
    view3D = !view3D;
}

void TamoEngineCore::toggleEditMode() {
    editMode = editMode == 0 ? 1 : 0;
    modeShownAt = tickNow();
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
    settings.touchMaterial();
}

void TamoEngineCore::levelUp() {
    ++currentLevel;
}

void TamoEngineCore::levelDown() {
    --currentLevel;
}

namespace {

// Texture ids and offsets come from files too and may sit at the int32 limits.
int32_t saturatingAdd(int32_t value, int32_t delta) {
    const int64_t sum = int64_t{value} + delta;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

}  // namespace

void TamoEngineCore::stepTexture(int32_t delta) {
    // With nothing loaded there is no texture to step to; stepping would
    // leave an id below the first texture that nothing can draw.
    if (textureCount <= 0) {
        touchMaterial();
        return;
    }
    int32_t id = saturatingAdd(material.texture, delta);
    if (id < firstTextureId)
        id = firstTextureId + textureCount - 1;
    if (id >= firstTextureId + textureCount)
        id = firstTextureId;
    material.texture = id;
    touchMaterial();
}

void TamoEngineCore::rotateMaterial() {
    material.rotation = static_cast<uint8_t>((material.rotation + 1) % 4);
    touchMaterial();
}

void TamoEngineCore::changeScale(int32_t delta, bool alongU) {
    int8_t& scale = alongU ? material.scaleU : material.scaleV;
    // Formed in the signed byte itself: 127 + 1 wraps negative and so gives 1.
    int8_t changed = static_cast<int8_t>(static_cast<uint8_t>(scale) + static_cast<uint8_t>(delta));
    if (changed < 1)
        changed = 1;
    scale = changed;
    touchMaterial();
}

void TamoEngineCore::changeOffset(int32_t delta, bool alongU) {
    int32_t& offset = alongU ? material.offsetU : material.offsetV;
    offset = saturatingAdd(offset, delta);
    touchMaterial();
}

void TamoEngineCore::stepSpriteType(int32_t delta) {
    const int32_t groups = spriteSheet ? spriteSheet->groupCount() : 0;
    // A sheet without groups offers no type to step to; keep type 0 rather
    // than giving new sprite objects the type -1.
    if (groups <= 0) {
        spriteType = 0;
        return;
    }
    int32_t type = spriteType + delta;
    if (type < 0)
        type = groups - 1;
    if (type > groups - 1)
        type = 0;
    spriteType = type;
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
        const char* caption = editMode == 0   ? "EDITING MAP BLOCKS"
                              : editMode == 1 ? "EDITING SPRITE OBJECTS"
                                              : nullptr;
        if (caption)
            font->drawText(w / 2, static_cast<int32_t>(h - HudLineHeight * 1.5f), caption, 0, 0,
                           255, true, 1.0f, false);
    }
}
