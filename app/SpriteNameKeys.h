#pragma once
#include <cstdint>

// What a key press does to the selected sprite objects. The virtual-key code
// itself is the character: letter keys give upper-case letters, the digit
// keys digits, and the codes 97 to 122 (numeric pad 1 to 9 and its operator
// keys, F1 to F11) lower-case letters.
enum class NameKeyAction { None, AppendChar, EraseLastChar, DeleteSelected };

constexpr int32_t KeyBackspace = 8;
constexpr int32_t KeyDelete = 46;

// For AppendChar, *ch receives the character.
NameKeyAction nameKeyAction(int32_t keyCode, char* ch);

class TamoSpriteObjectSet;
class WorldHistory;

// Does to the selected sprite objects what a press of the key does. With a
// history, the characters typed into one selection are one action and a
// deletion is an action of its own.
void applyNameKey(int32_t keyCode, TamoSpriteObjectSet& sprites, WorldHistory* history = nullptr);
