#pragma once
#include <iosfwd>
#include <string>

// The commands that read a world file and end without opening a window.
// Each returns the exit code: 0, or 1 with one line on err naming the file
// and the loader's reason (a bad world file writes nothing).
namespace CityCommands {

// Writes the city as file: binary glTF for ".glb", else Wavefront OBJ, with
// the textures of the media folder the program would find, and prints one
// line on out saying what was written. The city is moved so that the middle
// of its ground lies at the origin (viewers frame a model near the origin),
// unless keepPosition keeps world coordinates. Without the program's media
// nothing is written: err lists the places looked in.
int exportCity(const std::string& city, const std::string& file, bool keepPosition,
               std::ostream& out, std::ostream& err);

// Prints the sectors, blocks, sprite objects with their names, how many
// figures there are of each type (by the type's name), the blocks' bounding
// box in world units and the textures their faces use.
int printInfo(const std::string& city, std::ostream& out, std::ostream& err);

}  // namespace CityCommands
