#include "script/CityCalls.h"

#include <lua.hpp>

#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

#include "script/LuaSandbox.h"
#include "script/ScriptArguments.h"
#include "script/ScriptCity.h"
#include "world/CellWriter.h"
#include "world/EditBatch.h"
#include "world/ShapeCells.h"

// Each call reads its arguments (a bad one raises a Lua error at once), runs
// its edit on the C++ side, where every object it makes is gone again when
// the edit returns, and only then pushes results or raises the edit's
// error: no Lua error ever unwinds a frame that holds a C++ object.
namespace {

namespace Args = ScriptArguments;
using Outcome = ScriptCity::Outcome;

// The stop message of a limit reached in a call, kept in the sandbox; a call
// made from a C function (pcall) has no line of its own: the last one seen.
void keepStop(lua_State* L, const char* where, const char* call, const char* why) {
    try {
        LuaSandbox& sandbox = LuaSandbox::of(L);
        const std::string place = *where ? std::string(where) : sandbox.where();
        sandbox.stop(place + "city." + call + ": " + why);
    } catch (const std::bad_alloc&) {
        LuaSandbox::of(L).stop("the script ran out of memory");
    }
}

// Ends a call: its result (changes made) pushed, or its error raised.
int finish(lua_State* L, Outcome outcome, int64_t changed, const char* why, const char* call) {
    if (outcome == Outcome::Done && LuaSandbox::of(L).overMemory())
        return LuaSandbox::raiseStop(L);
    if (outcome == Outcome::Stopped) {
        luaL_where(L, 1);
        keepStop(L, lua_tostring(L, -1), call, why);
        return LuaSandbox::raiseStop(L);
    }
    if (outcome == Outcome::Refused)
        return luaL_error(L, "city.%s: %s", call, why);
    lua_pushinteger(L, changed);
    return 1;
}

// A box that the call would walk cell by cell: at most as many cells as a
// script may change.
void checkWork(lua_State* L, int64_t cells, const char* call, const char* what) {
    const int64_t most = static_cast<int64_t>(Args::city(L).limits().changes);
    if (cells > most)
        luaL_error(L, "city.%s: the %s spans %I cells, more than %I", call, what,
                   static_cast<lua_Integer>(cells), static_cast<lua_Integer>(most));
}

int material(lua_State* L) {
    Args::pushMaterial(L, Args::material(L, 1, "material", "the table"));
    return 1;
}

int set(lua_State* L) {
    const int32_t x = Args::cell(L, 1, "set", "x"), y = Args::cell(L, 2, "set", "y"),
                  z = Args::cell(L, 3, "set", "z");
    FaceMaterial faces[BlockFaceCount];
    CellWriter::fillFaces(faces, Args::material(L, 4, "set", "the material"));
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome =
        Args::city(L).edit([&](EditBatch& b) { b.set(x, y, z, faces); }, &changed, why);
    return finish(L, outcome, changed, why, "set");
}

int remove(lua_State* L) {
    const int32_t x = Args::cell(L, 1, "remove", "x"), y = Args::cell(L, 2, "remove", "y"),
                  z = Args::cell(L, 3, "remove", "z");
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome =
        Args::city(L).edit([&](EditBatch& b) { b.remove(x, y, z); }, &changed, why);
    return finish(L, outcome, changed, why, "remove");
}

int get(lua_State* L) {
    const int32_t x = Args::cell(L, 1, "get", "x"), y = Args::cell(L, 2, "get", "y"),
                  z = Args::cell(L, 3, "get", "z");
    FaceMaterial faces[BlockFaceCount];
    bool found = false;
    char why[ScriptCity::WhyBytes];
    const Outcome outcome = Args::city(L).get(x, y, z, faces, &found, why);
    if (outcome != Outcome::Done)
        return finish(L, outcome, 0, why, "get");
    if (!found) {
        lua_pushnil(L);
        return 1;
    }
    lua_createtable(L, BlockFaceCount, 1);
    for (int32_t f = 0; f < BlockFaceCount; ++f) {
        Args::pushMaterial(L, faces[f]);
        lua_rawseti(L, -2, f);
    }
    return 1;
}

// fill, hollow, clear and replace: a box, then the call's materials.
template <int Kind>
int boxEdit(lua_State* L) {
    static const char* const Calls[] = {"fill", "hollow", "clear", "replace"};
    const char* call = Calls[Kind];
    const CellBox box = Args::box(L, 1, call);
    FaceMaterial first, second;
    if (Kind != 2)
        first = Args::material(L, 7, call, Kind == 3 ? "from" : "the material");
    if (Kind == 3)
        second = Args::material(L, 8, call, "to");
    checkWork(L, box.cellCount(), call, "box");
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome = Args::city(L).edit(
        [&](EditBatch& b) {
            if (Kind == 0)
                b.fill(box, first);
            else if (Kind == 1)
                b.hollow(box, first);
            else if (Kind == 2)
                b.clear(box);
            else
                b.replace(box, first, second);
        },
        &changed, why);
    return finish(L, outcome, changed, why, call);
}

int line(lua_State* L) {
    static const char* const Names[] = {"x0", "y0", "z0", "x1", "y1", "z1"};
    int32_t c[6];
    for (int k = 0; k < 6; ++k)
        c[k] = Args::cell(L, k + 1, "line", Names[k]);
    const FaceMaterial m = Args::material(L, 7, "line", "the material");
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome = Args::city(L).edit(
        [&](EditBatch& b) { b.line(c[0], c[1], c[2], c[3], c[4], c[5], m); }, &changed, why);
    return finish(L, outcome, changed, why, "line");
}

// cylinder(cx, y0, cz, r, h, m [, hollow]) and sphere(cx, cy, cz, r, m [, hollow]).
template <bool Upright>
int round(lua_State* L) {
    const char* call = Upright ? "cylinder" : "sphere";
    const int32_t cx = Args::cell(L, 1, call, "cx");
    const int32_t cy = Args::cell(L, 2, call, Upright ? "y0" : "cy");
    const int32_t cz = Args::cell(L, 3, call, "cz");
    const int64_t range = Args::city(L).limits().cellRange;
    const int32_t r = static_cast<int32_t>(Args::whole(L, 4, call, "r", 0, range));
    const int32_t h = Upright ? static_cast<int32_t>(Args::whole(L, 5, call, "h", 0, range)) : 0;
    const FaceMaterial m = Args::material(L, Upright ? 6 : 5, call, "the material");
    const bool hollow = lua_toboolean(L, Upright ? 7 : 6);
    const ShapeCells shape = Upright ? ShapeCells::cylinder(cx, cy, cz, r, h, hollow)
                                     : ShapeCells::sphere(cx, cy, cz, r, hollow);
    checkWork(L, shape.rowCount(), call, "shape's bounds");
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome =
        Args::city(L).edit([&](EditBatch& b) { b.shape(shape, m); }, &changed, why);
    return finish(L, outcome, changed, why, call);
}

int stamp(lua_State* L) {
    size_t length = 0;
    const char* path = luaL_checklstring(L, 1, &length);
    const int32_t x = Args::cell(L, 2, "stamp", "x"), y = Args::cell(L, 3, "stamp", "y"),
                  z = Args::cell(L, 4, "stamp", "z");
    const int32_t turns = lua_isnoneornil(L, 5)
                              ? 0
                              : static_cast<int32_t>(Args::whole(L, 5, "stamp", "quarter_turns",
                                                                 INT32_MIN, INT32_MAX));
    const bool mirror = lua_toboolean(L, 6);
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome =
        Args::city(L).stamp(path, length, x, y, z, turns, mirror, &changed, why);
    return finish(L, outcome, changed, why, "stamp");
}

int figure(lua_State* L) {
    const int32_t x = Args::cell(L, 1, "figure", "x"), y = Args::cell(L, 2, "figure", "y"),
                  z = Args::cell(L, 3, "figure", "z");
    const int32_t type = Args::figureType(L, 4, "figure");
    size_t length = 0;
    const char* name = Args::figureName(L, 5, "figure", &length);
    const double heading = lua_isnoneornil(L, 6) ? 0.0 : Args::number(L, 6, "figure", "heading");
    ScriptCity& city = Args::city(L);
    char why[ScriptCity::WhyBytes];
    int64_t changed = 0;
    const Outcome outcome = city.edit(
        [&](EditBatch& b) {
            // Standing on the cell: its feet in the middle of the cell's top.
            SpriteObject figure;
            const Vector3 top =
                CellBox::cellOrigin(x, y + 1, z, city.blockWidth(), city.blockHeight());
            figure.position =
                top + Vector3(city.blockWidth() / 2.0f, 0.0f, city.blockWidth() / 2.0f);
            figure.type = type;
            figure.name.assign(name, length);
            figure.angle = static_cast<float>(std::fmod(heading, 360.0));
            b.addFigure(figure);
        },
        &changed, why);
    return finish(L, outcome, changed, why, "figure");
}

int selection(lua_State* L) {
    const std::optional<CellBox>& box = Args::city(L).selection();
    if (!box) {
        lua_pushnil(L);
        return 1;
    }
    const lua_Integer corners[6] = {box->lowX(),  box->lowY(),  box->lowZ(),
                                    box->highX(), box->highY(), box->highZ()};
    static const char* const Names[] = {"x0", "y0", "z0", "x1", "y1", "z1"};
    lua_createtable(L, 0, 6);
    for (int k = 0; k < 6; ++k) {
        lua_pushinteger(L, corners[k]);
        lua_setfield(L, -2, Names[k]);
    }
    return 1;
}

// As print: each argument as tostring gives it, separated by tabs.
int print(lua_State* L) {
    const int n = lua_gettop(L);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (int i = 1; i <= n; ++i) {
        if (i > 1)
            luaL_addchar(&buffer, '\t');
        luaL_tolstring(L, i, nullptr);
        luaL_addvalue(&buffer);
    }
    luaL_pushresult(&buffer);
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    Args::city(L).print(text, length);
    return 0;
}

const luaL_Reg Calls[] = {
    {"material", material},   {"set", set},
    {"remove", remove},       {"get", get},
    {"fill", boxEdit<0>},     {"hollow", boxEdit<1>},
    {"clear", boxEdit<2>},    {"replace", boxEdit<3>},
    {"line", line},           {"cylinder", round<true>},
    {"sphere", round<false>}, {"stamp", stamp},
    {"figure", figure},       {"selection", selection},
    {"print", print},         {nullptr, nullptr},
};

int installCalls(lua_State* L) {
    void* city = lua_touserdata(L, 1);
    luaL_newlibtable(L, Calls);
    lua_pushlightuserdata(L, city);
    luaL_setfuncs(L, Calls, 1);
    lua_getfield(L, -1, "print");
    lua_setglobal(L, "print");
    lua_setglobal(L, "city");
    return 0;
}

}  // namespace

bool CityCalls::install(lua_State* L, ScriptCity& city) {
    lua_pushcfunction(L, installCalls);
    lua_pushlightuserdata(L, &city);
    return lua_pcall(L, 1, 0, 0) == LUA_OK;
}
