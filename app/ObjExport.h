#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/ExportSummary.h"
#include "app/HeadlessCity.h"

struct WorldMesh;

// Wavefront OBJ of a world mesh: object "blocks" and one object per sprite
// object, two triangles a quad, a material per texture in the .mtl beside
// it, and each texture's picture beside that as "<obj name>-<texture>.png"
// (transparent where the program keys it out: its alpha channel, named once
// as the colour map, so that a viewer loads it once).
namespace ObjExport {

// The .mtl path of an .obj path: its extension replaced.
std::string materialPath(const std::string& objPath);
// The picture file of a texture for an .obj path.
std::string picturePath(const std::string& objPath, int32_t texture);
// The object names of the figures, in order: each its name (blanks as '_'),
// else "figure-<id>", made unique with "-<id>" (then "-2", "-3", ...) and
// never "blocks".
std::vector<std::string> figureObjectNames(const WorldMesh& mesh);

// Every file is written through a temporary file renamed at its end, the
// .obj last; false, with *why, at the first that could not be written.
// *summary (when given) receives what was written.
bool write(const WorldMesh& mesh, const std::map<int32_t, HeadlessCity::Image>& images,
           const std::string& path, std::string* why, ExportSummary* summary = nullptr);

}  // namespace ObjExport
