#include "app/GltfExport.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include "app/NameText.h"
#include "media/FileStream.h"
#include "media/PngWriter.h"
#include "world/WorldMesh.h"

namespace GltfExport {

namespace {

constexpr int ArrayBuffer = TINYGLTF_TARGET_ARRAY_BUFFER;
constexpr int ElementArrayBuffer = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;
constexpr const char* Unlit = "KHR_materials_unlit";

// Builds the model: one buffer holding every view, 4-byte aligned.
class ModelBuilder {
public:
    explicit ModelBuilder(const std::map<int32_t, HeadlessCity::Image>& images) : images(images) {
        model.asset.version = "2.0";
        model.asset.generator = "tamotown";
        // Named, so that a scene without nodes is still an object.
        model.scenes.emplace_back();
        model.scenes[0].name = "city";
        model.defaultScene = 0;
        model.buffers.emplace_back();
        model.extensionsUsed.push_back(Unlit);
    }

    // A node named name with a mesh of one primitive per part.
    void addNode(const std::string& name, const std::vector<WorldMesh::Part>& parts,
                 bool doubleSided) {
        tinygltf::Mesh mesh;
        mesh.name = name;
        for (const WorldMesh::Part& part : parts)
            if (!part.quads.empty())
                mesh.primitives.push_back(primitive(part, doubleSided));
        if (mesh.primitives.empty())
            return;
        model.meshes.push_back(std::move(mesh));
        tinygltf::Node node;
        node.name = name;
        node.mesh = static_cast<int>(model.meshes.size()) - 1;
        model.nodes.push_back(std::move(node));
        model.scenes[0].nodes.push_back(static_cast<int>(model.nodes.size()) - 1);
    }

    tinygltf::Model finish() {
        if (model.buffers[0].data.empty())
            model.buffers.clear();
        if (model.materials.empty())
            model.extensionsUsed.clear();
        return std::move(model);
    }

private:
    int addView(const void* bytes, size_t length, int target) {
        std::vector<unsigned char>& data = model.buffers[0].data;
        data.resize((data.size() + 3) / 4 * 4, 0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = length;
        view.target = target;
        const auto* first = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), first, first + length);
        model.bufferViews.push_back(view);
        return static_cast<int>(model.bufferViews.size()) - 1;
    }

    int addAccessor(const std::vector<float>& values, int type, int components, int target,
                    bool bounded) {
        tinygltf::Accessor accessor;
        accessor.bufferView = addView(values.data(), values.size() * sizeof(float), target);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        accessor.type = type;
        accessor.count = values.size() / static_cast<size_t>(components);
        if (bounded) {
            accessor.minValues.assign(values.begin(), values.begin() + components);
            accessor.maxValues = accessor.minValues;
            for (size_t i = 0; i < values.size(); ++i) {
                const size_t c = i % static_cast<size_t>(components);
                accessor.minValues[c] = std::min(accessor.minValues[c], double(values[i]));
                accessor.maxValues[c] = std::max(accessor.maxValues[c], double(values[i]));
            }
        }
        model.accessors.push_back(accessor);
        return static_cast<int>(model.accessors.size()) - 1;
    }

    tinygltf::Primitive primitive(const WorldMesh::Part& part, bool doubleSided) {
        std::vector<float> positions, texCoords;
        std::vector<uint32_t> indices;
        for (const WorldMesh::Quad& quad : part.quads) {
            const auto base = static_cast<uint32_t>(positions.size() / 3);
            for (int v = 0; v < 4; ++v) {
                positions.insert(positions.end(),
                                 {quad.corner[v].x, quad.corner[v].y, quad.corner[v].z});
                texCoords.insert(texCoords.end(), {quad.texCoord[v].x, quad.texCoord[v].y});
            }
            indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        }
        tinygltf::Primitive primitive;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.attributes["POSITION"] =
            addAccessor(positions, TINYGLTF_TYPE_VEC3, 3, ArrayBuffer, true);
        primitive.attributes["TEXCOORD_0"] =
            addAccessor(texCoords, TINYGLTF_TYPE_VEC2, 2, ArrayBuffer, false);
        tinygltf::Accessor index;
        index.bufferView =
            addView(indices.data(), indices.size() * sizeof(uint32_t), ElementArrayBuffer);
        index.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        index.type = TINYGLTF_TYPE_SCALAR;
        index.count = indices.size();
        model.accessors.push_back(index);
        primitive.indices = static_cast<int>(model.accessors.size()) - 1;
        primitive.material = material(part.texture, doubleSided);
        return primitive;
    }

