#include "world/TestHost.h"

#include <utility>

#include "platform/SystemClock.h"
#include "world/MapFormat.h"
#include "world/MyOptimizedQuadHashTable.h"
#include "world/MyTamoSector.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/QuadScratch.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

TestHost::TestHost(GLContext* glContext_, SpriteSheet* spriteSheet_, BitmapFont* font_,
                   int32_t firstTextureId, int32_t planTileCurrent_, int32_t planTileOther_)
        : quadScratch(std::make_shared<QuadScratch>()) {
    glContext = glContext_;
    spriteSheet = spriteSheet_;
    font = font_;
    planTileCurrent = planTileCurrent_;
    planTileOther = planTileOther_;
    material.texture = firstTextureId;
}

TestHost::~TestHost() {
    destroyWorld();
    delete avatar;
}

OptimizedQuadHashTable* TestHost::createQuadTable() {
    return new OptimizedQuadHashTable(blockWidth, blockHeight, quadScratch);
}

TamoSector* TestHost::createSector(Vector3 origin, int32_t size) {
    return new TamoSector(origin, size, this);
}

TamoSector* TestHost::createSectorFromData(TamoSectorData data) {
    return new TamoSector(std::move(data), this);
}

TamoSector* TestHost::readSector(FileStream& stream) {
    TamoSectorData data;
    if (!MapFormat::readSector(stream, &data))
        return nullptr;
    return createSectorFromData(std::move(data));
}

void TestHost::materialPicked(const FaceMaterial& picked) {
    material = picked;
    materialShownAt = static_cast<int32_t>(getTickCount());
}

bool TestHost::addTextureColour(int32_t textureId, int32_t red, int32_t green, int32_t blue) {
    return textureColours.append(TextureColour{textureId, red, green, blue});
}

OptimizedQuadHashTable* MyTestHost::createQuadTable() {
    return new MyOptimizedQuadHashTable(blockWidth, blockHeight, quadScratch);
}

TamoSector* MyTestHost::createSector(Vector3 origin, int32_t size) {
    return new MyTamoSector(origin, size, this);
}

TamoSector* MyTestHost::createSectorFromData(TamoSectorData data) {
    return new MyTamoSector(std::move(data), this);
}
