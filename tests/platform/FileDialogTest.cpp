#include "platform/FileDialog.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <atomic>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

#include "support/ScratchFolder.h"

namespace {

const char MapFilter[] = "TamoMap Files (*.map)\0*.map\0All Files (*.*)\0*.*\0\0";

TEST(FileDialogRules, FilterPairsAreParsedAndAllFilesMatchesEverything) {
    const std::vector<FileDialogFilter> filters = parseDialogFilter(MapFilter);
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "TamoMap Files (*.map)");
    EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.map"});
    EXPECT_EQ(filters[1].description, "All Files (*.*)");
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*"});

    const char several[] = "Images\0*.raw; *.RAW;;*.bmp\0Lonely description\0";
    const std::vector<FileDialogFilter> more = parseDialogFilter(several);
    ASSERT_EQ(more.size(), 1u);  // a description without a pattern ends the list
    EXPECT_EQ(more[0].patterns, (std::vector<std::string>{"*.raw", "*.RAW", "*.bmp"}));

    EXPECT_TRUE(parseDialogFilter(nullptr).empty());
    EXPECT_TRUE(parseDialogFilter("\0").empty());
}

TEST(FileDialogRules, DefaultExtensionOnlyForNamesWithoutOne) {
    EXPECT_EQ(addDefaultExtension("/home/u/world", "map"), "/home/u/world.map");
    EXPECT_EQ(addDefaultExtension("/home/u/world.map", "map"), "/home/u/world.map");
    EXPECT_EQ(addDefaultExtension("/home/u/world.txt", "map"), "/home/u/world.txt");
    EXPECT_EQ(addDefaultExtension("/home/u/world.", "map"), "/home/u/world.map");
    EXPECT_EQ(addDefaultExtension("/home/u.v/world", "map"),
              "/home/u.v/world.map");  // dot in a folder
    EXPECT_EQ(addDefaultExtension("/home/u/.hidden", "map"), "/home/u/.hidden.map");
    EXPECT_EQ(addDefaultExtension("world", ".map"), "world.map");
    EXPECT_EQ(addDefaultExtension("world", ""), "world");
    EXPECT_EQ(addDefaultExtension("world", nullptr), "world");
    EXPECT_EQ(addDefaultExtension("/home/u/", "map"), "/home/u/");
}

TEST(FileDialogRules, PathsThatDoNotFitAreRefusedNotTruncated) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(copyPathToBuffer("/a/bc.map", buffer, 8));
    EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");
    EXPECT_FALSE(copyPathToBuffer("1234567", buffer, 7));  // no room for the zero
    EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");
    EXPECT_TRUE(copyPathToBuffer("1234567", buffer, 8));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_FALSE(copyPathToBuffer("a", nullptr, 8));
    EXPECT_FALSE(copyPathToBuffer("a", buffer, 0));
    EXPECT_FALSE(copyPathToBuffer("a", buffer, -5));
}

