#include "world/TamoSpriteObjectSet.h"

#include <cmath>
#include <iterator>
#include <new>
#include <utility>

#include "media/BitmapFont.h"
#include "media/FileStream.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"
#include "platform/ViewFrustum.h"
#include "platform/Geometry.h"
#include "platform/SystemClock.h"
#include "world/ByteReader.h"
#include "world/ByteWriter.h"
#include "world/EditChoices.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/WorldHistory.h"
#include "world/WorldHost.h"
#include "world/WorldSettings.h"

namespace {

constexpr float LabelHeightFactor = 1.2f;
constexpr uint32_t AnimationPeriodMs = 250;

struct Colour {
    uint8_t red, green, blue;
};

Colour teamColour(int32_t team) {
    switch (team) {
    case 0:
        return {0, 0, 255};
    case 1:
        return {255, 0, 0};
    case 2:
        return {0, 255, 0};
    default:
        return {255, 0, 255};
    }
}

// Ids count up; at the top of the range they stay there rather than wrap
// round into negative numbers.
int32_t nextIdAfter(int32_t id) {
    return id == INT32_MAX ? id : id + 1;
}

}  // namespace

TamoSpriteObjectSet::TamoSpriteObjectSet(WorldHost* host)
        : host(host), settings(&host->worldSettings()) {}

TamoSpriteObjectSet::~TamoSpriteObjectSet() = default;

bool TamoSpriteObjectSet::cursorHit(Vector3* hit) const {
    TamoMap* map = host->blockMap();
    if (!host->editChoices().view3D || !map)
        return false;
    int32_t sectorIndex = -1;
    return map->pickAtCursor(TamoMap::CursorRayLength, TamoMap::BlockEditStep, hit, &sectorIndex);
}

template <class Change>
void TamoSpriteObjectSet::edit(int32_t index, Change change) {
    SpriteObject& object = objects[index];
    if (!history) {
        change(object);
        return;
    }
    const SpriteObject before = object;
    change(object);
    history->spriteChanged(index, before, object);
}

bool TamoSpriteObjectSet::selectIfNear(SpriteObject& object, const Vector3& hit) const {
    if (distance(object.position, hit) < static_cast<float>(pickRadius))
        object.selected = true;
    return object.selected;
}

void TamoSpriteObjectSet::moveSelectedTo(const Vector3& hit) {
    for (int32_t i = 0; i < objects.count(); ++i)
        if (selectIfNear(objects[i], hit))
            edit(i, [&](SpriteObject& object) { object.position = hit; });
}

void TamoSpriteObjectSet::turnSelectedTowards(const Vector3& hit) {
    for (int32_t i = 0; i < objects.count(); ++i)
        if (selectIfNear(objects[i], hit))
            edit(i, [&](SpriteObject& object) {
                object.angle =
                    headingDegrees(Vector2(hit.x - object.position.x, hit.z - object.position.z));
            });
}

void TamoSpriteObjectSet::addAt(const Vector3& hit) {
    const EditChoices& choices = host->editChoices();
    addAt(hit, choices.spriteType, choices.spriteTeam);
}

void TamoSpriteObjectSet::addAt(const Vector3& hit, int32_t type, int32_t team) {
    SpriteObject object;
    object.id = nextId;
    object.position = hit;
    object.type = type;
    object.team = team;
    const int32_t idBefore = nextId;
    if (!objects.append(std::move(object)))
        return;
    nextId = nextIdAfter(nextId);
    if (history)
        history->spriteAdded(objects.count() - 1, idBefore);
}

bool TamoSpriteObjectSet::addObject(SpriteObject object) {
    object.id = nextId;
    object.selected = false;
    const int32_t idBefore = nextId;
    if (!objects.append(std::move(object)))
        return false;
    nextId = nextIdAfter(nextId);
    if (history)
        history->spriteAdded(objects.count() - 1, idBefore);
    return true;
}

