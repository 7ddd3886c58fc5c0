#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "world/MapFormat.h"
#include "world/WorldBytes.h"
#include "world/WorldFileStamp.h"

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
// The bytes saveWorld would write, in place of *bytes (whose memory is used
// again: a snapshot taken often costs no new memory); false, and *bytes
// empty, when there was no memory for them.
bool snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                   std::vector<uint8_t>* bytes);
// The same in the order given rather than the map's own.
bool snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                   MapFormat::RecordOrder order, std::vector<uint8_t>* bytes);
std::vector<uint8_t> snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites);
// Writes such bytes to path with the same atomic replacement as saveWorld;
// safe on any thread (it touches no world object).
bool saveBytes(const char* path, const std::vector<uint8_t>& bytes, std::string* why);
bool saveBytes(const char* path, const WorldBytes& bytes, std::string* why);
// The same with beforePublish called once the new file is complete and on
// disk, before it replaces path, with the identity it keeps when it does;
// should beforePublish return false, path is left as it was (and *why as
// beforePublish left it). With writeBehindBytes, the file goes to disk a
// stretch at a time as it is written (FileStream::writeBehind).
bool saveBytes(const char* path, const WorldBytes& bytes, std::string* why,
               const std::function<bool(const WorldFileStamp& next)>& beforePublish,
               int64_t writeBehindBytes = 0);

}  // namespace MapFile
