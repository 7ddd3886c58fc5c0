#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/SpriteObject.h"

class FileStream;
class TamoMap;
class TamoSpriteObjectSet;

// The ".map" world file: the map section (sector count, then sector records of
// a 20-byte header and 102-byte block records of six 15-byte faces) followed
// by the sprite section (sprite count, then 32-byte sprite records each
// followed by its zero-terminated name). Little-endian, no padding, no header.
//
// Loading checks the whole file before anything in the world changes: every
// field must be present, every count must fit in the bytes that remain and
// every value must be one the editor can hold. A failed check names the fault
// in *why (when given) and leaves the world as it was.
namespace MapFile {

constexpr size_t countBytes = 4;
constexpr size_t sectorHeaderBytes = 20;
constexpr size_t faceRecordBytes = 15;
constexpr size_t blockRecordBytes = 12 + 6 * faceRecordBytes;
constexpr size_t spriteFixedBytes = 32;

// Checks the map section that starts at data; *used gets its length.
bool checkMapSection(const uint8_t* data, size_t size, size_t* used, std::string* why);

// Parses the sprite section that starts at data into objects (unselected);
// *used gets its length. objects is only written on success.
bool parseSpriteSection(const uint8_t* data, size_t size, std::vector<SpriteObject>* objects,
                        size_t* used, std::string* why);

// Reads everything from the stream's position to its end into bytes, then
// puts the position back where it was. False when the stream cannot be read.
bool readRest(FileStream& stream, std::vector<uint8_t>* bytes);

// Checks the bytes from the stream's position on as a whole world file (map
// section, sprite section, nothing after). The position is left where it was.
bool checkWorld(FileStream& stream, std::string* why);

// Whole-file commands: load replaces map and sprites only when the whole file
// is sound; save writes a temporary file beside the target and renames it
// over the target only when every byte was written, so an earlier file stays
// intact on failure.
bool loadWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why);
bool saveWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why);

}  // namespace MapFile