void TamoSpriteObjectSet::moveObject(int32_t index, const Vector3& position) {
    if (index >= 0 && index < objects.count())
        edit(index, [&position](SpriteObject& object) { object.position = position; });
}

bool TamoSpriteObjectSet::anySelected() const {
    for (const SpriteObject& object : objects)
        if (object.selected)
            return true;
    return false;
}

void TamoSpriteObjectSet::insertObject(int32_t index, SpriteObject object) {
    std::vector<SpriteObject> list(std::make_move_iterator(objects.begin()),
                                   std::make_move_iterator(objects.end()));
    if (index < 0 || index > static_cast<int32_t>(list.size()))
        index = static_cast<int32_t>(list.size());
    list.insert(list.begin() + index, std::move(object));
    objects.assign(std::move(list));
}

void TamoSpriteObjectSet::swapContents(std::vector<SpriteObject>& list, int32_t& otherNextId) {
    std::vector<SpriteObject> mine(std::make_move_iterator(objects.begin()),
                                   std::make_move_iterator(objects.end()));
    objects.assign(std::move(list));
    list = std::move(mine);
    std::swap(nextId, otherNextId);
}

void TamoSpriteObjectSet::moveSelectedToCursor() {
    Vector3 hit;
    if (cursorHit(&hit))
        moveSelectedTo(hit);
}

void TamoSpriteObjectSet::turnSelectedToCursor() {
    Vector3 hit;
    if (cursorHit(&hit))
        turnSelectedTowards(hit);
}

void TamoSpriteObjectSet::addAtCursor() {
    Vector3 hit;
    if (cursorHit(&hit))
        addAt(hit);
}

void TamoSpriteObjectSet::deselectAll() {
    if (!host->editChoices().view3D)
        return;
    for (SpriteObject& object : objects)
        object.selected = false;
}

void TamoSpriteObjectSet::deleteSelected() {
    if (!host->editChoices().view3D)
        return;
    // The object that moves into a freed position is examined too, so runs
    // of adjacent selected objects all go.
    int32_t i = 0;
    while (i < objects.count()) {
        if (objects[i].selected)
            removeObject(i);
        else
            ++i;
    }
}

bool TamoSpriteObjectSet::removeObject(int32_t index) {
    SpriteObject removed;
    if (!objects.removeAt(index, &removed))
        return false;
    if (history)
        history->spriteRemoved(index, removed);
    return true;
}

void TamoSpriteObjectSet::appendNameChar(char ch) {
    if (!host->editChoices().view3D)
        return;
    for (int32_t i = 0; i < objects.count(); ++i)
        if (objects[i].selected && objects[i].name.size() < MaxTypedNameLength)
            edit(i, [ch](SpriteObject& object) { object.name.push_back(ch); });
}

void TamoSpriteObjectSet::eraseLastNameChar() {
    if (!host->editChoices().view3D)
        return;
    for (int32_t i = 0; i < objects.count(); ++i)
        if (objects[i].selected && !objects[i].name.empty())
            edit(i, [](SpriteObject& object) { object.name.pop_back(); });
}

void TamoSpriteObjectSet::clearAll() {
    objects.clear();
    nextId = 0;
}

void TamoSpriteObjectSet::replaceAll(std::vector<SpriteObject>&& loaded) {
    if (history) {
        std::vector<SpriteObject> previous(std::make_move_iterator(objects.begin()),
                                           std::make_move_iterator(objects.end()));
        history->spritesReplaced(std::move(previous), nextId);
    }
    clearAll();
    for (SpriteObject& object : loaded) {
        object.selected = false;
        if (object.id >= nextId)
            nextId = nextIdAfter(object.id);
        objects.append(std::move(object));
    }
}

float TamoSpriteObjectSet::relativeAngle(const Vector2& view, float angle) {
    Vector2 facing(1.0f, 0.0f);
    rotate2D(facing, angle);
    return signedAngle2D(view, facing);
}

