#include "app/MapFileCommands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/FileDialog.h"

namespace {

struct DialogCall {
    int32_t calls = 0;
    bool save = false;
    int32_t size = 0;
    bool zeroFilledAfterName = false;
    std::string proposed;
    std::string filter;  // with its zero bytes
    std::string extension;
    const char* answer = nullptr;  // null: cancel
};

DialogCall lastCall;

bool recordingDialog(uintptr_t, bool save, char* buffer, int32_t size, const char* filter,
                     const char* extension) {
    ++lastCall.calls;
    lastCall.save = save;
    lastCall.size = size;
    lastCall.proposed = buffer;
    lastCall.zeroFilledAfterName = true;
    for (int32_t i = static_cast<int32_t>(std::strlen(buffer)); i < size; ++i)
        lastCall.zeroFilledAfterName = lastCall.zeroFilledAfterName && buffer[i] == '\0';
    const char* end = filter;
    while (*end != '\0')
        end += std::strlen(end) + 1;
    lastCall.filter.assign(filter, static_cast<size_t>(end - filter) + 1);
    lastCall.extension = extension;
    if (lastCall.answer == nullptr)
        return false;
    std::strcpy(buffer, lastCall.answer);
    return true;
}

}  // namespace

TEST(MapFileCommands, DialogGetsTheProposedNameFilterAndExtension) {
    lastCall = DialogCall{};
    lastCall.answer = "/tmp/world.map";
    MapFileCommands commands;
    commands.dialog = &recordingDialog;
    char buffer[MapFileNameBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(commands.chooseFile(true, buffer));
    EXPECT_STREQ(buffer, "/tmp/world.map");
    EXPECT_EQ(lastCall.calls, 1);
    EXPECT_TRUE(lastCall.save);
    EXPECT_EQ(lastCall.size, MapFileNameBufferSize);
    EXPECT_GE(MapFileNameBufferSize, 4096) << "every path the system can name fits";
    EXPECT_EQ(lastCall.proposed, "default.map");
    EXPECT_TRUE(lastCall.zeroFilledAfterName);
    EXPECT_EQ(lastCall.extension, "map");
    EXPECT_EQ(lastCall.filter,
              std::string("TamoMap Files (*.map)\0*.map\0All Files (*.*)\0*.*\0\0", 49));

    const std::vector<FileDialogFilter> pairs = parseDialogFilter(MapFileFilter);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].description, "TamoMap Files (*.map)");
    EXPECT_EQ(pairs[1].description, "All Files (*.*)");
}

TEST(MapFileCommands, CancelAndEmptyAnswersChooseNothing) {
    lastCall = DialogCall{};
    MapFileCommands commands;
    commands.dialog = &recordingDialog;
    char buffer[MapFileNameBufferSize];
    EXPECT_FALSE(commands.chooseFile(false, buffer));
    EXPECT_FALSE(lastCall.save);
    lastCall.answer = "";
    EXPECT_FALSE(commands.chooseFile(false, buffer));
    EXPECT_EQ(lastCall.calls, 2);
}

// A current file whose path is longer than the old 300-byte buffer is still
// proposed: the save goes back to it, not to default.map in the working folder.
TEST(MapFileCommands, ALongCurrentNameIsProposedRatherThanDefaultMap) {
    lastCall = DialogCall{};
    MapFileCommands commands;
    commands.dialog = &recordingDialog;
    commands.proposedName = "/tmp/" + std::string(120, 'a') + "/" + std::string(230, 'b') + ".map";
    char buffer[MapFileNameBufferSize];
    EXPECT_FALSE(commands.chooseFile(true, buffer));
    EXPECT_EQ(lastCall.proposed, commands.proposedName);
}
