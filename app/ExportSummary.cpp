#include "app/ExportSummary.h"

namespace {

std::string counted(int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ExportSummary::line() const {
    return "wrote " + written + ": " + counted(triangles, "triangle", "triangles") + ", " +
           counted(materials, "material", "materials") + ", " +
           counted(pictures, "picture", "pictures");
}
