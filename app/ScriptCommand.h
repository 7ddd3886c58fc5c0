#pragma once
#include <iosfwd>
#include <string>

#include "script/ScriptCity.h"

class TamoEngineCore;

// City scripts from the program's side: run on a world file without a
// window (--script), and the surroundings a script sees in the program.
namespace ScriptCommand {

// Runs the script on the world file city (a new world when there is none),
// then saves the world in place as every save does and prints one line on
// out: "CITY: N cells changed" (and the figures added or removed). A failure (a bad world file, the script's
// error, a failed save) writes nothing, prints the reason on err ("FILE:LINE:
// message" for the script's) and gives exit code 1.
int runOnFile(const std::string& script, const std::string& city, std::ostream& out,
              std::ostream& err);

// What a script sees in the running program: the core's loaded textures
// and selection, its prints going to print.
ScriptCity::Surroundings inProgram(const TamoEngineCore& core,
                                   std::function<void(const std::string&)> print);

}  // namespace ScriptCommand
