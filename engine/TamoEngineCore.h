#pragma once
#include <cstdint>
#include <memory>

#include "platform/DynArray.h"
#include "platform/Vector3.h"
#include "world/FaceMaterial.h"
#include "world/MapFormat.h"

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

// Average colour of one loaded block texture, used to tint plan-view cells.
struct TextureColour {
    int32_t textureId;
    int32_t red;
    int32_t green;
    int32_t blue;
};

// The hub of the world: shared constants, the user's editing state, the
// texture colour table, the owner of the map, the sprite objects and the
// avatar, and the factory of sectors and quad tables. Fields are public: the
// main window, the map, the sectors and the avatar read and set them.
class TamoEngineCore {
public:
    TamoEngineCore(GLContext* glContext, SpriteSheet* spriteSheet, BitmapFont* font,
                   int32_t firstTextureId, int32_t planTileCurrent, int32_t planTileOther);
    virtual ~TamoEngineCore();
    TamoEngineCore(const TamoEngineCore&) = delete;
    TamoEngineCore& operator=(const TamoEngineCore&) = delete;

    // Factories; the caller owns what they return. Quad tables get the
    // block size and share the core's working storage.
    virtual OptimizedQuadHashTable* createQuadTable();
    virtual TamoSector* createSector(Vector3 origin, int32_t size);
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
    virtual TamoSector* createSectorFromData(TamoSectorData data);

    GLContext* glContext;
    SpriteSheet* spriteSheet;
    BitmapFont* font;
    int32_t planCellSize = 16;
    int32_t blockWidth = 10;
    int32_t blockHeight = 15;
    int32_t firstTextureId;
    int32_t planTileCurrent;
    int32_t planTileOther;
    bool view3D = true;
    int32_t editMode = 0;
    int32_t textureCount = 0;
    FaceMaterial material;
    float planScrollX = 0.0f;
    float planScrollY = 0.0f;
    int32_t currentLevel = 0;
    int32_t spriteType = 0;
    int32_t spriteTeam = 0;
    TamoSpriteObjectSet* sprites = nullptr;
    TamoMap* map = nullptr;
    TamoEditorUserAvatar* avatar = nullptr;
    int32_t materialShownAt = 0;
    int32_t modeShownAt = 0;
    DynArray<TextureColour> textureColours;

protected:
    // The working storage every quad table made here shares: sectors are
    // rebuilt one after another.
    std::shared_ptr<QuadScratch> quadScratch;
};
