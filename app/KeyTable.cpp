#include "app/KeyTable.h"

#include <algorithm>

#include "platform/VirtualKeys.h"
#include "platform/Window.h"

namespace {

constexpr int32_t None = 0;
constexpr int32_t Ctrl = KeyModifierControl;
constexpr int32_t Shift = KeyModifierShift;
constexpr int32_t CtrlShift = KeyModifierControl | KeyModifierShift;
constexpr const char* Keys = "Keys";
constexpr const char* Building = "Building faster";
constexpr const char* Shapes = "Scripts and shapes";
constexpr const char* Textures = "The palette and fitting textures";
constexpr const char* RedoKeys = "Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z";
constexpr const char* RedoEffect = "undo; redo (see Undo, unsaved work and autosave)";
constexpr const char* MoveKeys = "Ctrl+arrow keys, Ctrl+Page Up, Ctrl+Page Down";
constexpr const char* MoveEffect =
    "move what the selection holds one cell (forward is the axis nearest the view in 3D, up "
    "the screen in the plan view); the selection moves with it";
constexpr const char* ResizeKeys = "Shift+Page Up, Shift+Page Down";
constexpr const char* ResizeEffect = "grow or shrink the selection by one level at its top";

}  // namespace

const std::vector<KeyBinding>& KeyTable::bindings() {
    static const std::vector<KeyBinding> Table = {
        {VK_UP, None, KeyCommand::Held, true, Keys, "arrow keys", "walk (3D view)"},
        {VK_SPACE, None, KeyCommand::Held, true, Keys, "space",
         "fly (3D view) or drag the plan (plan view) while held"},
        {VK_TAB, None, KeyCommand::Held, true, Keys, "Tab",
         "with a mouse button: paint faces or take their material (3D view)"},
        {VK_BACK, None, KeyCommand::NameKeys, true, Keys, "letters, digits, Backspace, Delete",
         "name or delete the selected figures"},
        {'Z', Ctrl, KeyCommand::Undo, true, Keys, RedoKeys, RedoEffect},
        {'Y', Ctrl, KeyCommand::Redo, true, Keys, RedoKeys, RedoEffect},
        {'Z', CtrlShift, KeyCommand::Redo, true, Keys, RedoKeys, RedoEffect},
        {'Y', CtrlShift, KeyCommand::Redo, true, nullptr, nullptr, nullptr},
        {VK_F1, None, KeyCommand::ShowKeys, false, Keys, "F1",
         "show this table of keys over the world (F1 again: the next page; any other key or a "
         "click: back)"},
        {VK_F1 + 2, None, KeyCommand::ToggleStatistics, false, Keys, "F3",
         "show or hide the frame-rate overlay"},
        {VK_F1 + 5, None, KeyCommand::ReloadTextures, false, Keys, "F6",
         "read the picture files of the texture folders again (see One's own pictures)"},
        {VK_F1 + 11, None, KeyCommand::SavePicture, false, Keys, "F12",
         "save the picture on the screen as a PNG (with no figure selected)"},
        {VK_ESCAPE, None, KeyCommand::ClearSelection, false, Building, "Esc",
         "clear the selection"},
        {VK_PRIOR, Shift, KeyCommand::GrowSelection, false, Building, ResizeKeys, ResizeEffect},
        {VK_NEXT, Shift, KeyCommand::ShrinkSelection, false, Building, ResizeKeys, ResizeEffect},
        {'F', None, KeyCommand::Fill, false, Building, "F",
         "fill the selection with blocks of the current material"},
        {'F', Shift, KeyCommand::Hollow, false, Building, "Shift+F",
         "hollow fill: blocks on the box's walls, floor and roof only, the inside emptied"},
        {VK_DELETE, None, KeyCommand::Remove, false, Building, "Delete",
         "remove the blocks and figures in the selection (with no figure selected)"},
        {'P', None, KeyCommand::Paint, false, Building, "P",
         "paint every face of the blocks in the selection with the current material"},
        {'C', Ctrl, KeyCommand::Copy, false, Building, "Ctrl+C",
         "copy the selection's blocks and figures to the clipboard"},
        {'X', Ctrl, KeyCommand::Cut, false, Building, "Ctrl+X",
         "cut: copy, then remove what the selection holds"},
        {'V', Ctrl, KeyCommand::Paste, false, Building, "Ctrl+V",
         "paste at the cell a click would place a block into (3D) or the cell under the pointer "
         "(plan view); the pasted box becomes the selection"},
        {'R', None, KeyCommand::RotateClipboard, false, Building, "R",
         "turn the clipboard a quarter about the vertical"},
        {'M', None, KeyCommand::MirrorClipboard, false, Building, "M",
         "mirror the clipboard left to right (pictures stay readable)"},
        {VK_LEFT, Ctrl, KeyCommand::MoveLeft, false, Building, MoveKeys, MoveEffect},
        {VK_RIGHT, Ctrl, KeyCommand::MoveRight, false, Building, MoveKeys, MoveEffect},
        {VK_UP, Ctrl, KeyCommand::MoveForward, false, Building, MoveKeys, MoveEffect},
        {VK_DOWN, Ctrl, KeyCommand::MoveBack, false, Building, MoveKeys, MoveEffect},
        {VK_PRIOR, Ctrl, KeyCommand::MoveUp, false, Building, MoveKeys, MoveEffect},
        {VK_NEXT, Ctrl, KeyCommand::MoveDown, false, Building, MoveKeys, MoveEffect},
        {'C', CtrlShift, KeyCommand::SaveStamp, false, Building, "Ctrl+Shift+C",
         "save the selection as a stamp: a `.map` file whose start cell is the box's lowest "
         "corner"},
        {'V', CtrlShift, KeyCommand::LoadStamp, false, Building, "Ctrl+Shift+V",
         "open a `.map` file into the clipboard (a bad file shows \"LOAD FAILED\" and keeps the "
         "clipboard)"},
        {'R', Ctrl, KeyCommand::RunScript, false, Shapes, "Ctrl+R",
         "open a `.lua` city script and run it (one step for undo); the caption gives the cells "
         "changed, or the error with its line"},
        {VK_F1 + 4, None, KeyCommand::RunScriptAgain, false, Shapes, "F5",
         "run the last script again"},
        {'L', Shift, KeyCommand::ShapeLine, false, Shapes, "Shift+L",
         "a line of blocks from the cell where the selection's drag began to the cell where it "
         "ended"},
        {'C', None, KeyCommand::ShapeCylinder, false, Shapes, "C",
         "a cylinder standing in the selection (an ellipse where the box is not square)"},
        {'C', Shift, KeyCommand::ShapeTube, false, Shapes, "Shift+C",
         "the cylinder's hollow tube, one block thick"},
        {'S', Shift, KeyCommand::ShapeSphere, false, Shapes, "Shift+S",
         "a sphere (an ellipsoid where the box is not a cube) in the selection"},
        {'H', Shift, KeyCommand::ShapeShell, false, Shapes, "Shift+H",
         "the sphere's hollow shell, one block thick"},
        {'P', Shift, KeyCommand::ReplaceMaterial, false, Shapes, "Shift+P",
         "replace: the faces in the selection that carry the material under the pointer get the "
         "current material"},
        {VK_F1 + 1, None, KeyCommand::OpenPalette, false, Textures, "F2",
         "open the palette of every loaded texture (as a click on the block panel's picture does)"},
        {'T', Ctrl, KeyCommand::FitTexture, false, Textures, "Ctrl+T",
         "fit: the flat region under the pointer gets the current texture, stretched once over "
         "the region's rectangle"},
        {'T', CtrlShift, KeyCommand::ContinueTexture, false, Textures, "Ctrl+Shift+T",
         "continue: the texture of the face under the pointer runs on over the region without a "
         "seam"},
    };
    return Table;
}

