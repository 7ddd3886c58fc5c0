#include "app/CityCommands.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/HeadlessCity.h"
#include "app/InitApplication.h"
#include "app/MainWindow.h"
#include "engine/TamoEngineCore.h"
#include "media/Archive.h"
#include "platform/ScreenSize.h"
#include "platform/WindowRegistry.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "world/MapFile.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldMesh.h"
#include "world/WorldSettings.h"

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
        WorldSettings& settings = city.settings();
        const int32_t textures[] = {101, 103, 106, 113, 118, 150};  // 150: no picture
        for (int i = 0; i < 250; ++i) {
            settings.material.texture = textures[random() % 6];
            const Vector3 p(39905.0f + float(random() % 30) * 10.0f,
                            60007.0f + float(random() % 4) * 15.0f,
                            40005.0f + float(random() % 12) * 10.0f);
            city.map().setBlockAt(p, true);
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
    std::ostringstream err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "city.glb", err), 0) << err.str();

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
}

TEST_F(CityCommandsTest, ObjFacesAndTextureReferencesAgree) {
    writeCity(8);
    std::ostringstream err;
    ASSERT_EQ(CityCommands::exportCity("city.map", "out/../city.obj", err), 1);  // no folder
    ASSERT_EQ(CityCommands::exportCity("city.map", "city.OBJ", err), 0) << err.str();
    HeadlessCity city;
    std::string why;
    ASSERT_TRUE(city.load("city.map", &why));
    city.loadMedia();
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
            pictures.insert(rest);
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
    city.settings().material.texture = 113;
    city.map().setBlockAt({40015.0f, 60020.0f, 40005.0f}, true);
    std::vector<SpriteObject> figures(1);
    figures[0].name = "Ada";
    city.sprites().replaceAll(std::move(figures));
    std::string why;
    ASSERT_TRUE(MapFile::saveWorld("two.map", city.map(), city.sprites(), &why));
    std::ostringstream out, err;
    ASSERT_EQ(CityCommands::printInfo("two.map", out, err), 0);
    EXPECT_EQ(out.str(),
              "two.map\nsectors: 1\nblocks: 2\nsprite objects: 1\n  0 \"Ada\" type 0 at (0, 0, 0)\n"
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
            EXPECT_EQ(CityCommands::exportCity(bad, target, failure), 1);
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
    std::ostringstream err;
    const std::set<std::string> before = filesIn(fs::current_path());
    fs::create_directory("city.obj");
    EXPECT_EQ(CityCommands::exportCity("city.map", "city.obj", err), 1);
    std::set<std::string> after = filesIn(fs::current_path());
    after.erase("city.obj");
    EXPECT_EQ(after, before);
}
