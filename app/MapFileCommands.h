#pragma once
#include <cstdint>
#include <string>

class TamoMap;
class TamoSpriteObjectSet;

// Saving and loading the whole world through the file dialogs: one file name
// chosen by the user, then the map section and the sprite section.

constexpr int32_t MapFileNameBufferSize = 300;
extern const char MapFileDefaultName[];  // "default.map"
extern const char MapFileExtension[];    // "map"
// Description and pattern pairs, each zero-terminated, the list ending in an
// extra zero.
extern const char MapFileFilter[];

// The file dialog's contract: owner window, save or open, the name buffer
// holding the proposed name on entry and the chosen full path on success, its
// size, the filter list and the default extension. False for cancel or failure.
using FileDialogFunction = bool (*)(uintptr_t owner, bool save, char* buffer, int32_t size,
                                    const char* filter, const char* defaultExtension);

enum class MapFileOutcome { Cancelled, Done, Failed };

struct MapFileCommands {
    uintptr_t owner = 0;
    FileDialogFunction dialog = nullptr;  // the platform's file dialog when null
    // The name the save dialog proposes instead of "default.map" (the
    // current world file's), when there is one that fits the buffer.
    std::string proposedName;

    // Asks for a name and writes the world there; an earlier file of that name
    // survives a failed write. *why names a failure; *chosen (when given)
    // receives the path chosen.
    MapFileOutcome save(TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why,
                        std::string* chosen = nullptr) const;
    // Asks for a file and replaces the world by its contents; a file that is
    // unreadable or not a sound world file leaves the world as it was.
    MapFileOutcome load(TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why,
                        std::string* chosen = nullptr) const;

    // Shows the dialog with "default.map" (saving: the proposed name) in a
    // zeroed buffer of MapFileNameBufferSize bytes; true with a non-empty,
    // terminated path in buffer when the user chose a file.
    bool chooseFile(bool save, char* buffer) const;
};
