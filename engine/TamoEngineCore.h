#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/EditorState.h"
#include "platform/Vector3.h"
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

// The hub of the world: the owner of the map, the sprite objects and the
// avatar, and the factory of sectors and quad tables. It is the one owner of
// two sets of values, and is both: the world's settings (constants, the
// resources the world draws with, the texture colour table), which the
// world's objects read through WorldHost, and the editor's state (view, edit
// mode, current material, plan scroll and level, sprite type), whose choices
// it hands the world's operations that take none. Fields are public: the main
// window, the buttons and the avatar read and set them.
class TamoEngineCore : public WorldHost, public WorldSettings, public EditorState {
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
    // Steps the texture through the loaded ones (the raw files' ids from
    // firstTextureId on, then the pictures' ids), wrapping at both ends.
    virtual void stepTexture(int32_t delta);
    virtual void rotateMaterial();
    // Adds delta to scale u (alongU) or v as a signed byte; below 1 gives 1.
    // A negative (mirrored) scale stays negative: its size changes so, -3
    // and delta 1 give -4, -1 and delta -1 stay -1.
    virtual void changeScale(int32_t delta, bool alongU);
    virtual void changeOffset(int32_t delta, bool alongU);
    // Steps the sprite type through the world sprite sheet's groups, wrapping.
    virtual void stepSpriteType(int32_t delta);
    // Puts the camera (the GL context's eye) at the map's start point and
    // centres the plan view on it, as a new world starts.
    void startView();
    // Preview and values of the current material for four seconds after it
    // changed, the edit mode's name for 1.5 seconds after it changed.
    virtual void drawHud();
    // A sector (of the class createSector makes) holding the blocks of an
    // already-read record (taken over); the caller owns it.
    TamoSector* createSectorFromData(TamoSectorData data) override;
    WorldSettings& worldSettings() override { return *this; }
    const EditChoices& editChoices() const override { return *this; }
    // The picked material becomes the current one and shows.
    void materialPicked(const FaceMaterial& material) override { takeMaterial(material); }
    // The avatar; null while there is none.
    const CursorSource* cursorSource() const override;

    // The world's objects (sprites, map, history) are WorldHost's.
    TamoEditorUserAvatar* avatar = nullptr;

protected:
    // The working storage every quad table made here shares: sectors are
    // rebuilt one after another.
    std::shared_ptr<QuadScratch> quadScratch;
};
