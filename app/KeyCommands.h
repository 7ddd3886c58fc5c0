#pragma once
#include <cstdint>
#include <memory>

class FileCommands;
class Overlays;
class PictureCommands;
class RegionKeys;
class ScreenPanels;
class ScriptKeys;
class ShapeKeys;
class TextureFitKeys;
class SharedSession;
class StatusCaption;
class TamoEngineCore;
enum class KeyCommand;

// The window's key presses: a command of the key table (undo and redo, the
// frame's picture, the frame figures, the selection and clipboard commands
// of RegionKeys, the scripts of ScriptKeys, the shapes of ShapeKeys, the palette, the key table and
// fitting textures), or, while figures are selected, their names. A new command
// goes into the key table and here.
class KeyCommands {
public:
    static constexpr uint32_t UndoCaptionMilliseconds = 2000;

    KeyCommands(TamoEngineCore& core, StatusCaption& caption, FileCommands& files,
                ScreenPanels& panels, PictureCommands& pictures, Overlays& overlays);
    ~KeyCommands();
    KeyCommands(const KeyCommands&) = delete;
    KeyCommands& operator=(const KeyCommands&) = delete;

    // A press of key with modifiers (the window's key-down event); while the
    // palette or the key table is open it goes there, F12 aside.
    void keyDown(int32_t key, int32_t modifiers);
    void run(KeyCommand command);
    // Undoes or redoes one action (in a shared city, one's own) and says so
    // in the caption.
    void undo();
    void redo();
    // The selection's wire box; its size in the caption when it changed.
    void drawSelection();
    // Undo and redo go through the shared city while there is one (null: none).
    void setSharedSession(SharedSession* session) { shared = session; }

private:
    TamoEngineCore& core;
    StatusCaption& caption;
    FileCommands& files;
    ScreenPanels& panels;
    PictureCommands& pictures;
    Overlays& overlays;
    std::unique_ptr<RegionKeys> regionKeys;
    std::unique_ptr<ScriptKeys> scriptKeys;
    std::unique_ptr<ShapeKeys> shapeKeys;
    std::unique_ptr<TextureFitKeys> fitKeys;
    SharedSession* shared = nullptr;
};
