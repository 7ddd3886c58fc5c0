#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "world/CityPictures.h"
#include "world/WorldFileStamp.h"

class TamoMap;
class TamoSpriteObjectSet;

// Saving and loading the whole world through the file dialogs: one file name
// chosen by the user, then the map section and the sprite section.

// Room for any path the system can name (a longer one used to fall back to
// "default.map" in the working folder).
constexpr int32_t MapFileNameBufferSize = 4096;
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

// The question dialog's contract (the platform's askQuestion): owner, title,
// text, button labels and count, default and cancel button; the index chosen.
using QuestionFunction = int32_t (*)(uintptr_t owner, const char* title, const char* text,
                                     const char* const* buttons, int32_t count,
                                     int32_t defaultButton, int32_t cancelButton);

enum class MapFileOutcome { Cancelled, Done, Failed };

struct MapFileCommands {
    uintptr_t owner = 0;
    FileDialogFunction dialog = nullptr;  // the platform's file dialog when null
    // The name the save dialog proposes instead of "default.map" (the
    // current world file's), when there is one that fits the buffer.
    std::string proposedName;
    // The world's file as last loaded or saved: saving under its name once
    // another program changed it asks "Save anyway", "Save as" or "Cancel".
    WorldFileStamp current;
    QuestionFunction question = nullptr;  // the platform's when null
    // The pictures of the textures given that a saved city carries beside
    // its map (CityPictureFolder); none when null.
    std::function<CityPictures(const std::set<int32_t>& used)> cityPictures;

    // Asks for a name (and, for the world's own file changed by another
    // program, whether to replace it) and writes the world there; an earlier
    // file of that name survives a failed write. *why names a failure; *chosen (when given)
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
