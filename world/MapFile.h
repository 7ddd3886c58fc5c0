#pragma once
#include <string>

class TamoMap;
class TamoSpriteObjectSet;

// The whole-world file commands (the layout is MapFormat's). Loading reads
// the file once and parses all of it into records before anything in the
// world changes: on any fault the world stays as it was and *why (when given)
// names the fault. Saving writes a temporary file beside the target and
// renames it over the target only when every byte was written, so an earlier
// file stays intact on failure.
namespace MapFile {

bool loadWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why);
bool saveWorld(const char* path, const TamoMap& map, const TamoSpriteObjectSet& sprites,
               std::string* why);

}  // namespace MapFile
