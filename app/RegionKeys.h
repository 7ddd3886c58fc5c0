#pragma once
#include <cstdint>
#include <string>

#include "app/PastePreview.h"
#include "world/CellBox.h"
#include "world/Clipboard.h"

class StatusCaption;
class TamoEngineCore;
struct MapFileCommands;
enum class KeyCommand;

// The key commands on the selection and the clipboard: clear, grow and
// shrink the selection; fill, hollow, remove, paint, copy, cut, paste and
// move through the world's region edits; turn and mirror the clipboard; save
// the selection as a stamp and open a stamp into the clipboard. Each says in
// the caption what it did. It also keeps the caption showing the
// selection's size while a gesture changes it.
class RegionKeys {
public:
    RegionKeys(TamoEngineCore& core, StatusCaption& caption);

    // Runs one of the commands above; files go through commands' dialog.
    void run(KeyCommand command, const MapFileCommands& commands);
    // Draws the selection and the paste preview and, when the selection
    // changed since the last frame, shows its size.
    void drawSelection();

    const Clipboard& clipboard() const { return held; }
    const PastePreview& preview() const { return pastePreview; }

private:
    // The region edits, each one undoable action.
    void edit(KeyCommand command);
    void paste();
    // Moves the selection's content one cell along the direction a key gives.
    void move(KeyCommand command);
    void turnClipboard(bool mirror);
    void saveStamp(const MapFileCommands& commands);
    void loadStamp(const MapFileCommands& commands);
    // The caption text with a number or a size after it.
    void say(const char* text, int64_t count = -1);
    void sayWithSize(const char* text, const std::string& size);
    // The text with the clipboard's size after it: "ROTATED 8 X 3 X 12".
    void sayClipboard(const char* text);
    std::string clipboardSize() const;
    // The selection as it stands, or false with a caption.
    bool needSelection();
    // The selection shown in the caption (a change of it).
    void showSelection();
    // The cell step (dx, dz) in the world of an arrow: in the plan view the
    // screen's directions, in the 3D view along the axis nearest the view.
    void arrowStep(KeyCommand command, int32_t* dx, int32_t* dz) const;

    TamoEngineCore& core;
    StatusCaption& caption;
    Clipboard held;
    PastePreview pastePreview;
    bool shownActive = false;
    CellBox shownBox;
};
