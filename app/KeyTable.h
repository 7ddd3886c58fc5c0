#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What a key press asks for. Held keys (walking, flying, painting) and the
// keys that type into figure names are read elsewhere; they appear in the
// table only so that the README's key tables are checked against it.
enum class KeyCommand {
    Held,
    NameKeys,
    Undo,
    Redo,
    SavePicture,
    ToggleStatistics,
    ClearSelection,
    GrowSelection,
    ShrinkSelection,
    Fill,
    Hollow,
    Remove,
    Paint,
    Copy,
    Cut,
    Paste,
    RotateClipboard,
    MirrorClipboard,
    MoveLeft,
    MoveRight,
    MoveForward,
    MoveBack,
    MoveUp,
    MoveDown,
    SaveStamp,
    LoadStamp,
    RunScript,
    RunScriptAgain,
    ShapeLine,
    ShapeCylinder,
    ShapeTube,
    ShapeSphere,
    ShapeShell,
    ReplaceMaterial,
    ReloadTextures,
    ShowKeys,
    OpenPalette,
    FitTexture,
    ContinueTexture,
};

// One row of the key table: the key and the modifiers held with it (the
// window's KeyModifier bits, matched exactly), the command it runs, whether
// it also runs while figures are selected (otherwise keys then belong to
// their names), and the README row that documents it (a row may cover
// several keys; null for an undocumented alias).
struct KeyBinding {
    int32_t key;
    int32_t modifiers;
    KeyCommand command;
    bool whileFiguresSelected;
    const char* section;  // the README section whose key table holds the row
    const char* keys;     // the row's first cell
    const char* effect;   // the row's second cell
};

// The program's keys in one place: the key handling looks commands up here
// and the README's key tables are checked against it.
class KeyTable {
public:
    static const std::vector<KeyBinding>& bindings();
    // The binding of a command key pressed with modifiers, or null (also for
    // the rows that only document held keys). A key's own repetition while
    // held finds only the commands that repeat (moves, undo, ...): a held
    // key never pastes or fills again and again.
    static const KeyBinding* find(int32_t key, int32_t modifiers);
    static bool repeats(KeyCommand command);
    // The README rows of a section, in table order, each once:
    // "| keys | effect |".
    static std::vector<std::string> readmeRows(const std::string& section);
    // The README sections that hold the table's rows, in table order, each once.
    static std::vector<std::string> sections();
};
