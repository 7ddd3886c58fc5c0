#include "app/CityCommands.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/HeadlessCity.h"
#include "app/InitApplication.h"
#include "app/MainWindow.h"
#include "engine/TamoEngineCore.h"
#include "media/Archive.h"
#include "media/MediaArchive.h"
#include "platform/Geometry.h"
#include "platform/ScreenSize.h"
#include "platform/WindowRegistry.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "world/MapBlock.h"
#include "world/MapFile.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldMesh.h"
#include "world/FaceMaterial.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Each test runs in a scratch folder holding the generated media.
class CityCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.made());
        const fs::path build(TAMO_BUILD_DIR);
        ASSERT_TRUE(fs::exists(build / "TamoData.arc")) << "generated media missing in " << build;
        fs::copy_file(build / "TamoData.arc", fs::path(folder.path()) / "TamoData.arc");
        fs::copy(build / "Textures", fs::path(folder.path()) / "Textures");
        ASSERT_TRUE(folder.enter());
        ScreenWidth = 640;
        ScreenHeight = 480;
    }

    void TearDown() override { clearArchiveEntries(); }

    // A random city over a few sectors, with named figures, as "city.map".
    void writeCity(uint32_t seed) {
        std::mt19937 random(seed);
        HeadlessCity city;
        const int32_t textures[] = {101, 103, 106, 113, 118, 150};  // 150: no picture
        for (int i = 0; i < 250; ++i) {
            FaceMaterial material;
            material.texture = textures[random() % 6];
            const Vector3 p(39905.0f + float(random() % 30) * 10.0f,
                            60007.0f + float(random() % 4) * 15.0f,
                            40005.0f + float(random() % 12) * 10.0f);
            city.map().setBlockAt(p, true, material);
        }
        std::vector<SpriteObject> figures(4);
        for (int i = 0; i < 4; ++i) {
            figures[i].id = i;
            figures[i].position = {39950.0f + 20.0f * i, 60000.0f, 40050.0f};
            figures[i].type = i;
            figures[i].angle = 90.0f * i;
        }
        figures[0].name = "Ada";
        figures[1].name = "Bob Smith";
        figures[2].name = std::string("Z\xe9") + "\x01";  // Latin-1 and a control byte
        city.sprites().replaceAll(std::move(figures));
        std::string why;
        ASSERT_TRUE(MapFile::saveWorld("city.map", city.map(), city.sprites(), &why)) << why;
    }

    // The quads the program compiles for a world file, counted after a frame.
    int32_t quadsTheProgramCompiles(const char* path) {
        clearArchiveEntries();
        declareMediaArchive();
        MainWindow* window = new MainWindow(mainWindowDescription());
        window->openMapFile(path);
        window->onFrame();
        int32_t quads = 0;
        TamoMap& map = *window->getEngineCore()->map;
        for (int32_t i = 0; i < map.sectorCount(); ++i)
            quads += static_cast<int32_t>(map.sector(i)->quadTable->liveQuads().size());
        if (anyWindowRegistered())
            delete window;
        return quads;
    }

    ScratchFolder folder{"tamo_city"};
};

}  // namespace

TEST_F(CityCommandsTest, GlbHoldsTwoTrianglesPerCompiledQuadAndTheFiguresByName) {
    writeCity(7);
    const int32_t compiled = quadsTheProgramCompiles("city.map");
    ASSERT_GT(compiled, 50);
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "city.glb", false, out, err), 0) << err.str();

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, "city.glb")) << error;
    std::map<std::string, size_t> triangles;
    for (const tinygltf::Node& node : model.nodes) {
        ASSERT_GE(node.mesh, 0);
        for (const tinygltf::Primitive& primitive : model.meshes[node.mesh].primitives) {
            EXPECT_EQ(primitive.mode, TINYGLTF_MODE_TRIANGLES);
            triangles[node.name] += model.accessors[primitive.indices].count / 3;
        }
    }
    EXPECT_EQ(triangles["blocks"], 2u * static_cast<size_t>(compiled));
    for (const char* name : {"Ada", "Bob Smith", "Z\xc3\xa9?", ""})
        EXPECT_EQ(triangles[name], 2u) << name;
    EXPECT_EQ(triangles.size(), 5u);

    // Every picture is the texture the program loads; 150 has none.
    int32_t textured = 0;
    for (const tinygltf::Material& material : model.materials) {
        const int index = material.pbrMetallicRoughness.baseColorTexture.index;
        if (material.name == "texture 150") {
            EXPECT_EQ(index, -1);
            continue;
        }
        ASSERT_GE(index, 0) << material.name;
        const tinygltf::Image& image = model.images[model.textures[index].source];
        if (material.name == "texture 118") {
            const std::vector<uint8_t> raw = readFileBytes("Textures/18_64_64.raw");
            ASSERT_EQ(image.width * image.height * 3, static_cast<int>(raw.size()));
            EXPECT_EQ(std::vector<uint8_t>(image.image.begin(), image.image.begin() + 3),
                      std::vector<uint8_t>(raw.begin(), raw.begin() + 3));
            EXPECT_EQ(material.alphaMode, "OPAQUE");
        }
        if (material.name == "texture 101" || material.name == "texture 5") {
            EXPECT_EQ(material.alphaMode, "MASK");
        }
        ++textured;
    }
    EXPECT_GE(textured, 5);
    // One line says what was written.
    size_t all = 0;
    for (const auto& [name, count] : triangles)
        all += count;
    EXPECT_EQ(out.str(), "tamotown: wrote city.glb: " + std::to_string(all) + " triangles, " +
                             std::to_string(model.materials.size()) + " materials, " +
                             std::to_string(model.images.size()) + " pictures\n");
}