TEST(FileDialogRules, BadArgumentsAndNoDisplayGiveFalse) {
    char buffer[16] = "default.map";
    EXPECT_FALSE(fileDialog(0, true, nullptr, 300, MapFilter, "map"));
    EXPECT_FALSE(fileDialog(0, true, buffer, 0, MapFilter, "map"));
    // Without any display the dialog cannot open; checked in a fresh process
    // so that no earlier test has started GTK already.
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            const bool shown = fileDialog(0, false, buffer, sizeof buffer, MapFilter, "map");
            std::exit(!shown && std::strcmp(buffer, "default.map") == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Tests that run side by side on one X server would type into each other's
// windows. So, unless this process already uses a display, the dialog gets an
// X server of its own, which ends with this process.
void useOwnDisplay() {
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    if (SDL_WasInit(SDL_INIT_VIDEO) || std::system("command -v Xvfb >/dev/null 2>&1") != 0)
        return;
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (pid > 0 && poll(&wait, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    close(fds[0]);
    if (!number.empty())
        setenv("DISPLAY", (":" + number).c_str(), 1);
}

// The dialog driven for real: a helper thread types into it with xdotool
// while the test thread sits in the modal dialog.
class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        useOwnDisplay();
        if (!std::getenv("DISPLAY") || std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "needs an X display and xdotool";
        setenv("GSETTINGS_BACKEND", "memory", 0);
        ASSERT_TRUE(scratch.made());
        dir = scratch.path();
    }
    void TearDown() override {
        if (driver.joinable()) {
            dialogReturned = true;
            driver.join();
        }
    }

    void touch(const std::string& name) const {
        FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }

    // Each step is "wait <title>", "type <text>" or "key <keys>". When the
    // dialog has not returned a few seconds after the last step, the driver
    // presses Escape until it does, so a fault fails the test instead of hanging it.
    void drive(std::vector<std::string> steps) {
        dialogReturned = false;
        driver = std::thread([this, steps]() {
            for (const std::string& step : steps) {
                std::string command;
                if (step.rfind("wait ", 0) == 0)
                    // Polled rather than --sync: a search that meets a window
                    // another test closes at that moment fails, and is asked again.
                    command = "timeout 15 sh -c \"until xdotool search --onlyvisible --name '^" +
                              step.substr(5) +
                              "$' >/dev/null 2>&1; do sleep 0.1; done\" && sleep 0.6";
                else if (step.rfind("type ", 0) == 0)
                    command = "xdotool type --delay 30 '" + step.substr(5) + "' && sleep 0.2";
                else
                    command = "xdotool key --delay 60 " + step.substr(4) + " && sleep 0.3";
                if (std::system(command.c_str()) != 0)
                    ADD_FAILURE() << "driver step failed: " << step;
            }
            for (int i = 0; i < 50 && !dialogReturned; ++i)
                usleep(100 * 1000);
            for (int i = 0; i < 6 && !dialogReturned; ++i) {
                if (i == 0)
                    ADD_FAILURE() << "the dialog was still open after the last step";
                EXPECT_EQ(std::system("xdotool key Escape; sleep 1"), 0);
            }
        });
    }

    bool runDialog(bool save, char* buffer, int32_t size, uintptr_t owner = 0) {
        const bool result = fileDialog(owner, save, buffer, size, MapFilter, "map");
        dialogReturned = true;
        driver.join();
        // Once the call has returned, no chooser or question of it may stay
        // on the screen (its removal must have reached the X server).
        EXPECT_NE(std::system("xdotool search --onlyvisible --name "
                              "'^(Save As|Open|Replace File)' >/dev/null 2>&1"),
                  0)
            << "a dialog window stayed on the screen after the call returned";
        return result;
    }

    std::atomic<bool> dialogReturned{false};
    ScratchFolder scratch{"tamo_dialog"};
    std::string dir;
    std::thread driver;
};

}  // namespace

TEST_F(FileDialogTest, SaveAddsTheExtensionToATypedName) {
    char buffer[300] = {};
    std::snprintf(buffer, sizeof buffer, "%s/default.map", dir.c_str());
    drive({"wait Save As", "key ctrl+a", "type world", "key Return"});
    EXPECT_TRUE(runDialog(true, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), dir + "/world.map");
}

TEST_F(FileDialogTest, SaveOverExistingFileAsksFirst) {
    touch("world.map");
    char buffer[300] = {};
    std::snprintf(buffer, sizeof buffer, "%s/default.map", dir.c_str());
    // Refusing the replacement returns to the chooser; Escape there cancels.
    drive({"wait Save As", "key ctrl+a", "type world", "key Return", "wait Replace File",
           "key Escape", "wait Save As", "key Escape"});
    EXPECT_FALSE(runDialog(true, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), dir + "/default.map");

    drive({"wait Save As", "key ctrl+a", "type world", "key Return", "wait Replace File",
           "key alt+r"});
    EXPECT_TRUE(runDialog(true, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), dir + "/world.map");
}

TEST_F(FileDialogTest, EscapeCancelsAndLeavesTheBuffer) {
    char buffer[300] = "default.map";
    drive({"wait Open", "key Escape"});
    EXPECT_FALSE(runDialog(false, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "default.map");
}

TEST_F(FileDialogTest, PathLongerThanTheBufferIsRefused) {
    char buffer[300] = {};
    std::snprintf(buffer, sizeof buffer, "%s/default.map", dir.c_str());
    const int32_t size = static_cast<int32_t>(std::strlen(buffer)) + 1;  // "default.map" just fits
    drive({"wait Save As", "key ctrl+a", "type defaults", "key Return", "wait Cannot Use This Name",
           "key Return", "wait Save As", "key Escape"});
    EXPECT_FALSE(runDialog(true, buffer, size));
    EXPECT_EQ(std::string(buffer), dir + "/default.map");

    drive({"wait Save As", "key ctrl+a", "type deflt", "key Return"});
    EXPECT_TRUE(runDialog(true, buffer, size));
    EXPECT_EQ(std::string(buffer), dir + "/deflt.map");
}

TEST_F(FileDialogTest, OpenNeedsAnExistingFileAndAddsTheExtension) {
    touch("level.map");
    char buffer[300] = "default.map";
    // A name that does not exist is refused; the chooser stays until cancelled.
    drive({"wait Open", "key ctrl+l", "type " + dir + "/none.map", "key Return",
           "wait Cannot Use This Name", "key Return", "wait Open",
           "key Escape Escape"});  // the first closes the location entry
    EXPECT_FALSE(runDialog(false, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "default.map");

    drive({"wait Open", "key ctrl+l", "type " + dir + "/level", "key Return"});
    EXPECT_TRUE(runDialog(false, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), dir + "/level.map");
}

TEST_F(FileDialogTest, OwnedBySdlWindowAndInputTypedMeanwhileIsDropped) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("Dialog Owner", 0, 0, 320, 240, SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_PumpEvents();
    char buffer[300] = {};
    std::snprintf(buffer, sizeof buffer, "%s/default.map", dir.c_str());
    drive({"wait Save As", "key ctrl+a", "type owned", "key Return"});
    EXPECT_TRUE(runDialog(true, buffer, sizeof buffer, reinterpret_cast<uintptr_t>(window)));
    EXPECT_EQ(std::string(buffer), dir + "/owned.map");
    SDL_PumpEvents();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL), 0);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
