#pragma once
#include <iosfwd>
#include <string>

// The commands that read a world file and end without opening a window.
// Each returns the exit code: 0, or 1 with one line on err naming the file
// and the loader's reason (a bad world file writes nothing).
namespace CityCommands {

// Writes the city as out: binary glTF for ".glb", else Wavefront OBJ, with
// the textures of the media folder the program would find.
int exportCity(const std::string& city, const std::string& out, std::ostream& err);

// Prints the sectors, blocks, sprite objects with their names, the blocks'
// bounding box in world units and the textures their faces use.
int printInfo(const std::string& city, std::ostream& out, std::ostream& err);

}  // namespace CityCommands
