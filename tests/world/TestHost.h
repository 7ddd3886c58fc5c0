#pragma once
// The engine core as the world sees it, for world tests that link no engine:
// the settings and the person's choices (under the core's field names, a
// picked material shown as the core shows it), the factories of the base
// world classes (MyTestHost: of the program's), readSector, the colour table,
// and the cursor the core would own (the world itself is WorldHost's).
#include <cstdint>
#include <memory>

#include "platform/PointerState.h"
#include "world/CursorSource.h"
#include "world/EditChoices.h"
#include "world/WorldHost.h"
#include "world/WorldSettings.h"

class FileStream;
class Window;
struct QuadScratch;

class TestHost : public WorldSettings, public EditChoices, public WorldHost {
public:
    TestHost(GLContext* glContext, SpriteSheet* spriteSheet, BitmapFont* font,
             int32_t firstTextureId, int32_t planTileCurrent, int32_t planTileOther);
    ~TestHost() override;  // deletes the world and the cursor
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    WorldSettings& worldSettings() override { return *this; }
    const EditChoices& editChoices() const override { return *this; }
    void materialPicked(const FaceMaterial& picked) override;
    OptimizedQuadHashTable* createQuadTable() override;
    TamoSector* createSector(Vector3 origin, int32_t size) override;
    TamoSector* createSectorFromData(TamoSectorData data) override;
    const CursorSource* cursorSource() const override { return avatar; }
    // The system's figure, or memoryLimit when that is set (0 or more).
    int64_t availableMemory() const override {
        return memoryLimit >= 0 ? memoryLimit : WorldHost::availableMemory();
    }

    // As the engine core's.
    TamoSector* readSector(FileStream& stream);
    bool addTextureColour(int32_t textureId, int32_t red, int32_t green, int32_t blue);

    CursorSource* avatar = nullptr;
    int64_t memoryLimit = -1;
    int32_t materialShownAt = 0;  // the tick of the last material picked

protected:
    // Shared by the quad tables made here, as the engine core shares its own.
    std::shared_ptr<QuadScratch> quadScratch;
};

// Builds MyTamoSector and MyOptimizedQuadHashTable, as the program's core does.
class MyTestHost : public TestHost {
public:
    using TestHost::TestHost;
    OptimizedQuadHashTable* createQuadTable() override;
    TamoSector* createSector(Vector3 origin, int32_t size) override;
    TamoSector* createSectorFromData(TamoSectorData data) override;
};

// The cursor of a window, as the avatar reports it. Made as the avatar is,
// from the window and the host; only the window is read.
class WindowCursor : public CursorSource {
public:
    WindowCursor(const Window* window, const WorldHost*) : window(window) {}
    PointerState getPointerState() const override { return pointerStateOf(*window); }

private:
    const Window* window;
};
