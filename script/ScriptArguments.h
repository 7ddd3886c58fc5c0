#pragma once
#include <cstddef>
#include <cstdint>

#include "world/CellBox.h"
#include "world/FaceMaterial.h"

class ScriptCity;
struct lua_State;

// Reading the arguments of a city call from the Lua stack. A wrong argument
// raises a Lua error that names the call and the argument ("city.fill: y1
// must be a whole number, not 1.5"); these functions keep nothing with a
// destructor in their frames, so the error unwinds them safely.
namespace ScriptArguments {

// A whole number (an integer, or a float with a whole value) from low to high.
int64_t whole(lua_State* L, int index, const char* call, const char* name, int64_t low,
              int64_t high);
// A cell coordinate within the script's range.
int32_t cell(lua_State* L, int index, const char* call, const char* name);
// Two corners from index on (x0, y0, z0, x1, y1, z1), in any order.
CellBox box(lua_State* L, int index, const char* call);
// A material table as city.material makes it (its texture loaded, every
// value in range); unknown fields are refused.
FaceMaterial material(lua_State* L, int index, const char* call, const char* name);
// A finite number.
double number(lua_State* L, int index, const char* call, const char* name);
// The sprite type: an index into the figure types, or a type's name.
int32_t figureType(lua_State* L, int index, const char* call);
// A figure's name: up to 199 printable characters.
const char* figureName(lua_State* L, int index, const char* call, size_t* length);

// The script's city, kept as the call's first upvalue.
ScriptCity& city(lua_State* L);
// A material as a new table on the stack.
void pushMaterial(lua_State* L, const FaceMaterial& material);

}  // namespace ScriptArguments
