#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "app/ExportSummary.h"
#include "app/HeadlessCity.h"

struct WorldMesh;

// Binary glTF 2.0 (.glb) of a world mesh: one node for the blocks (a
// primitive per texture, two triangles a quad) and one named node per sprite
// object; each texture is an unlit material with its picture embedded as
// PNG. Textures without a picture become plain white materials.
namespace GltfExport {

// Written through a temporary file renamed over path at the end; false, with
// *why, when it could not be written (nothing is left behind then). *summary
// (when given) receives what was written.
bool write(const WorldMesh& mesh, const std::map<int32_t, HeadlessCity::Image>& images,
           const std::string& path, std::string* why, ExportSummary* summary = nullptr);

}  // namespace GltfExport
