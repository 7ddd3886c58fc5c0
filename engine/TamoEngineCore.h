#pragma once
#include <cstdint>
#include <memory>

#include "platform/DynArray.h"
#include "engine/Selection.h"
#include "platform/Vector3.h"
#include "world/FaceMaterial.h"
#include "world/MapFormat.h"
#include "world/WorldHost.h"
#include "world/WorldSettings.h"

class BitmapFont;
class FileStream;
class GLContext;
class OptimizedQuadHashTable;
struct QuadScratch;
class SpriteSheet;
class TamoEditorUserAvatar;
class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;
class WorldHistory;

// The hub of the world: shared constants, the user's editing state, the
// texture colour table, the owner of the map, the sprite objects and the
// avatar, and the factory of sectors and quad tables. Fields are public: the
// main window, the buttons and the avatar read and set them. What the world's
// objects read lives in settings, handed down to them through WorldHost; the
// core's fields of the same names refer into it, so each value has one home.
class TamoEngineCore : public WorldHost {
public:
    TamoEngineCore(GLContext* glContext, SpriteSheet* spriteSheet, BitmapFont* font,
                   int32_t firstTextureId, int32_t planTileCurrent, int32_t planTileOther);
    virtual ~TamoEngineCore();
    TamoEngineCore(const TamoEngineCore&) = delete;
    TamoEngineCore& operator=(const TamoEngineCore&) = delete;

    // Factories; the caller owns what they return. Quad tables get the
    // block size and share the core's working storage.
    OptimizedQuadHashTable* createQuadTable() override;
    TamoSector* createSector(Vector3 origin, int32_t size) override;
    // Reads one sector record from the stream; null (nothing allocated) when
    // the record is short or holds absurd values.
    virtual TamoSector* readSector(FileStream& stream);

    // False, with the table unchanged, when the table could not grow.
    virtual bool addTextureColour(int32_t textureId, int32_t red, int32_t green, int32_t blue);
    // Colour of the first record of textureId; false, outputs untouched, when
    // there is none.
    virtual bool getTextureColour(int32_t textureId, int32_t& red, int32_t& green,
                                  int32_t& blue) const;
    virtual void toggleView();
    virtual void toggleEditMode();
    // Puts the plan cell under the camera at the centre of the viewport and
    // shows the level the camera is in.
    virtual void centrePlanView();
    virtual void touchMaterial();
    virtual void levelUp();
    virtual void levelDown();
    // Steps the texture through the loaded ones, wrapping at both ends.
    virtual void stepTexture(int32_t delta);
    virtual void rotateMaterial();
    // Adds delta to scale u (alongU) or v as a signed byte; below 1 gives 1.
    virtual void changeScale(int32_t delta, bool alongU);
    virtual void changeOffset(int32_t delta, bool alongU);
    // Steps the sprite type through the world sprite sheet's groups, wrapping.
    virtual void stepSpriteType(int32_t delta);
    // Preview and values of the current material for four seconds after it
    // changed, the edit mode's name for 1.5 seconds after it changed.
    virtual void drawHud();
    // A sector (of the class createSector makes) holding the blocks of an
    // already-read record (taken over); the caller owns it.
    TamoSector* createSectorFromData(TamoSectorData data) override;
    WorldSettings& worldSettings() override { return settings; }
    // The avatar; null while there is none.
    const CursorSource* cursorSource() const override;
    TamoMap* blockMap() const override { return map; }

    // Declared first: the fields below that the world reads refer into it.
    WorldSettings settings;

    GLContext*& glContext = settings.glContext;
    SpriteSheet*& spriteSheet = settings.spriteSheet;
    BitmapFont*& font = settings.font;
    int32_t& planCellSize = settings.planCellSize;
    int32_t& blockWidth = settings.blockWidth;
    int32_t& blockHeight = settings.blockHeight;
    int32_t firstTextureId;
    int32_t& planTileCurrent = settings.planTileCurrent;
    int32_t& planTileOther = settings.planTileOther;
    bool& view3D = settings.view3D;
    int32_t editMode = 0;
    int32_t textureCount = 0;
    FaceMaterial& material = settings.material;
    float& planScrollX = settings.planScrollX;
    float& planScrollY = settings.planScrollY;
    int32_t& currentLevel = settings.currentLevel;
    int32_t& spriteType = settings.spriteType;
    int32_t& spriteTeam = settings.spriteTeam;
    TamoSpriteObjectSet* sprites = nullptr;
    TamoMap* map = nullptr;
    TamoEditorUserAvatar* avatar = nullptr;
    // The undo history of the map and the sprites; null while there is none.
    WorldHistory* history = nullptr;
    int32_t& materialShownAt = settings.materialShownAt;
    int32_t modeShownAt = 0;
    // The box the region operations work on; set by the avatar's Shift-drag.
    Selection selection;
    DynArray<TextureColour>& textureColours = settings.textureColours;

protected:
    // The working storage every quad table made here shares: sectors are
    // rebuilt one after another.
    std::shared_ptr<QuadScratch> quadScratch;
};