TEST_F(CityCommandsTest, ObjFacesAndTextureReferencesAgree) {
    writeCity(8);
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "out/../city.obj", false, out, err), 1);
    // The first file it could not write, and the system's reason.
    EXPECT_EQ(err.str().rfind("tamotown: out/../city.obj: city-", 0), 0u) << err.str();
    EXPECT_NE(err.str().find(".png: No such file or directory\n"), std::string::npos) << err.str();
    ASSERT_EQ(CityCommands::exportCity("city.map", "city.OBJ", false, out, err), 0) << err.str();
    HeadlessCity city;
    std::string why;
    ASSERT_TRUE(city.load("city.map", &why));
    ASSERT_TRUE(city.loadMedia(&why)) << why;
    WorldMesh mesh;
    mesh.addBlocks(city.map());
    mesh.addSprites(city.sprites(), city.sheet());

    std::set<std::string> defined, pictures;
    std::ifstream mtl("city.mtl");
    for (std::string word, rest; mtl >> word && std::getline(mtl >> std::ws, rest);) {
        if (word == "newmtl")
            defined.insert(rest);
        if (word == "map_Kd" || word == "map_d") {
            const std::vector<uint8_t> png = readFileBytes(rest);
            EXPECT_TRUE(png.size() > 8 && png[1] == 'P' && png[2] == 'N' && png[3] == 'G') << rest;
            // Each picture once: a viewer loads every line it finds.
            EXPECT_TRUE(pictures.insert(rest).second) << rest << " listed twice";
        }
    }
    EXPECT_EQ(pictures.count("city-118.png"), 1u);
    EXPECT_EQ(pictures.count("city-150.png"), 0u);

    size_t vertices = 0, texCoords = 0, faces = 0, objects = 0;
    std::ifstream obj("city.OBJ");
    for (std::string line; std::getline(obj, line);) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "v")
            ++vertices;
        else if (word == "vt")
            ++texCoords;
        else if (word == "o")
            ++objects;
        else if (word == "usemtl") {
            std::string name;
            in >> name;
            EXPECT_EQ(defined.count(name), 1u) << name;
        } else if (word == "f") {
            ++faces;
            size_t v = 0, t = 0;
            char slash = 0;
            for (int corner = 0; corner < 3; ++corner) {
                ASSERT_TRUE(in >> v >> slash >> t) << line;
                EXPECT_TRUE(v >= 1 && v <= vertices && v == t && t <= texCoords) << line;
            }
            EXPECT_FALSE(in >> word) << "triangles only: " << line;
        }
    }
    EXPECT_EQ(faces, 2u * static_cast<size_t>(mesh.quadCount()));
    EXPECT_EQ(vertices, 4u * static_cast<size_t>(mesh.quadCount()));
    EXPECT_EQ(objects, 1u + mesh.sprites.size());
}

