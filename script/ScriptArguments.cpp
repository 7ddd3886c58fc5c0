#include "script/ScriptArguments.h"

#include <lua.hpp>

#include <cmath>
#include <cstring>

#include "media/WorldSpriteGroups.h"
#include "script/ScriptCity.h"

namespace {

constexpr size_t MostNameBytes = 199;

struct Field {
    const char* name;
    int64_t low, high, fallback;
};
// In FaceMaterial's order; the texture has no default.
constexpr Field MaterialFields[] = {
    {"texture", INT32_MIN, INT32_MAX, 0},
    {"offset_u", INT32_MIN, INT32_MAX, 0},
    {"offset_v", INT32_MIN, INT32_MAX, 0},
    {"rotation", 0, 3, 0},
    // Scales are checked as FaceMaterial checks them (0 is none).
    {"scale_u", INT64_MIN, INT64_MAX, 1},
    {"scale_v", INT64_MIN, INT64_MAX, 1},
};
constexpr int FirstScaleField = 4;

bool knownField(const char* key) {
    for (const Field& field : MaterialFields)
        if (std::strcmp(field.name, key) == 0)
            return true;
    return false;
}

}  // namespace

ScriptCity& ScriptArguments::city(lua_State* L) {
    return *static_cast<ScriptCity*>(lua_touserdata(L, lua_upvalueindex(1)));
}

int64_t ScriptArguments::whole(lua_State* L, int index, const char* call, const char* name,
                               int64_t low, int64_t high) {
    int isWhole = 0;
    const lua_Integer value = lua_tointegerx(L, index, &isWhole);
    if (!isWhole)
        luaL_error(L, "city.%s: %s must be a whole number, not %s", call, name,
                   lua_isnoneornil(L, index) ? "nothing" : luaL_tolstring(L, index, nullptr));
    if (value < low || value > high)
        luaL_error(L, "city.%s: %s must be %I to %I, not %I", call, name,
                   static_cast<lua_Integer>(low), static_cast<lua_Integer>(high), value);
    return value;
}

int32_t ScriptArguments::cell(lua_State* L, int index, const char* call, const char* name) {
    const int64_t range = city(L).limits().cellRange;
    return static_cast<int32_t>(whole(L, index, call, name, -range, range));
}

CellBox ScriptArguments::box(lua_State* L, int index, const char* call) {
    static const char* const Names[] = {"x0", "y0", "z0", "x1", "y1", "z1"};
    int32_t c[6];
    for (int k = 0; k < 6; ++k)
        c[k] = cell(L, index + k, call, Names[k]);
    return CellBox(c[0], c[1], c[2], c[3], c[4], c[5]);
}

FaceMaterial ScriptArguments::material(lua_State* L, int index, const char* call,
                                       const char* name) {
    if (lua_type(L, index) != LUA_TTABLE)
        luaL_error(L, "city.%s: %s must be a material, such as city.material{texture = 101}", call,
                   name);
    index = lua_absindex(L, index);
    lua_pushnil(L);
    while (lua_next(L, index) != 0) {
        lua_pop(L, 1);
        if (lua_type(L, -1) != LUA_TSTRING || !knownField(lua_tostring(L, -1)))
            luaL_error(L, "city.%s: %s has an unknown field %s", call, name,
                       luaL_tolstring(L, -1, nullptr));
    }
    int64_t values[6];
    for (int k = 0; k < 6; ++k) {
        const Field& field = MaterialFields[k];
        lua_getfield(L, index, field.name);
        if (lua_isnil(L, -1) && k == 0)
            luaL_error(L, "city.%s: %s needs a texture", call, name);
        values[k] = lua_isnil(L, -1) ? field.fallback
                                     : whole(L, -1, call, field.name, field.low, field.high);
        // A face's material as city.get gives it, mirrored scales and all,
        // is one a script may hand back.
        if (k >= FirstScaleField && !FaceMaterial::validScale(values[k]))
            luaL_error(L, "city.%s: %s must be 1 to 127, or -127 to -1 to mirror, not %I", call,
                       field.name, static_cast<lua_Integer>(values[k]));
        lua_pop(L, 1);
    }
    FaceMaterial m;
    m.texture = static_cast<int32_t>(values[0]);
    m.offsetU = static_cast<int32_t>(values[1]);
    m.offsetV = static_cast<int32_t>(values[2]);
    m.rotation = static_cast<uint8_t>(values[3]);
    m.scaleU = static_cast<int8_t>(values[4]);
    m.scaleV = static_cast<int8_t>(values[5]);
    if (!city(L).textureLoaded(m.texture))
        luaL_error(L, "city.%s: texture %d is not loaded", call, static_cast<int>(m.texture));
    return m;
}

void ScriptArguments::pushMaterial(lua_State* L, const FaceMaterial& m) {
    const lua_Integer values[6] = {m.texture, m.offsetU, m.offsetV, m.rotation, m.scaleU, m.scaleV};
    lua_createtable(L, 0, 6);
    for (int k = 0; k < 6; ++k) {
        lua_pushinteger(L, values[k]);
        lua_setfield(L, -2, MaterialFields[k].name);
    }
}

double ScriptArguments::number(lua_State* L, int index, const char* call, const char* name) {
    int isNumber = 0;
    const lua_Number value = lua_tonumberx(L, index, &isNumber);
    if (!isNumber || !std::isfinite(value))
        luaL_error(L, "city.%s: %s must be a number", call, name);
    return value;
}

int32_t ScriptArguments::figureType(lua_State* L, int index, const char* call) {
    if (lua_type(L, index) == LUA_TSTRING) {
        const char* name = lua_tostring(L, index);
        for (int32_t t = 0; t < WorldSpriteGroupCount; ++t)
            if (std::strcmp(WorldSpriteGroups[t].name, name) == 0)
                return t;
        luaL_error(L, "city.%s: there is no figure type \"%s\"", call, name);
    }
    return static_cast<int32_t>(whole(L, index, call, "type", 0, WorldSpriteGroupCount - 1));
}

const char* ScriptArguments::figureName(lua_State* L, int index, const char* call, size_t* length) {
    if (lua_isnoneornil(L, index)) {
        *length = 0;
        return "";
    }
    if (lua_type(L, index) != LUA_TSTRING)
        luaL_error(L, "city.%s: name must be a string", call);
    const char* name = lua_tolstring(L, index, length);
    if (*length > MostNameBytes)
        luaL_error(L, "city.%s: name must be at most %d characters", call,
                   static_cast<int>(MostNameBytes));
    for (size_t i = 0; i < *length; ++i)
        if (name[i] < ' ' || name[i] > '~')
            luaL_error(L, "city.%s: name may hold printable characters only", call);
    return name;
}
