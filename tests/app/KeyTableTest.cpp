#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/KeyTable.h"
#include "platform/Window.h"

namespace {

// The rows of the first "| Key | Effect |" table under the README heading
// named section (any level), header and rule left out.
std::vector<std::string> readmeKeyRows(const std::string& section) {
    std::ifstream in(std::string(TAMO_SOURCE_DIR) + "/README.md");
    EXPECT_TRUE(in.good());
    std::vector<std::string> rows;
    std::string line;
    bool inSection = false, inTable = false;
    while (std::getline(in, line)) {
        if (line.rfind("#", 0) == 0) {
            const size_t text = line.find_first_not_of("# ");
            if (inTable)
                break;
            inSection = text != std::string::npos && line.substr(text) == section;
            continue;
        }
        if (!inSection)
            continue;
        if (line == "| Key | Effect |") {
            inTable = true;
            continue;
        }
        if (!inTable || line == "|---|---|")
            continue;
        if (line.rfind("|", 0) != 0)
            break;
        rows.push_back(line);
    }
    return rows;
}

TEST(KeyTableTest, ReadmeKeyTablesListExactlyTheTablesRows) {
    for (const char* section : {"Keys", "Building faster", "Scripts and shapes"}) {
        const std::vector<std::string> expected = KeyTable::readmeRows(section);
        EXPECT_FALSE(expected.empty()) << section;
        EXPECT_EQ(readmeKeyRows(section), expected) << section;
    }
}

TEST(KeyTableTest, EveryCommandKeyIsFoundByItsExactModifiersAndNoKeyRunsTwoCommands) {
    std::set<std::pair<int32_t, int32_t>> seen;
    for (const KeyBinding& binding : KeyTable::bindings()) {
        if (binding.command == KeyCommand::Held || binding.command == KeyCommand::NameKeys) {
            EXPECT_EQ(KeyTable::find(binding.key, binding.modifiers), nullptr);
            continue;
        }
        EXPECT_TRUE(seen.insert({binding.key, binding.modifiers}).second)
            << "key " << binding.key << " with modifiers " << binding.modifiers << " twice";
        EXPECT_EQ(KeyTable::find(binding.key, binding.modifiers), &binding);
    }
    // Plain letters other than the command letters stay free for names.
    for (char letter : std::string("ABDEGHIJKLNOQSTUVWXYZ0123456789"))
        EXPECT_EQ(KeyTable::find(letter, 0), nullptr) << letter;
}

}  // namespace

namespace {

// Every section the table names, new ones included, has its README table
// listing exactly its rows.
TEST(KeyTableTest, EverySectionOfTheTableIsAReadmeKeyTable) {
    const std::vector<std::string> sections = KeyTable::sections();
    EXPECT_GE(sections.size(), 3u);
    for (const std::string& section : sections)
        EXPECT_EQ(readmeKeyRows(section), KeyTable::readmeRows(section)) << section;
}

}  // namespace