TEST_F(CityCommandsTest, InfoDescribesAWorldAndBadFilesWriteNothing) {
    HeadlessCity city;
    FaceMaterial material;
    material.texture = 113;
    city.map().setBlockAt({40015.0f, 60020.0f, 40005.0f}, true, material);
    std::vector<SpriteObject> figures(4);
    figures[0].name = "Ada";
    for (int i = 1; i < 4; ++i) {
        figures[i].id = i;
        figures[i].type = i < 3 ? 4 : 77;  // two trees and a type the sheet does not have
    }
    city.sprites().replaceAll(std::move(figures));
    std::string why;
    ASSERT_TRUE(MapFile::saveWorld("two.map", city.map(), city.sprites(), &why));
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::printInfo("two.map", out, err), 0);
    EXPECT_EQ(out.str(),
              "two.map\nsectors: 1\nblocks: 2\nsprite objects: 4\n  0 \"Ada\" type 0 at (0, 0, 0)\n"
              "  1 \"\" type 4 at (0, 0, 0)\n  2 \"\" type 4 at (0, 0, 0)\n"
              "  3 \"\" type 77 at (0, 0, 0)\n"
              "figure types: man (1), tree (2), type 77 (1)\n"
              "bounding box: (40000, 60000, 40000) to (40020, 60030, 40010)\n"
              "textures: 100 113\n");
    EXPECT_EQ(err.str(), "");

    const std::vector<uint8_t> good = readFileBytes("two.map");
    writeFileBytes("short.map", std::vector<uint8_t>(good.begin(), good.end() - 3));
    writeFileBytes("empty.map", {});
    fs::create_directory("folder.map");
    ASSERT_EQ(mkfifo("pipe.map", 0600), 0);  // would block a plain open for ever
    for (const char* bad : {"short.map", "empty.map", "missing.map", "folder.map", "pipe.map"}) {
        HeadlessCity probe;
        std::string reason;
        ASSERT_FALSE(probe.load(bad, &reason)) << bad;
        const std::string expected = std::string("tamotown: ") + bad + ": " + reason + "\n";
        const std::set<std::string> before = filesIn(fs::current_path());
        for (const char* target : {"bad.glb", "bad.obj"}) {
            std::ostringstream failure;
            std::ostringstream written;
            EXPECT_EQ(CityCommands::exportCity(bad, target, false, written, failure), 1);
            EXPECT_EQ(written.str(), "");
            EXPECT_EQ(failure.str(), expected);
        }
        std::ostringstream printed, failure;
        EXPECT_EQ(CityCommands::printInfo(bad, printed, failure), 1);
        EXPECT_EQ(failure.str(), expected);
        EXPECT_EQ(printed.str(), "");
        EXPECT_EQ(filesIn(fs::current_path()), before) << bad;
        const std::string name = bad;
        EXPECT_TRUE(name != "folder.map" || reason.find("is a folder") != std::string::npos)
            << reason;
        EXPECT_TRUE(name != "pipe.map" || reason.find("is not a regular file") != std::string::npos)
            << reason;
    }
}

// An OBJ export that fails part way (here: the .obj's name is a folder)
// leaves no part of its set, and never new pictures beside an older set.
TEST_F(CityCommandsTest, AFailedObjExportLeavesNoPartOfItsSet) {
    writeCity(3);
    std::ostringstream out, err;
    const std::set<std::string> before = filesIn(fs::current_path());
    fs::create_directory("city.obj");
    EXPECT_EQ(CityCommands::exportCity("city.map", "city.obj", false, out, err), 1);
    std::set<std::string> after = filesIn(fs::current_path());
    after.erase("city.obj");
    EXPECT_EQ(after, before);
}

namespace {

// The corners of every triangle of a node of a .glb, three a triangle.
std::vector<Vector3> trianglesOf(const tinygltf::Model& model, const std::string& nodeName) {
    std::vector<Vector3> corners;
    for (const tinygltf::Node& node : model.nodes) {
        if (node.name != nodeName)
            continue;
        for (const tinygltf::Primitive& primitive : model.meshes[node.mesh].primitives) {
            const auto bytes = [&](int accessor) {
                const tinygltf::BufferView& view =
                    model.bufferViews[model.accessors[accessor].bufferView];
                return model.buffers[view.buffer].data.data() + view.byteOffset +
                       model.accessors[accessor].byteOffset;
            };
            const auto* positions =
                reinterpret_cast<const float*>(bytes(primitive.attributes.at("POSITION")));
            const auto* indices = reinterpret_cast<const uint32_t*>(bytes(primitive.indices));
            for (size_t i = 0; i < model.accessors[primitive.indices].count; ++i) {
                const float* p = positions + 3 * indices[i];
                corners.emplace_back(p[0], p[1], p[2]);
            }
        }
    }
    return corners;
}

tinygltf::Model loadGlb(const char* path) {
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
    return model;
}

}  // namespace