    // The material of a texture, made on first use.
    int material(int32_t texture, bool doubleSided) {
        const auto key = std::make_pair(texture, doubleSided);
        const auto known = materials.find(key);
        if (known != materials.end())
            return known->second;
        tinygltf::Material material;
        material.name = "texture " + std::to_string(texture);
        material.doubleSided = doubleSided;
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = 1.0;
        material.extensions[Unlit] = tinygltf::Value(tinygltf::Value::Object());
        const auto image = images.find(texture);
        if (image != images.end()) {
            material.pbrMetallicRoughness.baseColorTexture.index =
                textureOf(texture, image->second);
            if (image->second.sharp)
                material.alphaMode = "MASK";
        }
        model.materials.push_back(material);
        return materials[key] = static_cast<int>(model.materials.size()) - 1;
    }

    int textureOf(int32_t id, const HeadlessCity::Image& image) {
        const auto known = textures.find(id);
        if (known != textures.end())
            return known->second;
        std::vector<uint8_t> png;
        if (!encodeRgbaPng(image.rgba.data(), image.width, image.height, &png))
            return -1;
        tinygltf::Image picture;
        picture.name = "texture " + std::to_string(id);
        picture.mimeType = "image/png";
        picture.bufferView = addView(png.data(), png.size(), 0);
        model.images.push_back(picture);
        tinygltf::Sampler sampler;
        // As the program filters them: colour-keyed pictures sharp.
        sampler.magFilter =
            image.sharp ? TINYGLTF_TEXTURE_FILTER_NEAREST : TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = sampler.magFilter;
        model.samplers.push_back(sampler);
        tinygltf::Texture texture;
        texture.source = static_cast<int>(model.images.size()) - 1;
        texture.sampler = static_cast<int>(model.samplers.size()) - 1;
        model.textures.push_back(texture);
        return textures[id] = static_cast<int>(model.textures.size()) - 1;
    }

    const std::map<int32_t, HeadlessCity::Image>& images;
    tinygltf::Model model;
    std::map<std::pair<int32_t, bool>, int> materials;
    std::map<int32_t, int> textures;
};

}  // namespace

bool write(const WorldMesh& mesh, const std::map<int32_t, HeadlessCity::Image>& images,
           const std::string& path, std::string* why, ExportSummary* summary) {
    ModelBuilder builder(images);
    builder.addNode("blocks", mesh.blocks, false);
    for (const WorldMesh::Part& sprite : mesh.sprites)
        builder.addNode(nameAsUtf8(sprite.name), {sprite}, true);
    const tinygltf::Model model = builder.finish();

    std::ostringstream bytes;
    tinygltf::TinyGLTF gltf;
    if (!gltf.WriteGltfSceneToStream(&model, bytes, false, true)) {
        *why = "the glTF data could not be made";
        return false;
    }
    const std::string content = bytes.str();
    FileStream out(path.c_str(), "wb", FileStream::ReplaceAtomically);
    if (!out.writeBytes(content.data(), static_cast<int32_t>(content.size())) || !out.commit()) {
        out.discard();
        *why = out.failureReason();
        if (why->empty())
            *why = "the file could not be written";
        return false;
    }
    if (summary) {
        summary->written = path;
        summary->triangles = 2 * static_cast<int64_t>(mesh.quadCount());
        summary->materials = static_cast<int32_t>(model.materials.size());
        summary->pictures = static_cast<int32_t>(model.images.size());
    }
    return true;
}

}  // namespace GltfExport
