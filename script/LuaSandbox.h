#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "script/ScriptLimits.h"

struct lua_State;
struct lua_Debug;

// A Lua state that can run a script from someone else: only the base,
// string, table and math libraries, without dofile, loadfile, load of
// bytecode, string.dump and finalizers (__gc runs without hooks, so it could
// never be stopped); its memory is capped, its running time is looked at
// every few thousand instructions, and string patterns whose matching could
// take hours are refused. Once a limit is reached the script cannot catch
// the error: pcall and xpcall pass it on.
class LuaSandbox {
public:
    explicit LuaSandbox(const ScriptLimits& limits);
    ~LuaSandbox();
    LuaSandbox(const LuaSandbox&) = delete;
    LuaSandbox& operator=(const LuaSandbox&) = delete;

    // Null when even an empty state did not fit.
    lua_State* state() const { return lua; }
    // Memory held outside Lua on the script's behalf, counted against the cap.
    void countOutside(std::function<size_t()> bytes) { outside = std::move(bytes); }
    // Loads text (never bytecode) as the chunk of file name and runs it,
    // the clock started; false with *error as "name:line: message".
    bool run(const std::string& text, const std::string& name, std::string* error);
    // Ends the script at its next instruction with message, uncatchable
    // (a limit reached inside a call). Call from a C function of the state.
    void stop(const std::string& message);
    bool stopped() const { return memoryRefused || !stopMessage.empty(); }
    // Raises the stop message as a Lua error; for C functions, after their
    // C++ objects are gone.
    static int raiseStop(lua_State* L);
    // The sandbox of a state made here.
    static LuaSandbox& of(lua_State* L);
    size_t bytesInUse() const { return used; }
    bool overMemory() const;
    const ScriptLimits& limits() const { return limit; }
    std::string memoryMessage() const;
    // "source:line: " of where the hook last saw the script ("" before).
    std::string where() const;

private:
    static void* allocate(void* self, void* block, size_t oldSize, size_t newSize);
    static void hook(lua_State* L, lua_Debug* ar);

    ScriptLimits limit;
    lua_State* lua = nullptr;
    size_t used = 0;
    std::function<size_t()> outside;
    std::chrono::steady_clock::time_point deadline;
    std::string stopMessage;
    bool memoryRefused = false;
    // Where the hook last saw the script, for errors that carry no place.
    std::string lastSource;
    int lastLine = 0;
};