// By default the middle of the city's ground lies at the origin; with
// keepPosition the quads keep world coordinates, and the two differ by that
// one offset. Every block triangle winds counter-clockwise seen from outside:
// a block lies behind it and none in front.
TEST_F(CityCommandsTest, ExportIsCentredOnItsGroundAndBlockFacesWindOutward) {
    writeCity(9);
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "centred.glb", false, out, err), 0);
    ASSERT_EQ(CityCommands::exportCity("city.map", "kept.glb", true, out, err), 0);
    const tinygltf::Model centred = loadGlb("centred.glb"), kept = loadGlb("kept.glb");
    ASSERT_EQ(centred.nodes.size(), kept.nodes.size());
    std::vector<Vector3> a, b;
    for (const tinygltf::Node& node : kept.nodes) {
        const std::vector<Vector3> nodeA = trianglesOf(centred, node.name);
        const std::vector<Vector3> nodeB = trianglesOf(kept, node.name);
        a.insert(a.end(), nodeA.begin(), nodeA.end());
        b.insert(b.end(), nodeB.begin(), nodeB.end());
    }
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 300u);
    Vector3 low = b[0], high = b[0];
    for (const Vector3& p : b) {
        low = componentMin(low, p);
        high = componentMax(high, p);
    }
    EXPECT_GE(low.y, 59990.0f);  // world coordinates
    const Vector3 ground((low.x + high.x) / 2, low.y, (low.z + high.z) / 2);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_LT(distance(a[i] + ground, b[i]), 0.01f) << i;

    // Occupied cells from the world file's blocks, 10 x 15 x 10 units each.
    HeadlessCity city;
    std::string why;
    ASSERT_TRUE(city.load("city.map", &why));
    std::set<std::tuple<int64_t, int64_t, int64_t>> solid;
    const auto cellOf = [](const Vector3& p) {
        return std::make_tuple(static_cast<int64_t>(std::floor(p.x / 10.0f)),
                               static_cast<int64_t>(std::floor(p.y / 15.0f)),
                               static_cast<int64_t>(std::floor(p.z / 10.0f)));
    };
    for (int32_t s = 0; s < city.map().sectorCount(); ++s) {
        const TamoSector& sector = *city.map().sector(s);
        for (const MapBlock& block : sector.blocks)
            if (block.used)
                solid.insert(
                    cellOf(sector.origin + Vector3(block.x * 10.0f + 5.0f, block.y * 15.0f + 7.5f,
                                                   block.z * 10.0f + 5.0f)));
    }
    // A face wound the wrong way round has no block behind it. (Faces between
    // two blocks, which the sectors keep, have one on either side.)
    const std::vector<Vector3> blocks = trianglesOf(kept, "blocks");
    size_t open = 0;
    for (size_t t = 0; t < blocks.size(); t += 3) {
        const Vector3 normal = cross(blocks[t + 1] - blocks[t], blocks[t + 2] - blocks[t]);
        const Vector3 outward = normal * (1.0f / std::sqrt(dot(normal, normal)));
        // A point inside the triangle, half a unit either side of it.
        const Vector3 inside = (blocks[t] + blocks[t + 1] + blocks[t + 2]) * (1.0f / 3.0f);
        ASSERT_EQ(solid.count(cellOf(inside - outward * 0.5f)), 1u) << "triangle " << t / 3;
        open += solid.count(cellOf(inside + outward * 0.5f)) == 0;
    }
    EXPECT_GT(open, blocks.size() / 3 / 2);
}

// Each figure is an OBJ object of its own name, made unique, "figure-<id>"
// without one; a figure named like the blocks does not take their name.
TEST_F(CityCommandsTest, ObjGivesEveryFigureAnObjectOfItsOwnName) {
    HeadlessCity city;
    city.map().setBlockAt({40015.0f, 60020.0f, 40005.0f}, true);
    const char* names[] = {"Ada", "Ada", "", "", "blocks", "Bob Smith", "Ada-1"};
    std::vector<SpriteObject> figures(7);
    for (int i = 0; i < 7; ++i) {
        figures[i].id = 10 + i;
        figures[i].name = names[i];
        figures[i].position = {40000.0f + 20.0f * i, 60000.0f, 40000.0f};
    }
    city.sprites().replaceAll(std::move(figures));
    std::string why;
    ASSERT_TRUE(MapFile::saveWorld("city.map", city.map(), city.sprites(), &why)) << why;
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "city.obj", false, out, err), 0) << err.str();
    std::vector<std::string> objects;
    std::ifstream obj("city.obj");
    for (std::string word, rest; obj >> word && std::getline(obj >> std::ws, rest);)
        if (word == "o")
            objects.push_back(rest);
    EXPECT_EQ(objects, (std::vector<std::string>{"blocks", "Ada", "Ada-11", "figure-12",
                                                 "figure-13", "blocks-14", "Bob_Smith", "Ada-1"}));
    EXPECT_EQ(out.str().rfind("tamotown: wrote city.obj and city.mtl: ", 0), 0u) << out.str();
}
