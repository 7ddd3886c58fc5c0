#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "app/HeadlessCity.h"

struct WorldMesh;

// Wavefront OBJ of a world mesh: object "blocks" and one object per sprite
// object (its name, blanks as '_'), two triangles a quad, a material per
// texture in the .mtl beside it, and each texture's picture beside that as
// "<obj name>-<texture>.png" (transparent where the program keys it out).
namespace ObjExport {

// The .mtl path of an .obj path: its extension replaced.
std::string materialPath(const std::string& objPath);
// The picture file of a texture for an .obj path.
std::string picturePath(const std::string& objPath, int32_t texture);

// Every file is written through a temporary file renamed at its end, the
// .obj last; false, with *why, at the first that could not be written.
bool write(const WorldMesh& mesh, const std::map<int32_t, HeadlessCity::Image>& images,
           const std::string& path, std::string* why);

}  // namespace ObjExport
