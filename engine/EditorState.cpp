#include "engine/EditorState.h"

#include <algorithm>
#include <cstdlib>

#include "platform/SystemClock.h"

namespace {

int32_t tickNow() {
    return static_cast<int32_t>(getTickCount());
}

// Texture ids and offsets come from files too and may sit at the int32 limits.
int32_t saturatingAdd(int32_t value, int32_t delta) {
    const int64_t sum = int64_t{value} + delta;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

}  // namespace

EditorState::EditorState(int32_t firstTextureId_) : firstTextureId(firstTextureId_) {
    material.texture = firstTextureId;
}

void EditorState::toggleView() {
    view3D = !view3D;
}

void EditorState::toggleEditMode() {
    editMode = editMode == EditBlocks ? EditSprites : EditBlocks;
    modeShownAt = tickNow();
}

void EditorState::touchMaterial() {
    materialShownAt = tickNow();
}

void EditorState::takeMaterial(const FaceMaterial& picked) {
    material = picked;
    touchMaterial();
}

void EditorState::levelUp() {
    ++currentLevel;
}

void EditorState::levelDown() {
    --currentLevel;
}

void EditorState::stepTexture(int32_t delta) {
    // With nothing loaded there is no texture to step to; stepping would
    // leave an id below the first texture that nothing can draw.
    std::vector<int32_t> stops = pictureTextureIds;
    for (int32_t i = 0; i < textureCount; ++i)
        stops.push_back(firstTextureId + i);
    if (stops.empty()) {
        touchMaterial();
        return;
    }
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    // Past either end wraps round; between two stops the next one in the
    // direction of the step.
    const int32_t id = saturatingAdd(material.texture, delta);
    if (id < stops.front())
        material.texture = stops.back();
    else if (id > stops.back())
        material.texture = stops.front();
    else if (delta >= 0)
        material.texture = *std::lower_bound(stops.begin(), stops.end(), id);
    else
        material.texture = *(std::upper_bound(stops.begin(), stops.end(), id) - 1);
    touchMaterial();
}

void EditorState::rotateMaterial() {
    material.rotation = static_cast<uint8_t>((material.rotation + 1) % 4);
    touchMaterial();
}

void EditorState::changeScale(int32_t delta, bool alongU) {
    int8_t& scale = alongU ? material.scaleU : material.scaleV;
    // A mirrored (negative) scale keeps its mirror: the buttons change how
    // many blocks a repeat spans, as they do for a plain one.
    const bool mirrored = scale < 0;
    const int32_t size = std::min<int32_t>(std::abs(int32_t{scale}), FaceMaterial::MostScale);
    // Formed in a signed byte: 127 + 1 wraps negative and so gives 1.
    int8_t changed = static_cast<int8_t>(static_cast<uint8_t>(size) + static_cast<uint8_t>(delta));
    if (changed < 1)
        changed = 1;
    scale = static_cast<int8_t>(mirrored ? -changed : changed);
    touchMaterial();
}

void EditorState::changeOffset(int32_t delta, bool alongU) {
    int32_t& offset = alongU ? material.offsetU : material.offsetV;
    offset = saturatingAdd(offset, delta);
    touchMaterial();
}

void EditorState::stepSpriteType(int32_t delta, int32_t groups) {
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
