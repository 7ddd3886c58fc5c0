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
        {VK_F1 + 2, None, KeyCommand::ToggleStatistics, false, Keys, "F3",
         "show or hide the frame-rate overlay"},
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
