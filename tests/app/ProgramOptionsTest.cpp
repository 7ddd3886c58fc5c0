#include "app/ProgramOptions.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Parsed {
    int code;
    ProgramOptions options;
    std::string out, err;
};

Parsed parse(std::vector<const char*> words) {
    words.insert(words.begin(), "tamotown");
    Parsed result;
    std::ostringstream out, err;
    result.code = ProgramOptions::parse(static_cast<int>(words.size()), words.data(),
                                        &result.options, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// Lines of the option list (indented) that hold word.
int listLinesHolding(const std::string& text, const std::string& word) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.rfind("  ", 0) == 0 && line.find(word) != std::string::npos;
    return count;
}

}  // namespace

TEST(ProgramOptions, StartOptionsAreReadAndTheDefaultsAreTheFullScreenProgram) {
    Parsed none = parse({});
    EXPECT_EQ(none.code, -1);
    EXPECT_TRUE(none.options.cityFile.empty());
    EXPECT_FALSE(none.options.windowed);
    EXPECT_EQ(none.options.scale, 1);
    EXPECT_FALSE(none.options.stats);
    EXPECT_EQ(none.options.autosaveSeconds, 60);
    EXPECT_EQ(none.out + none.err, "");
    EXPECT_EQ(parse({"--autosave", "0"}).options.autosaveSeconds, 0);
    EXPECT_EQ(parse({"--autosave=5"}).options.autosaveSeconds, 5);

    Parsed all = parse({"--windowed", "--stats", "my city.map"});
    EXPECT_EQ(all.code, -1);
    EXPECT_TRUE(all.options.stats);
    EXPECT_EQ(all.options.cityFile, "my city.map");
    EXPECT_TRUE(all.options.windowed);
    EXPECT_EQ(all.options.scale, 1);

    Parsed scaled = parse({"--scale", "3"});
    EXPECT_EQ(scaled.code, -1);
    EXPECT_EQ(scaled.options.scale, 3);
    EXPECT_TRUE(scaled.options.windowed);  // a scale only means something in a window
    EXPECT_EQ(parse({"--scale=4", "--", "-odd.map"}).options.cityFile, "-odd.map");
}

TEST(ProgramOptions, HelpAndVersionPrintAndEndWithZero) {
    Parsed help = parse({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    for (const char* option : {"--help", "--version", "--windowed", "--scale", "--stats",
                               "--autosave", "CITY.map", "--export", "--info"})
        EXPECT_EQ(listLinesHolding(help.out, option), 1) << option << " in\n" << help.out;

    Parsed version = parse({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("tamotown ") + programVersion() + "\n");
    EXPECT_NE(std::string(programVersion()), "0.0.0");
}

TEST(ProgramOptions, WrongArgumentsGiveOneLineAndExitCodeTwo) {
    const std::vector<std::vector<const char*>> wrong = {
        {"--fullscreen"},
        {"-x"},
        {"--scale", "5"},
        {"--scale", "0"},
        {"--scale", "two"},
        {"--scale"},
        {"a.map", "b.map"},
        {"--export", "a.map"},
        {"--export", "a.map", "b.png"},
        {"--export", "a.map", ".glb"},
        {"--export", "a.map", "b.glb", "c.map"},
        {"--info", "a.map", "b.map"},
        {"--info", "a.map", "--export", "a.map", "b.obj"},
        {"--info"},
        {"--autosave", "-1"},
        {"--serve", "a.map", "--join", "h"},
        {"--serve", "a.map", "b.map"},
        {"--serve", "a.map", "--port", "0"},
        {"--port", "7000"},
        {"--password-file", "p"},
        {"--name", "ann"},
        {"--join", "h", "a.map"}};
    for (const auto& words : wrong) {
        Parsed bad = parse(words);
        EXPECT_EQ(bad.code, 2) << words[0];
        EXPECT_EQ(bad.out, "") << words[0];
        ASSERT_FALSE(bad.err.empty()) << words[0];
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
        EXPECT_EQ(bad.err.rfind("tamotown: ", 0), 0u) << bad.err;
    }
}

// An option without its values says what to type, in the words of the help.
TEST(ProgramOptions, MissingValuesAreNamedPlainly) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--scale"}, "--scale needs a number N from 1 to 4"},
        {{"--windowed", "--scale"}, "--scale needs a number N from 1 to 4"},
        {{"--export", "a.map"}, "--export needs CITY.map and OUT.glb or OUT.obj"},
        {{"--export", "a.map", "--keep-position"},
         "--export needs CITY.map and OUT.glb or OUT.obj"},
        {{"--export"}, "--export needs CITY.map and OUT.glb or OUT.obj"},
        {{"--info"}, "--info needs CITY.map"},
        {{"--autosave"}, "--autosave needs a number of SECONDS"}};
    for (const auto& [words, message] : cases) {
        Parsed bad = parse(words);
        EXPECT_EQ(bad.code, 2) << message;
        EXPECT_EQ(bad.err, "tamotown: " + message + " (see tamotown --help)\n");
    }
    Parsed keep = parse({"--export", "a.map", "b.obj", "--keep-position"});
    EXPECT_EQ(keep.code, -1);
    EXPECT_TRUE(keep.options.keepPosition);
    EXPECT_FALSE(parse({"--export", "a.map", "b.obj"}).options.keepPosition);
    EXPECT_EQ(parse({"--keep-position"}).code, 2);  // nothing to keep it in
}

TEST(ProgramOptions, ExportAndInfoNameTheirFiles) {
    Parsed glb = parse({"--export", "my city.map", "out/City.GLB"});
    EXPECT_EQ(glb.code, -1);
    EXPECT_EQ(glb.options.exportCity, "my city.map");
    EXPECT_EQ(glb.options.exportFile, "out/City.GLB");
    EXPECT_TRUE(glb.options.cityFile.empty());
    EXPECT_TRUE(exportIsGlb(glb.options.exportFile));
    EXPECT_FALSE(exportIsGlb("city.obj"));
    EXPECT_TRUE(exportFormatKnown("city.obj"));
    EXPECT_FALSE(exportFormatKnown("city.glb.png"));

    Parsed info = parse({"--info", "a.map"});
    EXPECT_EQ(info.code, -1);
    EXPECT_EQ(info.options.infoCity, "a.map");
    EXPECT_TRUE(info.options.exportCity.empty());
}

TEST(ProgramOptions, ServeAndJoinTakeTheirSettings) {
    Parsed serve = parse({"--serve", "city.map"});
    EXPECT_EQ(serve.code, -1);
    EXPECT_EQ(serve.options.serveCity, "city.map");
    EXPECT_EQ(serve.options.port, 7878);
    EXPECT_EQ(serve.options.maxPeople, 16);
    Parsed set = parse(
        {"--serve", "c.map", "--port", "9000", "--max-people", "3", "--password-file", "pw.txt"});
    EXPECT_EQ(set.code, -1);
    EXPECT_EQ(set.options.port, 9000);
    EXPECT_EQ(set.options.maxPeople, 3);
    EXPECT_EQ(set.options.passwordFile, "pw.txt");

    Parsed join = parse({"--join", "[::1]:9000", "--name", "Ann", "--windowed"});
    EXPECT_EQ(join.code, -1);
    EXPECT_EQ(join.options.joinAddress, "[::1]:9000");
    EXPECT_EQ(join.options.name, "Ann");
    EXPECT_TRUE(join.options.windowed);
    EXPECT_TRUE(parse({}).options.joinAddress.empty());
    EXPECT_TRUE(parse({}).options.serveCity.empty());
}