TamoSpriteObjectSet::FrameChoice TamoSpriteObjectSet::chooseFrame(float rel, int32_t step) {
    const float turn = std::fabs(rel);
    if (turn < 45.0f)
        return {1, step == 1};  // looks away from the eye
    if (turn > 135.0f)
        return {0, step == 1};  // looks towards the eye
    return {2 + step, rel < 0.0f};
}

int32_t TamoSpriteObjectSet::animationStep(uint32_t tick, int32_t frameCount) {
    if (frameCount == 3)
        return 0;
    return static_cast<int32_t>((tick / AnimationPeriodMs) % 2);
}

void TamoSpriteObjectSet::drawSprites() {
    if (!host->editChoices().view3D || !settings->glContext)
        return;
    GLContext& gl = *settings->glContext;
    const Vector2 view(gl.direction.x, gl.direction.z);
    const uint32_t tick = getTickCount();
    const ViewFrustum volume = settings->cullToView ? gl.viewFrustum() : ViewFrustum();
    drawnCount = 0;
    for (const SpriteObject& object : objects) {
        if (settings->spriteSheet) {
            const int32_t step =
                animationStep(tick, settings->spriteSheet->frameCount(object.type));
            const FrameChoice choice = chooseFrame(relativeAngle(view, object.angle), step);
            // The frame is chosen for every object, so the sheet ends on the
            // same frame whichever are drawn.
            settings->spriteSheet->selectFrame(object.type, choice.frame);
            const int32_t texture = settings->spriteSheet->textureId();
            Vector3 low, high;
            if (!gl.textures->spriteBounds(texture, object.position, BillboardScale, &low, &high) ||
                volume.mayShow(low, high)) {
                gl.textures->drawBillboard(texture, object.position, BillboardScale,
                                           choice.mirrored);
                ++drawnCount;
            }
        }
        if (object.selected)
            drawLabel(object);
    }
}

void TamoSpriteObjectSet::drawLabel(const SpriteObject& object) const {
    if (!settings->font)
        return;
    const Vector3 top = object.position + Vector3(0.0f, LabelHeightFactor * object.height, 0.0f);
    const Vector3 screen = settings->glContext->project(top);
    if (!(screen.z < 0.0f))
        return;  // behind the eye (or at its depth): no meaningful position
    const int32_t x = static_cast<int32_t>(screen.x);
    const int32_t y = static_cast<int32_t>(screen.y);
    settings->font->drawText(x, y, object.name.c_str(), 255, 255, 0, true, 1.0f, false);
    const Colour colour = teamColour(object.team);
    const int32_t idY = static_cast<int32_t>(screen.y - 1.5f * settings->font->glyphAdvance());
    settings->font->drawNumber(x, idY, object.id, colour.red, colour.green, colour.blue, true, 1.0f,
                               false);
}

bool TamoSpriteObjectSet::save(FileStream& stream) const {
    ByteWriter out(stream);
    write(out);
    return out.finish();
}

void TamoSpriteObjectSet::write(ByteWriter& out) const {
    MapFormat::writeCount(out, objects.count());
    for (const SpriteObject& object : objects)
        MapFormat::writeSprite(out, object);
}

bool TamoSpriteObjectSet::load(FileStream& stream, std::string* why) {
    MapFormat::FileContents contents;
    if (!MapFormat::readRest(stream, &contents)) {
        if (why)
            *why = "the file cannot be read";
        return false;
    }
    ByteReader in(contents.data(), contents.size);
    std::vector<SpriteObject> loaded;
    try {
        if (!MapFormat::parseSpriteSection(in, &loaded, why))
            return false;
    } catch (const std::bad_alloc&) {
        if (why)
            *why = "there is not enough memory for the sprites";
        return false;
    }
    if (in.remaining() != 0) {
        if (why)
            *why = "the file holds unexpected bytes after the sprite section";
        return false;
    }
    if (!stream.seek(static_cast<int64_t>(in.position()), 1)) {
        if (why)
            *why = "the file cannot be read";
        return false;
    }
    replaceAll(std::move(loaded));
    return true;
}
