// The sandbox a city script runs in: what it cannot reach, the limits that
// stop it (small here, so each is reached in milliseconds), and that a
// script that fails anywhere leaves the world as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/CityScript.h"
#include "support/ScratchFolder.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"
#include "world/WorldHistory.h"

namespace {

class LuaSandboxTest : public ::testing::Test {
protected:
    LuaSandboxTest() {
        host.sprites = new TamoSpriteObjectSet(&host);
        host.map = new TamoMap(&host);
        limits.seconds = 0.2;
        limits.hookInstructions = 1000;
        limits.changes = 5000;
        limits.memoryBytes = size_t{32} << 20;
    }

    std::vector<uint8_t> bytes() const { return MapFile::snapshotWorld(*host.map, *host.sprites); }

    // Runs text (its changes first: a fill of 1,000 cells) and expects it to
    // fail with a message holding what, the world untouched.
    void expectFailure(const std::string& text, const std::string& what) {
        const std::vector<uint8_t> before = bytes();
        const int32_t sectors = host.map->sectorCount();
        const CityScript::Result result = run(
            "city.fill(3990, 4000, 3990, 3999, 4009, 3999, city.material{texture = 101})\n" + text);
        EXPECT_FALSE(result.done) << text;
        EXPECT_NE(result.message.find(what), std::string::npos) << text << ": " << result.message;
        EXPECT_EQ(result.message.rfind("test.lua:", 0), 0u) << result.message;
        EXPECT_EQ(host.map->sectorCount(), sectors) << text;
        EXPECT_TRUE(bytes() == before) << text;
    }

    CityScript::Result run(const std::string& text) {
        CityScript script(*host.map, *host.sprites, nullptr);
        script.setLimits(limits);
        ScriptCity::Surroundings around;
        around.textureLoaded = [](int32_t t) { return t >= 100 && t <= 106; };
        around.print = [this](const std::string& line) { printed.push_back(line); };
        script.setSurroundings(around);
        return script.runText(text, "test.lua", folder.path());
    }

    TestHost host{nullptr, nullptr, nullptr, 100, 3, 4};
    ScriptLimits limits;
    ScratchFolder folder{"tamo-sandbox"};
    std::vector<std::string> printed;
};

TEST_F(LuaSandboxTest, ForbiddenLibrariesAndCallsAreAbsent) {
    const CityScript::Result result = run(
        "for _, name in ipairs{'io', 'os', 'package', 'require', 'dofile', 'loadfile', 'debug',\n"
        "                      'coroutine', 'utf8', 'collectgarbage'} do\n"
        "  if name ~= 'collectgarbage' then assert(_G[name] == nil, name) end\n"
        "end\n"
        "assert(string.dump == nil)\n"
        "local f, why = load(string.char(27) .. 'Lua' .. string.rep('x', 40))\n"
        "assert(f == nil and why:find('binary'), why)\n"
        "assert(load(function() return 'return 1' end) == nil)\n"
        "assert(load('return 6 * 7')() == 42)\n"
        "assert(not pcall(setmetatable, {}, {__gc = function() while true do end end}))\n"
        "print('base', math.floor(2.5), table.concat({'a', 'b'}), ('x'):rep(3))\n");
    EXPECT_TRUE(result.done) << result.message;
    EXPECT_EQ(printed, std::vector<std::string>{"base\t2\tab\txxx"});
}

TEST_F(LuaSandboxTest, LimitsStopTheScriptWhateverCatchesThemAndChangeNothing) {
    expectFailure("while true do end", "ran longer than 0.2 seconds");
    // A limit is not caught by pcall, nor by a handler of xpcall.
    expectFailure("while true do pcall(function() while true do end end) end", "ran longer");
    expectFailure("while true do xpcall(function() while true do end end, print) end",
                  "ran longer");
    expectFailure("local m = city.material{texture = 102}\n"
                  "for x = 4000, 4100 do pcall(city.fill, x, 4000, 4000, x, 4000, 4099, m) end",
                  "more than 5000 changes");
    expectFailure("for i = 1, 20 do city.figure(4000, 4000, 4000, 0, '', 0) end\n"
                  "city.fill(4000, 4010, 4000, 4050, 4010, 4097, city.material{texture = 103})",
                  "more than 5000 changes");
    expectFailure("local s, t = ('x'):rep(100000), {} for i = 1, 1e9 do t[i] = s .. i end",
                  "MiB of memory");
    expectFailure("local s = ('x'):rep(1 << 28)", "MiB of memory");
    // Deep recursion ends in an error (the stack's limit or memory's), never a crash.
    expectFailure("local function f(n) return f(n + 1) + 1 end f(1)", "test.lua:");
    expectFailure("local t = setmetatable({}, {__index = function(t, k) return t[k] end})\n"
                  "return t.x",
                  "stack overflow");
    expectFailure("local s = ('a'):rep(100000) s:find('.-.-.-b')", "could take too long");
    expectFailure("city.fill(0, 0, 0, 3000, 3, 3000, city.material{texture = 101})",
                  "more than 5000");
}

TEST_F(LuaSandboxTest, AnErrorOrARefusedCallHalfWayLeavesTheWorldAsItWas) {
    expectFailure("city.set(4000, 4001, 4000, city.material{texture = 101})\nerror('no')",
                  "test.lua:3: no");
    expectFailure("city.sphere(4000, 4000, 4000, 6, city.material{texture = 7})", "not loaded");
    expectFailure("city.set(4000, 4000, 4000, {texture = 101, rotation = 4})",
                  "test.lua:2: city.set: rotation must be 0 to 3, not 4");
    expectFailure("city.material{texture = 101, scale_x = 2}", "unknown field scale_x");
    expectFailure("city.material{texture = 101, scale_u = 0}",
                  "scale_u must be 1 to 127, or -127 to -1 to mirror, not 0");
    expectFailure("city.material{texture = 101, scale_v = -128}", "scale_v must be 1 to 127");
    expectFailure("city.material{texture = 101, scale_v = 128}", "scale_v must be 1 to 127");
    expectFailure("city.line(4000, 4000, 4000, 4010, 4000.5, 4000, {texture = 101})",
                  "y1 must be a whole number, not 4000.5");
    expectFailure("city.set(2000000, 0, 0, city.material{texture = 101})", "x must be");
    expectFailure("city.figure(4000, 4000, 4000, 'dragon', 'x', 0)", "no figure type");
    expectFailure("city.stamp('../elsewhere.map', 4000, 4000, 4000)", "relative");
    expectFailure("city.stamp('none.map', 4000, 4000, 4000)", "no stamp none.map");
    expectFailure("city.fill(4000, 4000, 4000, 4001, 4001, 4001)", "must be a material");
}

}  // namespace
