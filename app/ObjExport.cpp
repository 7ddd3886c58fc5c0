#include "app/ObjExport.h"

#include <climits>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "app/NameText.h"
#include "media/FileStream.h"
#include "media/PngWriter.h"
#include "world/WorldMesh.h"

namespace ObjExport {

namespace {

std::string stemOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash)
               ? path.substr(0, dot)
               : path;
}

std::string fileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string materialName(int32_t texture) {
    return "texture_" + std::to_string(texture);
}

// An object name on one line without blanks; empty for an unnamed figure.
std::string objectName(const std::string& name) {
    std::string text = nameAsUtf8(name);
    for (char& ch : text)
        if (ch == ' ' || ch == '\t')
            ch = '_';
    return text;
}

// The file's name and the cause of its failure in the system's words.
std::string reasonFor(const FileStream& out, const std::string& path) {
    const std::string reason = out.failureReason();
    return fileName(path) + ": " + (reason.empty() ? "could not be written" : reason);
}

// The files of one export, written under temporary names and renamed into
// place only once every one of them is written: a failure leaves no part of
// the set, and an earlier set stays whole.
class FileSet {
public:
    bool add(const std::string& path, const void* data, size_t size, std::string* why) {
        files.push_back(
            std::make_unique<FileStream>(path.c_str(), "wb", FileStream::ReplaceAtomically));
        FileStream& out = *files.back();
        if (size == 0 || size > INT32_MAX || !out.writeBytes(data, static_cast<int32_t>(size)) ||
            !out.prepare()) {
            *why = reasonFor(out, path);
            return false;
        }
        return true;
    }
    bool publish(std::string* why) {
        for (const std::unique_ptr<FileStream>& file : files)
            if (!file->publish()) {
                *why = reasonFor(*file, file->path());
                return false;
            }
        return true;
    }

private:
    std::vector<std::unique_ptr<FileStream>> files;
};

// Appends the part's corners, texture coordinates (v up the picture) and
// triangles; vertices counts those written before.
void appendPart(const WorldMesh::Part& part, size_t& vertices, std::string& text) {
    char line[128];
    text += "usemtl " + materialName(part.texture) + "\n";
    for (const WorldMesh::Quad& quad : part.quads)
        for (int v = 0; v < 4; ++v) {
            std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\nvt %.9g %.9g\n", quad.corner[v].x,
                          quad.corner[v].y, quad.corner[v].z, quad.texCoord[v].x,
                          1.0f - quad.texCoord[v].y);
            text += line;
        }
    for (size_t q = 0; q < part.quads.size(); ++q) {
        const size_t a = vertices + 1;
        std::snprintf(line, sizeof line, "f %zu/%zu %zu/%zu %zu/%zu\nf %zu/%zu %zu/%zu %zu/%zu\n",
                      a, a, a + 1, a + 1, a + 2, a + 2, a, a, a + 2, a + 2, a + 3, a + 3);
        text += line;
        vertices += 4;
    }
}

}  // namespace

std::string materialPath(const std::string& objPath) {
    return stemOf(objPath) + ".mtl";
}

std::string picturePath(const std::string& objPath, int32_t texture) {
    return stemOf(objPath) + "-" + std::to_string(texture) + ".png";
}

std::vector<std::string> figureObjectNames(const WorldMesh& mesh) {
    std::set<std::string> taken = {"blocks"};
    std::vector<std::string> names;
    for (const WorldMesh::Part& part : mesh.sprites) {
        const std::string id = std::to_string(part.id);
        std::string name = objectName(part.name);
        if (name.empty())
            name = "figure-" + id;
        if (taken.count(name) > 0)
            name += "-" + id;
        const std::string stem = name;
        for (int n = 2; taken.count(name) > 0; ++n)
            name = stem + "-" + std::to_string(n);
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

bool write(const WorldMesh& mesh, const std::map<int32_t, HeadlessCity::Image>& images,
           const std::string& path, std::string* why, ExportSummary* summary) {
    std::set<int32_t> used;
    for (const std::vector<WorldMesh::Part>* parts : {&mesh.blocks, &mesh.sprites})
        for (const WorldMesh::Part& part : *parts)
            used.insert(part.texture);

    FileSet files;
    int32_t pictures = 0;
    std::string materials = "# Tamotown city materials\n";
    for (const int32_t texture : used) {
        materials +=
            "\nnewmtl " + materialName(texture) + "\nKa 1 1 1\nKd 1 1 1\nKs 0 0 0\nillum 1\n";
        const auto image = images.find(texture);
        if (image == images.end())
            continue;
        const std::string picture = picturePath(path, texture);
        std::vector<uint8_t> png;
        if (!encodeRgbaPng(image->second.rgba.data(), image->second.width, image->second.height,
                           &png)) {
            *why = fileName(picture) + ": the picture cannot be encoded";
            return false;
        }
        if (!files.add(picture, png.data(), png.size(), why))
            return false;
        ++pictures;
        materials += "map_Kd " + fileName(picture) + "\n";
    }
    if (!files.add(materialPath(path), materials.data(), materials.size(), why))
        return false;

    std::string text = "# Tamotown city\nmtllib " + fileName(materialPath(path)) + "\n";
    size_t vertices = 0;
    if (!mesh.blocks.empty())
        text += "o blocks\n";
    for (const WorldMesh::Part& part : mesh.blocks)
        appendPart(part, vertices, text);
    const std::vector<std::string> names = figureObjectNames(mesh);
    for (size_t i = 0; i < mesh.sprites.size(); ++i) {
        text += "o " + names[i] + "\n";
        appendPart(mesh.sprites[i], vertices, text);
    }
    if (!files.add(path, text.data(), text.size(), why) || !files.publish(why))
        return false;
    if (summary) {
        summary->written = fileName(path) + " and " + fileName(materialPath(path));
        summary->triangles = 2 * static_cast<int64_t>(mesh.quadCount());
        summary->materials = static_cast<int32_t>(used.size());
        summary->pictures = pictures;
    }
    return true;
}

}  // namespace ObjExport
