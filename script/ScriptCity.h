#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "script/ScriptLimits.h"
#include "world/CellBox.h"
#include "world/Clipboard.h"
#include "world/MapBlock.h"

class EditBatch;

// What the city calls of a running script reach, on the C++ side of the
// Lua glue: the batch of its changes and what the program around it
// offers. Each call takes plain values and answers true, or false with a
// message in why (WhyBytes at most, no place in it); a call never throws.
class ScriptCity {
public:
    static constexpr size_t WhyBytes = 256;

    struct Surroundings {
        // Whether a texture id names a loaded texture (null: all do).
        std::function<bool(int32_t)> textureLoaded;
        // The box selected in the program, if any.
        std::optional<CellBox> selection;
        // Where city.print writes (null: standard output).
        std::function<void(const std::string&)> print;
        // The script's folder, which stamps are read from.
        std::string folder;
        int32_t blockWidth = 10;
        int32_t blockHeight = 15;
    };
    // How a call went: fine, refused (the script may go on after a pcall),
    // or a limit reached (the script ends, whatever catches the error).
    enum class Outcome { Done, Refused, Stopped };

    ScriptCity(EditBatch& batch, const Surroundings& surroundings, const ScriptLimits& limits);

    bool textureLoaded(int32_t texture) const;
    const std::optional<CellBox>& selection() const { return around.selection; }
    const ScriptLimits& limits() const { return limit; }
    int32_t blockWidth() const { return around.blockWidth; }
    int32_t blockHeight() const { return around.blockHeight; }
    size_t changes() const;

    // The edits; *changed receives the changes the call made.
    Outcome edit(const std::function<void(EditBatch&)>& change, int64_t* changed, char* why);
    // The block of a cell: false when there is none.
    Outcome get(int32_t x, int32_t y, int32_t z, FaceMaterial faces[BlockFaceCount], bool* found,
                char* why);
    // A stamp file (path relative to the script's folder, a .map file in it
    // or below it) pasted with its start cell at (x, y, z).
    Outcome stamp(const char* path, size_t pathLength, int32_t x, int32_t y, int32_t z,
                  int32_t quarterTurns, bool mirror, int64_t* changed, char* why);
    void print(const char* text, size_t length) const;

private:
    bool readStamp(const std::string& path, Clipboard* clipboard, std::string* why);

    EditBatch& batch;
    Surroundings around;
    ScriptLimits limit;
    std::map<std::string, Clipboard> stamps;  // by real path, as read
};
