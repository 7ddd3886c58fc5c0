#pragma once

class ScriptCity;
struct lua_State;

// The table `city` a script sees, each call a C function of the state bound
// to the script's city; print is city.print too.
namespace CityCalls {

// Makes the table in L's globals; false when there was no memory for it.
bool install(lua_State* L, ScriptCity& city);

}  // namespace CityCalls
