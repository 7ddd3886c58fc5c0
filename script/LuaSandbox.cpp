#include "script/LuaSandbox.h"

#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "script/PatternCost.h"

// Every C function here runs inside a protected call and keeps no object
// with a destructor in a frame that a Lua error may unwind.
namespace {

constexpr const char* Removed[] = {"dofile", "loadfile", "warn", "print"};

// load of text chunks only; a function as the chunk (a reader) is refused.
int loadText(lua_State* L) {
    size_t length = 0;
    const char* text = lua_type(L, 1) == LUA_TSTRING ? lua_tolstring(L, 1, &length) : nullptr;
    if (!text) {
        lua_pushnil(L);
        lua_pushliteral(L, "only text chunks may be loaded");
        return 2;
    }
    const char* name = luaL_optstring(L, 2, "=(load)");
    const bool withEnvironment = !lua_isnone(L, 4);
    if (luaL_loadbufferx(L, text, length, name, "t") != LUA_OK) {
        lua_pushnil(L);
        lua_insert(L, -2);
        return 2;
    }
    if (withEnvironment) {
        lua_pushvalue(L, 4);
        if (!lua_setupvalue(L, -2, 1))
            lua_pop(L, 1);
    }
    return 1;
}

// A metatable with __gc would run its finalizer where no hook can stop it.
int setMetatableChecked(lua_State* L) {
    if (lua_type(L, 2) == LUA_TTABLE) {
        lua_pushliteral(L, "__gc");
        const bool finalizer = lua_rawget(L, 2) != LUA_TNIL;
        lua_pop(L, 1);
        if (finalizer)
            return luaL_error(L, "metatables with __gc are not allowed");
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

int pcallChecked(lua_State* L) {
    luaL_checkany(L, 1);
    const int status = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
    if (LuaSandbox::of(L).stopped())
        return LuaSandbox::raiseStop(L);
    lua_pushboolean(L, status == LUA_OK);
    lua_insert(L, 1);
    return lua_gettop(L);
}

// As the base library's xpcall: function, handler, true, then the call.
int xpcallChecked(lua_State* L) {
    const int n = lua_gettop(L);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_pushboolean(L, 1);
    lua_pushvalue(L, 1);
    lua_rotate(L, 3, 2);
    const int status = lua_pcall(L, n - 2, LUA_MULTRET, 2);
    if (LuaSandbox::of(L).stopped())
        return LuaSandbox::raiseStop(L);
    if (status == LUA_OK)
        return lua_gettop(L) - 2;
    lua_pushboolean(L, 0);
    lua_pushvalue(L, -2);
    return 2;
}

// string.find, match, gmatch and gsub behind the cost bound; find with
// plain set matches no pattern.
int patternChecked(lua_State* L) {
    size_t subject = 0, pattern = 0;
    luaL_checklstring(L, 1, &subject);
    const char* text = luaL_checklstring(L, 2, &pattern);
    const bool plain = lua_toboolean(L, lua_upvalueindex(2)) && lua_toboolean(L, 4);
    if (!plain && PatternCost::steps(text, pattern, subject) > PatternCost::MostSteps)
        return luaL_error(L, "the pattern could take too long on a subject of %d bytes",
                          static_cast<int>(subject));
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

void wrapPatternFunction(lua_State* L, const char* name, bool hasPlain) {
    lua_getfield(L, -1, name);
    lua_pushboolean(L, hasPlain);
    lua_pushcclosure(L, patternChecked, 2);
    lua_setfield(L, -2, name);
}

int openLibraries(lua_State* L) {
    luaL_requiref(L, LUA_GNAME, luaopen_base, 1);
    for (const char* name : Removed) {
        lua_pushnil(L);
        lua_setfield(L, -2, name);
    }
    lua_pushcfunction(L, loadText);
    lua_setfield(L, -2, "load");
    lua_getfield(L, -1, "setmetatable");
    lua_pushcclosure(L, setMetatableChecked, 1);
    lua_setfield(L, -2, "setmetatable");
    lua_pushcfunction(L, pcallChecked);
    lua_setfield(L, -2, "pcall");
    lua_pushcfunction(L, xpcallChecked);
    lua_setfield(L, -2, "xpcall");
    lua_pop(L, 1);
    luaL_requiref(L, LUA_STRLIBNAME, luaopen_string, 1);
    lua_pushnil(L);
    lua_setfield(L, -2, "dump");
    wrapPatternFunction(L, "find", true);
    wrapPatternFunction(L, "match", false);
    wrapPatternFunction(L, "gmatch", false);
    wrapPatternFunction(L, "gsub", false);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_TABLIBNAME, luaopen_table, 1);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
    lua_pop(L, 1);
    return 0;
}

// The message of an error, whatever its value.
int describeError(lua_State* L) {
    if (lua_type(L, 1) != LUA_TSTRING)
        lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    return 1;
}

}  // namespace

LuaSandbox::LuaSandbox(const ScriptLimits& limits) : limit(limits) {
    lua = lua_newstate(&LuaSandbox::allocate, this);
    if (!lua)
        return;
    lua_pushcfunction(lua, openLibraries);
    if (lua_pcall(lua, 0, 0, 0) != LUA_OK) {
        lua_close(lua);
        lua = nullptr;
    }
}

LuaSandbox::~LuaSandbox() {
    if (lua)
        lua_close(lua);
}

LuaSandbox& LuaSandbox::of(lua_State* L) {
    void* self = nullptr;
    lua_getallocf(L, &self);
    return *static_cast<LuaSandbox*>(self);
}

void* LuaSandbox::allocate(void* self, void* block, size_t oldSize, size_t newSize) {
    LuaSandbox& box = *static_cast<LuaSandbox*>(self);
    const size_t held = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        box.used -= held;
        return nullptr;
    }
    if (newSize > held) {
        const size_t outside = box.outside ? box.outside() : 0;
        if (box.used - held + newSize + outside > box.limit.memoryBytes) {
            box.memoryRefused = true;
            return nullptr;
        }
    }
    void* moved = std::realloc(block, newSize);
    if (moved)
        box.used = box.used - held + newSize;
    return moved;
}

void LuaSandbox::hook(lua_State* L, lua_Debug* ar) {
    LuaSandbox& box = of(L);
    try {
        if (lua_getinfo(L, "Sl", ar) && ar->currentline > 0) {
            box.lastLine = ar->currentline;
            if (box.lastSource != ar->short_src)
                box.lastSource = ar->short_src;
        }
        if (!box.stopped() && std::chrono::steady_clock::now() > box.deadline) {
            char message[160];
            std::snprintf(message, sizeof message, "the script ran longer than %g seconds",
                          box.limit.seconds);
            box.stopMessage = box.where() + message;
        }
    } catch (const std::bad_alloc&) {
        box.memoryRefused = true;
    }
    if (box.stopped())
        raiseStop(L);
}

std::string LuaSandbox::where() const {
    return lastSource.empty() ? "" : lastSource + ":" + std::to_string(lastLine) + ": ";
}

void LuaSandbox::stop(const std::string& message) {
    if (stopMessage.empty())
        stopMessage = message;
}

bool LuaSandbox::overMemory() const {
    return used + (outside ? outside() : 0) > limit.memoryBytes;
}

std::string LuaSandbox::memoryMessage() const {
    return where() + "the script used more than " + std::to_string(limit.memoryBytes >> 20) +
           " MiB of memory";
}

int LuaSandbox::raiseStop(lua_State* L) {
    LuaSandbox& box = of(L);
    try {
        if (box.stopMessage.empty())
            box.stopMessage = box.memoryMessage();
    } catch (const std::bad_alloc&) {
        lua_pushliteral(L, "the script ran out of memory");
        return lua_error(L);
    }
    lua_pushstring(L, box.stopMessage.c_str());
    return lua_error(L);
}

bool LuaSandbox::run(const std::string& text, const std::string& name, std::string* error) {
    if (!lua) {
        *error = name + ": there is not enough memory to run a script";
        return false;
    }
    deadline = std::chrono::steady_clock::now() +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                   std::chrono::duration<double>(limit.seconds));
    lastSource = name;
    lastLine = 0;
    lua_sethook(lua, &LuaSandbox::hook, LUA_MASKCOUNT, limit.hookInstructions);
    lua_settop(lua, 0);
    lua_pushcfunction(lua, describeError);
    int status = luaL_loadbufferx(lua, text.data(), text.size(), ("@" + name).c_str(), "t");
    if (status == LUA_OK)
        status = lua_pcall(lua, 0, 0, 1);
    if (status == LUA_OK && !stopped())
        return true;
    if (stopped())
        *error = stopMessage.empty() ? memoryMessage() : stopMessage;
    else if (lua_type(lua, -1) == LUA_TSTRING)
        *error = lua_tostring(lua, -1);
    else
        *error = name + ": the script failed";
    lua_settop(lua, 0);
    return false;
}