const KeyBinding* KeyTable::find(int32_t key, int32_t modifiers) {
    const int32_t held = modifiers & (KeyModifierControl | KeyModifierShift);
    const bool repeat = (modifiers & KeyModifierRepeat) != 0;
    for (const KeyBinding& binding : bindings())
        if (binding.key == key && binding.modifiers == held &&
            binding.command != KeyCommand::Held && binding.command != KeyCommand::NameKeys)
            return !repeat || repeats(binding.command) ? &binding : nullptr;
    return nullptr;
}

bool KeyTable::repeats(KeyCommand command) {
    switch (command) {
    case KeyCommand::Fill:
    case KeyCommand::Hollow:
    case KeyCommand::Remove:
    case KeyCommand::Paint:
    case KeyCommand::Copy:
    case KeyCommand::Cut:
    case KeyCommand::Paste:
    case KeyCommand::RotateClipboard:
    case KeyCommand::MirrorClipboard:
    case KeyCommand::SaveStamp:
    case KeyCommand::LoadStamp:
    case KeyCommand::RunScript:
    case KeyCommand::RunScriptAgain:
    case KeyCommand::ShapeLine:
    case KeyCommand::ShapeCylinder:
    case KeyCommand::ShapeTube:
    case KeyCommand::ShapeSphere:
    case KeyCommand::ShapeShell:
    case KeyCommand::ReplaceMaterial:
    case KeyCommand::ReloadTextures:
    case KeyCommand::ShowKeys:
    case KeyCommand::OpenPalette:
    case KeyCommand::FitTexture:
    case KeyCommand::ContinueTexture:
        return false;
    default:
        return true;
    }
}

std::vector<std::string> KeyTable::readmeRows(const std::string& section) {
    std::vector<std::string> rows;
    for (const KeyBinding& binding : bindings()) {
        if (binding.section == nullptr || section != binding.section)
            continue;
        const std::string row = std::string("| ") + binding.keys + " | " + binding.effect + " |";
        if (std::find(rows.begin(), rows.end(), row) == rows.end())
            rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> KeyTable::sections() {
    std::vector<std::string> names;
    for (const KeyBinding& binding : bindings())
        if (binding.section != nullptr &&
            std::find(names.begin(), names.end(), binding.section) == names.end())
            names.push_back(binding.section);
    return names;
}
