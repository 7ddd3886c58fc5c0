#include "app/MediaFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

TEST(MediaFolder, TheFirstPlaceHoldingTheArchiveWinsAndEveryPlaceLookedInIsNamed) {
    ScratchFolder folder("tamo-media");
    ASSERT_TRUE(folder.made());
    const fs::path scratch = folder.path();
    for (const char* place : {"empty", "first", "second"})
        fs::create_directories(scratch / place);
    std::ofstream(scratch / "first" / "TamoData.arc") << "x";
    std::ofstream(scratch / "second" / "TamoData.arc") << "x";
    fs::create_directories(scratch / "empty" / "TamoData.arc");  // a folder is no archive
    const std::string empty = (scratch / "empty").string();
    const std::string first = (scratch / "first").string();
    const std::string second = (scratch / "second").string();

    const MediaFolder found = MediaFolder::locate({empty, first, second}, "TamoData.arc");
    EXPECT_TRUE(found.found());
    EXPECT_EQ(found.path("Textures\\*.raw"), first + "/Textures\\*.raw");
    EXPECT_EQ(found.shownFolder(), first);

    // None: the working directory, and the message names each place once.
    const fs::path previous = fs::current_path();
    fs::current_path(scratch / "empty");
    const MediaFolder none =
        MediaFolder::locate({"", empty, second + "/missing", empty}, "TamoData.arc");
    EXPECT_FALSE(none.found());
    EXPECT_EQ(none.path("pip.wav"), "pip.wav");
    EXPECT_EQ(none.placesSearched(), empty + ", " + second + "/missing");
    // The working directory itself holding the archive keeps names relative.
    fs::current_path(scratch / "first");
    const MediaFolder here = MediaFolder::locate({"", second}, "TamoData.arc");
    EXPECT_TRUE(here.found());
    EXPECT_EQ(here.path("TamoData.arc"), "TamoData.arc");
    EXPECT_EQ(here.shownFolder(), first);
    fs::current_path(previous);

    // The standard places: here, the executable's folder, the data folder beside it.
    const std::vector<std::string> places = MediaFolder::standardPlaces();
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0], "");
    EXPECT_EQ(fs::path(places[1]).filename(), "tests");
    EXPECT_EQ(fs::path(places[2]), (fs::path(places[1]).parent_path() / "share" / "tamotown"));
}
