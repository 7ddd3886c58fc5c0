#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Autosave.h"
#include "app/InitApplication.h"
#include "engine/TamoEngineCore.h"
#include "media/Archive.h"
#include "media/MediaArchive.h"
#include "platform/GLContext.h"
#include "platform/ScreenSize.h"
#include "platform/SystemClock.h"
#include "platform/TextureTable.h"
#include "platform/VirtualKeys.h"
#include "platform/WindowRegistry.h"
#include "support/FileBytes.h"
#include "support/GLTestFixture.h"
#include "support/ScratchFolder.h"
#include "world/CellBox.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace fs = std::filesystem;

namespace {

int32_t textureFilter(int32_t id) {
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    return filter;
}

// Alpha of texel 0 of a texture, -1 when it has no texels.
int32_t firstTexelAlpha(int32_t id) {
    const std::vector<uint8_t> rgba = readTexture(id);
    return rgba.size() >= 4 ? rgba[3] : -1;
}

std::string dialogAnswer;
bool dialogAccepts = true;
int32_t dialogCalls = 0;

// The "Unsaved changes" and recovery questions: answered with questionAnswer
// (the index of the button), their titles recorded.
int32_t questionAnswer = 1;
std::vector<std::string> questionsAsked;

int32_t fakeQuestion(uintptr_t, const char* title, const char*, const char* const*, int32_t,
                     int32_t, int32_t) {
    questionsAsked.push_back(title);
    return questionAnswer;
}

uint32_t nowForTest() {
    return getTickCount();
}

std::string dialogProposed;

// Answers taken one by one before dialogAnswer.
std::vector<std::string> dialogQueue;

bool fakeDialog(uintptr_t, bool, char* buffer, int32_t size, const char*, const char*) {
    ++dialogCalls;
    dialogProposed = buffer;
    if (!dialogAccepts)
        return false;
    std::string answer = dialogAnswer;
    if (!dialogQueue.empty()) {
        answer = dialogQueue.front();
        dialogQueue.erase(dialogQueue.begin());
    }
    std::snprintf(buffer, static_cast<size_t>(size), "%s", answer.c_str());
    return true;
}

// Each test runs in a scratch folder holding the generated archive (unless it
// removes it) and builds a main window there.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.made());
        scratch = folder.path();
        const fs::path archive = fs::path(TAMO_BUILD_DIR) / "TamoData.arc";
        ASSERT_TRUE(fs::exists(archive)) << "generated media missing: " << archive;
        fs::copy_file(archive, scratch / "TamoData.arc");
        ASSERT_TRUE(folder.enter());
        clearArchiveEntries();
        declareMediaArchive();
        ScreenWidth = 640;
        ScreenHeight = 480;
    }

    void TearDown() override {
        closeWindow();
        clearArchiveEntries();
    }

    MainWindow* openWindow() {
        window = new MainWindow(mainWindowDescription());
        // Questions about unsaved work never open a real dialog in a test:
        // the answer is Discard unless a test says otherwise.
        questionAnswer = 1;
        questionsAsked.clear();
        window->setQuestionDialog(&fakeQuestion);
        return window;
    }

    void closeWindow() {
        if (window != nullptr && anyWindowRegistered())
            delete window;
        window = nullptr;
    }

    void addTextureFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        fs::create_directories(scratch / "Textures");
        writeFileBytes((scratch / "Textures" / name).string(), bytes);
    }

    TamoEngineCore& core() { return *window->getEngineCore(); }

    ScratchFolder folder{"tamo_mainwindow"};
    fs::path scratch;
    MainWindow* window = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, BuildsTheWholeProgramAndRuns) {
    openWindow();
    EXPECT_EQ(window->getDisplayMode(), MainWindow::ModeRunning);
    ASSERT_NE(window->getEngineCore(), nullptr);
    EXPECT_NE(core().map, nullptr);
    EXPECT_NE(core().sprites, nullptr);
    EXPECT_NE(core().avatar, nullptr);
    EXPECT_EQ(currentGLContext, window->getGLContext());
    EXPECT_FLOAT_EQ(window->getGLContext()->frustum.far, 1000.0f);
    // The camera starts at the start point and the plan view is centred on it.
    EXPECT_FLOAT_EQ(window->getGLContext()->eye.x, 40000.0f);
    EXPECT_EQ(core().currentLevel, 4000);
    EXPECT_FLOAT_EQ(core().planScrollX, 63680.0f);
    TextureTable& textures = *window->getGLContext()->textures;
    for (int32_t id = 1; id <= 6; ++id)
        EXPECT_GE(textures.findTexture(id), 0) << "texture " << id;
    EXPECT_EQ(window->getButtons().alwaysList().count(), 5);
    window->onFrame();
    closeWindow();
    EXPECT_EQ(currentGLContext, nullptr);
    EXPECT_FALSE(anyWindowRegistered());
}

TEST_F(MainWindowTest, NoLooseTexturesGiveCountZero) {
    openWindow();
    EXPECT_EQ(core().textureCount, 0);
    EXPECT_EQ(window->getGLContext()->textures->findTexture(100), -1);
    EXPECT_EQ(core().textureColours.count(), 0);
}

TEST_F(MainWindowTest, LooseTexturesUpToTwelveAreColourKeyedLaterOnesOpaque) {
    addTextureFile("0_16_16.raw", solidRgb(16, 16, 159, 0, 159));
    addTextureFile("13_16_16.raw", solidRgb(16, 16, 159, 0, 159));
    openWindow();
    EXPECT_EQ(core().textureCount, 2);
    TextureTable& textures = *window->getGLContext()->textures;
    ASSERT_GE(textures.findTexture(100), 0);
    ASSERT_GE(textures.findTexture(113), 0);
    EXPECT_EQ(textureFilter(100), GL_NEAREST);
    EXPECT_EQ(firstTexelAlpha(100), 0);
    EXPECT_EQ(textureFilter(113), GL_LINEAR);
    EXPECT_EQ(firstTexelAlpha(113), 255);
    int32_t r = -1, g = -1, b = -1;
    ASSERT_TRUE(core().getTextureColour(113, r, g, b));
    EXPECT_EQ(r, 159);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 159);
}

TEST_F(MainWindowTest, BadLooseTextureFilesAreSkippedUncountedAndReported) {
    addTextureFile("0_2_1.raw", {10, 20, 30, 11, 21, 31});
    addTextureFile("1_16_16.raw", {1, 2, 3});  // shorter than its size says
    addTextureFile("road_16_16.raw", solidRgb(16, 16, 1, 2, 3));
    testing::internal::CaptureStderr();
    openWindow();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(core().textureCount, 1);
    int32_t r = -1, g = -1, b = -1;
    ASSERT_TRUE(core().getTextureColour(100, r, g, b));
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 30);
    EXPECT_EQ(window->getGLContext()->textures->findTexture(101), -1);
    EXPECT_NE(errors.find("1_16_16.raw"), std::string::npos) << errors;
    EXPECT_NE(errors.find("road_16_16.raw"), std::string::npos) << errors;
    EXPECT_NE(errors.find(scratch.string()), std::string::npos) << errors;
}

TEST_F(MainWindowTest, MissingArchiveIsReportedOnceAndTheProgramStillStarts) {
    fs::remove(scratch / "TamoData.arc");
    testing::internal::CaptureStderr();
    openWindow();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(window->getDisplayMode(), MainWindow::ModeRunning);
    EXPECT_NE(errors.find("TamoData.arc"), std::string::npos) << errors;
    EXPECT_NE(errors.find(scratch.string()), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    window->onFrame();
}

TEST_F(MainWindowTest, CompleteArchivePrintsNothing) {
    testing::internal::CaptureStderr();
    openWindow();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MainWindowTest, KeysEditTheSelectedSpriteNames) {
    openWindow();
    TamoSpriteObjectSet& sprites = *core().sprites;
    sprites.addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    ASSERT_EQ(sprites.count(), 1);
    sprites.object(0).selected = true;
    window->onEvent(EventKeyDown, 'A', 0);
    window->onEvent(EventKeyDown, '7', 0);
    window->onEvent(EventKeyDown, VK_F1, 0);
    window->onEvent(EventKeyDown, VK_NUMPAD0, 0);
    window->onEvent(EventMouse, 'B', 0);  // not a key event
    EXPECT_EQ(sprites.object(0).name, "A7p");
    window->onEvent(EventKeyDown, VK_BACK, 0);
    EXPECT_EQ(sprites.object(0).name, "A7");
    window->onEvent(EventKeyDown, VK_DELETE, 0);
    EXPECT_EQ(sprites.count(), 0);
}

TEST_F(MainWindowTest, ButtonPressIsConsumedOnceAndActs) {
    openWindow();
    window->mouseX = 580;  // edit-mode button
    window->mouseY = 14;
    window->leftButtonDown = true;
    window->onFrame();
    EXPECT_EQ(core().editMode, 1);
    EXPECT_FALSE(window->leftButtonDown);
    window->onFrame();  // still over the button, but the press was used
    EXPECT_EQ(core().editMode, 1);
}

TEST_F(MainWindowTest, PressOffTheButtonsStaysPendingForTheAvatar) {
    openWindow();
    core().editMode = 1;   // sprite editing keeps a held press set
    window->mouseX = 520;  // block panel's texture button: not offered in sprite mode
    window->mouseY = 360;
    window->leftButtonDown = true;
    const int32_t texture = core().material.texture;
    window->onFrame();
    EXPECT_TRUE(window->leftButtonDown);
    EXPECT_EQ(core().material.texture, texture);
}

TEST_F(MainWindowTest, QuitButtonDestroysTheWindow) {
    openWindow();
    window->mouseX = 8;
    window->mouseY = 2;
    window->leftButtonDown = true;
    window->onFrame();
    EXPECT_FALSE(anyWindowRegistered());
    EXPECT_EQ(currentGLContext, nullptr);
    window = nullptr;
}

TEST_F(MainWindowTest, FailedLoadKeepsTheWorldAndShowsTheCaption) {
    openWindow();
    std::vector<uint8_t> noise(517);
    uint32_t state = 12345;
    for (uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    writeFileBytes((scratch / "noise.map").string(), noise);
    dialogAccepts = true;
    dialogAnswer = (scratch / "noise.map").string();
    window->setFileDialog(&fakeDialog);
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    testing::internal::CaptureStderr();
    window->loadMapFile();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(core().sprites->count(), 1);
    EXPECT_GE(core().map->findSector(Vector3{40001.0f, 60001.0f, 40001.0f}), 0);
    ASSERT_NE(window->captionAt(nowForTest()), nullptr);
    EXPECT_STREQ(window->captionAt(nowForTest()), "LOAD FAILED");
    // The loader's reason on the second line, for four seconds.
    const std::string detail = window->captionDetailAt(nowForTest());
    EXPECT_EQ(detail.rfind("noise.map: ", 0), 0u) << detail;
    EXPECT_GT(detail.size(), std::string("noise.map: ").size() + 5) << detail;
    EXPECT_NE(window->captionAt(nowForTest() + 3900), nullptr);
    EXPECT_EQ(window->captionAt(nowForTest() + 4100), nullptr);

    // Named on the command line instead: the same check, the same caption.
    testing::internal::CaptureStderr();
    window->openMapFile((scratch / "noise.map").string().c_str());
    window->openMapFile((scratch / "missing.map").string().c_str());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.map"), std::string::npos);
    EXPECT_EQ(core().sprites->count(), 1);
    EXPECT_STREQ(window->captionAt(nowForTest()), "LOAD FAILED");
    EXPECT_STREQ(window->captionDetailAt(nowForTest()),
                 (std::string("missing.map: ") + std::strerror(ENOENT)).c_str());
}

// A damaged autosave is set aside, and the caption says so for its four
// seconds even when the world named on the command line then opens.
TEST_F(MainWindowTest, ARecoveryThatSetsTheAutosaveAsideSaysSoOnScreen) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    dialogAnswer = (scratch / "good.map").string();
    window->saveMapFile();
    fs::create_directories(scratch / "state");
    writeFileBytes((scratch / "state" / "autosave.map").string(), {1, 2, 3});
    auto saver = std::make_unique<Autosave>((scratch / "state").string(), 1000);
    std::string why;
    ASSERT_TRUE(saver->start(&why)) << why;
    ASSERT_TRUE(saver->pending());
    window->useAutosave(std::move(saver));
    questionAnswer = 0;  // Recover
    testing::internal::CaptureStderr();
    EXPECT_FALSE(window->offerRecovery());
    testing::internal::GetCapturedStderr();
    window->openMapFile((scratch / "good.map").string().c_str());
    EXPECT_EQ(window->worldFileName(), (scratch / "good.map").string());
    EXPECT_STREQ(window->captionAt(nowForTest()), "LOAD FAILED");
    const std::string detail = window->captionDetailAt(nowForTest());
    EXPECT_EQ(detail.rfind("autosave kept as autosave.map.bad: ", 0), 0u) << detail;
    EXPECT_TRUE(fs::exists(scratch / "state" / "autosave.map.bad"));
}

TEST_F(MainWindowTest, SaveWritesTheStartWorldAndCancelWritesNothing) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogCalls = 0;
    dialogAccepts = false;
    dialogAnswer = (scratch / "cancelled.map").string();
    window->saveMapFile();
    EXPECT_EQ(dialogCalls, 1);
    EXPECT_FALSE(fs::exists(scratch / "cancelled.map"));
    EXPECT_EQ(window->captionAt(nowForTest()), nullptr);

    dialogAccepts = true;
    dialogAnswer = (scratch / "start.map").string();
    window->saveMapFile();
    ASSERT_TRUE(fs::exists(scratch / "start.map"));
    EXPECT_EQ(fs::file_size(scratch / "start.map"), 130u);
    EXPECT_STREQ(window->captionAt(nowForTest()), "SAVED");
    EXPECT_STREQ(window->captionDetailAt(nowForTest()), "start.map");
}

TEST_F(MainWindowTest, FailedSaveShowsTheCaptionAndKeepsNoFile) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    dialogAnswer = (scratch / "no-such-folder" / "world.map").string();
    testing::internal::CaptureStderr();
    window->saveMapFile();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(scratch / "no-such-folder"));
    ASSERT_NE(window->captionAt(nowForTest()), nullptr);
    EXPECT_STREQ(window->captionAt(nowForTest()), "SAVE FAILED");
    // The system's words for the cause, on screen and on standard error.
    const std::string cause = std::string("world.map: ") + std::strerror(ENOENT);
    EXPECT_STREQ(window->captionDetailAt(nowForTest()), cause.c_str());
    EXPECT_NE(errors.find(cause), std::string::npos) << errors;
}

TEST_F(MainWindowTest, SavedWorldLoadsBack) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    dialogAnswer = (scratch / "two.map").string();
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    ASSERT_EQ(core().sprites->count(), 1);
    window->saveMapFile();
    // More than the start world alone: the sprite record follows.
    EXPECT_GT(fs::file_size(scratch / "two.map"), 130u);
    core().sprites->clearAll();
    ASSERT_EQ(core().sprites->count(), 0);
    window->loadMapFile();
    EXPECT_EQ(core().sprites->count(), 1);
    EXPECT_EQ(window->captionAt(nowForTest()), nullptr);
    core().sprites->clearAll();
    window->openMapFile((scratch / "two.map").string().c_str());
    EXPECT_EQ(core().sprites->count(), 1);
}

TEST_F(MainWindowTest, SaveAndLoadButtonsRunTheCommandsThroughTheDialog) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogCalls = 0;
    dialogAccepts = true;
    dialogAnswer = (scratch / "button.map").string();
    window->mouseX = 60;
    window->mouseY = 14;
    window->leftButtonDown = true;
    window->onFrame();
    EXPECT_EQ(dialogCalls, 1);
    EXPECT_FALSE(window->leftButtonDown);
    ASSERT_TRUE(fs::exists(scratch / "button.map"));
    window->onFrame();
    EXPECT_EQ(dialogCalls, 1);

    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    window->mouseX = 100;
    window->mouseY = 14;
    window->leftButtonDown = true;
    window->onFrame();
    EXPECT_EQ(dialogCalls, 2);
    EXPECT_EQ(core().sprites->count(), 0);
}

TEST_F(MainWindowTest, F12SavesTheFrameAsAPictureUnlessSpriteObjectsAreSelected) {
    fs::create_directories(scratch / "pictures");
    setenv("XDG_PICTURES_DIR", (scratch / "pictures").c_str(), 1);
    openWindow();
    constexpr int32_t F12 = VK_F1 + 11;
    auto pictures = [&]() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch / "pictures"))
            names.push_back(entry.path().filename().string());
        return names;
    };
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    core().sprites->object(0).selected = true;
    window->onEvent(EventKeyDown, F12, 0);
    window->onFrame();
    EXPECT_TRUE(pictures().empty());

    core().sprites->object(0).selected = false;
    window->onEvent(EventKeyDown, F12, 0);
    window->onFrame();
    unsetenv("XDG_PICTURES_DIR");
    const std::vector<std::string> names = pictures();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), std::string("tamotown-YYYYMMDD-HHMMSS.png").size()) << names[0];
    EXPECT_EQ(names[0].rfind("tamotown-", 0), 0u);
    EXPECT_STREQ(window->captionAt(nowForTest()), "SAVED");
    // The folder as well as the name, so that the picture can be found.
    const std::string detail = window->captionDetailAt(nowForTest());
    EXPECT_EQ(detail, (scratch / "pictures" / names[0]).string());
    EXPECT_GT(fs::file_size(scratch / "pictures" / names[0]), 1000u);
}

TEST_F(MainWindowTest, F3TogglesTheFrameFiguresUnlessSpriteObjectsAreSelected) {
    openWindow();
    constexpr int32_t F3 = VK_F1 + 2;
    EXPECT_FALSE(window->statisticsShowing());
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    core().sprites->object(0).selected = true;
    window->onEvent(EventKeyDown, F3, 0);
    EXPECT_FALSE(window->statisticsShowing());
    core().sprites->object(0).selected = false;
    window->onEvent(EventKeyDown, F3, 0);
    EXPECT_TRUE(window->statisticsShowing());
    // The avatar places the camera at the end of the first frame.
    window->onFrame();
    window->onFrame();
    // The start world: one sector, its one block's six faces, all in view.
    const DrawCounts& counts = window->frameStatistics().lastCounts();
    EXPECT_EQ(counts.sectorsTotal, 1);
    EXPECT_EQ(counts.sectorsDrawn, 1);
    EXPECT_EQ(counts.quadsTotal, 6);
    EXPECT_EQ(counts.quadsDrawn, 6);
    window->onEvent(EventKeyDown, F3, 0);
    EXPECT_FALSE(window->statisticsShowing());
}

TEST_F(MainWindowTest, CtrlZAndCtrlYUndoAndRedoWithCaptionsAndCtrlKeysNeverEditNames) {
    openWindow();
    TamoEngineCore& c = core();
    const Vector3 cell{40015.0f, 60007.0f, 40005.0f};
    EXPECT_FALSE(window->hasUnsavedChanges());
    c.map->setBlockAt(cell, true);
    c.history->closeAction();
    c.sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    c.history->closeAction();
    c.sprites->object(0).selected = true;
    window->onEvent(EventKeyDown, 'A', 0);
    window->onEvent(EventKeyDown, 'B', 0);
    // With Ctrl held: commands only, never a name character nor a deletion.
    window->onEvent(EventKeyDown, 'C', KeyModifierControl);
    window->onEvent(EventKeyDown, VK_DELETE, KeyModifierControl);
    window->onEvent(EventKeyDown, VK_BACK, KeyModifierControl);
    EXPECT_EQ(c.sprites->object(0).name, "AB");
    EXPECT_EQ(c.sprites->count(), 1);
    EXPECT_TRUE(window->hasUnsavedChanges());

    window->onEvent(EventKeyDown, 'Z', KeyModifierControl);  // the typing run
    EXPECT_STREQ(window->captionAt(nowForTest()), "UNDO");
    EXPECT_EQ(c.sprites->object(0).name, "");
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl);
    EXPECT_EQ(c.sprites->count(), 0);
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl);
    const int32_t s = c.map->findSector(cell);
    ASSERT_GE(s, 0);
    EXPECT_FALSE(c.map->sector(s)->hasBlockAt(cell));
    EXPECT_FALSE(window->hasUnsavedChanges());  // back at the start
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl);
    EXPECT_STREQ(window->captionAt(nowForTest()), "NOTHING TO UNDO");
    EXPECT_EQ(window->captionAt(nowForTest() + MainWindow::UndoCaptionMilliseconds), nullptr);

    window->onEvent(EventKeyDown, 'Y', KeyModifierControl);
    EXPECT_STREQ(window->captionAt(nowForTest()), "REDO");
    EXPECT_TRUE(c.map->sector(s)->hasBlockAt(cell));
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl | KeyModifierShift);
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl | KeyModifierShift);
    EXPECT_EQ(c.sprites->object(0).name, "AB");
    window->onEvent(EventKeyDown, 'Y', KeyModifierControl);
    EXPECT_STREQ(window->captionAt(nowForTest()), "NOTHING TO REDO");
    EXPECT_TRUE(questionsAsked.empty());
}

TEST_F(MainWindowTest, UnsavedChangesAreAskedAboutBeforeQuitCloseAndLoad) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    dialogAnswer = (scratch / "kept.map").string();
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    core().history->closeAction();

    // Cancel: the window stays and nothing is saved or loaded.
    questionAnswer = 2;
    EXPECT_FALSE(window->allowClose());
    dialogCalls = 0;
    window->loadMapFile();
    EXPECT_EQ(dialogCalls, 0);
    window->mouseX = 8;  // quit, asked once the button is up
    window->mouseY = 2;
    window->leftButtonDown = true;
    window->onFrame();
    EXPECT_TRUE(anyWindowRegistered());
    EXPECT_EQ(questionsAsked, std::vector<std::string>(3, "Unsaved changes"));

    // Save whose chooser is cancelled: nothing goes on.
    questionAnswer = 0;
    dialogAccepts = false;
    EXPECT_FALSE(window->allowClose());
    EXPECT_TRUE(window->hasUnsavedChanges());

    // Save proposes the current file's name and goes on once saved.
    window->openMapFile((scratch / "missing.map").string().c_str());  // fails, name unchanged
    dialogAccepts = true;
    EXPECT_TRUE(window->allowClose());
    EXPECT_TRUE(fs::exists(scratch / "kept.map"));
    EXPECT_FALSE(window->hasUnsavedChanges());
    EXPECT_EQ(window->worldFileName(), (scratch / "kept.map").string());

    // Discard, then quit: the window goes. The next save proposes kept.map.
    core().sprites->addAt(Vector3{40006.0f, 60015.0f, 40005.0f});
    core().history->closeAction();
    dialogAccepts = false;
    window->saveMapFile();
    EXPECT_EQ(dialogProposed, (scratch / "kept.map").string());
    questionAnswer = 1;
    window->leftButtonDown = true;
    window->onFrame();  // asked and gone in the same frame: the button is up
    EXPECT_FALSE(anyWindowRegistered());
    window = nullptr;
}

// The name goes with the world: undoing a load brings back the earlier name
// (Save then proposes it, not the loaded file's), redoing it the loaded one.
// Saving under the world's own name after another program wrote that file
// asks first: Cancel keeps the other program's file, Save as chooses again,
// Save anyway replaces it.
TEST_F(MainWindowTest, TheFileNameFollowsUndoOfALoadAndAFileChangedElsewhereIsAskedAbout) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    const std::string a = (scratch / "a.map").string(), b = (scratch / "b.map").string();
    dialogAnswer = a;
    core().sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    ASSERT_TRUE(window->saveMapFile());
    dialogAnswer = b;
    core().sprites->addAt(Vector3{40006.0f, 60015.0f, 40005.0f});
    ASSERT_TRUE(window->saveMapFile());
    dialogAnswer = a;
    window->loadMapFile();
    ASSERT_EQ(window->worldFileName(), a);
    window->undo();
    EXPECT_EQ(core().sprites->count(), 2);
    EXPECT_EQ(window->worldFileName(), b) << "the undone load kept the loaded file's name";
    window->redo();
    EXPECT_EQ(window->worldFileName(), a);

    // Another program saves a.map (a new file in its place, as a save does).
    auto theyWrite = [&] {
        const std::vector<uint8_t> theirs = readFileBytes(b);
        writeFileBytes(a + ".new", theirs);
        fs::rename(a + ".new", a);
        return theirs;
    };
    std::vector<uint8_t> theirs = theyWrite();
    core().sprites->addAt(Vector3{40007.0f, 60015.0f, 40005.0f});
    questionsAsked.clear();
    questionAnswer = 2;  // Cancel
    EXPECT_FALSE(window->saveMapFile());
    EXPECT_EQ(readFileBytes(a), theirs);
    questionAnswer = 0;  // Save anyway
    ASSERT_TRUE(window->saveMapFile());
    EXPECT_NE(readFileBytes(a), theirs);
    EXPECT_EQ(questionsAsked.size(), 2u);
    ASSERT_TRUE(window->saveMapFile()) << "our own save counted as a change elsewhere";
    EXPECT_EQ(questionsAsked.size(), 2u);

    theirs = theyWrite();
    questionAnswer = 1;  // Save as: the chooser again
    const std::string c = (scratch / "c.map").string();
    dialogQueue = {a, c};
    ASSERT_TRUE(window->saveMapFile());
    EXPECT_EQ(readFileBytes(a), theirs);
    EXPECT_EQ(window->worldFileName(), c);
    EXPECT_EQ(questionsAsked,
              std::vector<std::string>(3, "The file was changed by another program"));
}

TEST_F(MainWindowTest, RegionKeysActOnTheSelectionWhileNoFigureIsSelected) {
    openWindow();
    window->setFileDialog(&fakeDialog);
    dialogAccepts = true;
    TamoEngineCore& c = core();
    auto caption = [&] {
        const char* text = window->captionAt(nowForTest());
        return std::string(text ? text : "");
    };
    auto hasBlock = [&](int32_t x, int32_t y, int32_t z) {
        const Vector3 p = CellBox::cellCentre(x, y, z, c.blockWidth, c.blockHeight);
        const int32_t s = c.map->findSector(p);
        return s >= 0 && c.map->sector(s)->hasBlockAt(p);
    };
    window->onEvent(EventKeyDown, 'F', 0);
    EXPECT_EQ(caption(), "NO SELECTION");
    c.selection.set(CellBox(4000, 4000, 4000, 4100, 4099, 4099));  // 1,010,000 cells
    window->onEvent(EventKeyDown, 'F', 0);
    EXPECT_EQ(caption(), "BOX TOO LARGE");
    EXPECT_EQ(c.map->sectorCount(), 1);
    c.selection.set(CellBox(4001, 4000, 4000, 4002, 4001, 4000));

    // A figure selected: the letters go to its name.
    c.sprites->addAt(Vector3{40005.0f, 60015.0f, 40005.0f});
    c.sprites->object(0).selected = true;
    window->onEvent(EventKeyDown, 'F', 0);
    window->onEvent(EventKeyDown, 'F', KeyModifierShift);
    window->onEvent(EventKeyDown, 'V', KeyModifierControl);
    EXPECT_EQ(c.sprites->object(0).name, "FF");
    EXPECT_FALSE(hasBlock(4001, 4000, 4000));
    c.sprites->deselectAll();

    window->onEvent(EventKeyDown, 'F', 0);
    EXPECT_EQ(caption(), "FILLED 4");
    window->onEvent(EventKeyDown, 'P', KeyModifierRepeat);  // a held key does it once
    EXPECT_EQ(caption(), "FILLED 4");
    EXPECT_TRUE(hasBlock(4002, 4001, 4000));
    window->onEvent(EventKeyDown, 'C', KeyModifierControl);
    EXPECT_EQ(caption(), "COPIED 4");
    window->onEvent(EventKeyDown, 'R', 0);
    EXPECT_EQ(caption(), "ROTATED 1 X 2 X 2");

    // Ctrl+arrows follow the heading in 3D (the axis nearest the view) and
    // the screen in the plan view; Ctrl+Page Up goes up a level.
    c.glContext->direction = Vector3(-0.9f, 0.2f, 0.3f);  // forward is -x, right is -z
    window->onEvent(EventKeyDown, VK_RIGHT, KeyModifierControl);
    EXPECT_EQ(caption(), "MOVED 4");
    EXPECT_EQ(c.selection.box(), CellBox(4001, 4000, 3999, 4002, 4001, 3999));
    c.glContext->direction = Vector3(0.1f, -0.9f, 0.2f);  // forward is +z
    window->onEvent(EventKeyDown, VK_UP, KeyModifierControl | KeyModifierRepeat);
    window->onEvent(EventKeyDown, VK_PRIOR, KeyModifierControl);
    EXPECT_EQ(c.selection.box(), CellBox(4001, 4001, 4000, 4002, 4002, 4000));
    c.toggleView();
    window->onEvent(EventKeyDown, VK_UP, KeyModifierControl);
    window->onEvent(EventKeyDown, VK_LEFT, KeyModifierControl);
    EXPECT_EQ(c.selection.box(), CellBox(4000, 4001, 3999, 4001, 4002, 3999));
    EXPECT_TRUE(hasBlock(4000, 4002, 3999));
    EXPECT_FALSE(hasBlock(4002, 4001, 4000));
    window->onEvent(EventKeyDown, 'Z', KeyModifierControl);  // one move per step
    EXPECT_TRUE(hasBlock(4001, 4002, 3999));
    EXPECT_FALSE(hasBlock(4000, 4002, 3999));

    // Shift+Page Up grows the box at the top; Esc clears it.
    window->onEvent(EventKeyDown, VK_PRIOR, KeyModifierShift);
    EXPECT_EQ(caption(), "2 X 3 X 1");
    window->onEvent(EventKeyDown, VK_ESCAPE, 0);
    EXPECT_FALSE(c.selection.active());

    // A stamp saved through the chooser opens into the clipboard; a bad
    // file leaves the clipboard as it was.
    c.selection.set(CellBox(4001, 4001, 3999, 4002, 4002, 3999));
    dialogAnswer = (scratch / "stamp.map").string();
    window->onEvent(EventKeyDown, 'C', KeyModifierControl | KeyModifierShift);
    EXPECT_EQ(caption(), "SAVED");
    EXPECT_EQ(dialogProposed, "stamp.map");
    writeFileBytes((scratch / "bad.map").string(), {1, 2, 3});
    dialogAnswer = (scratch / "bad.map").string();
    window->onEvent(EventKeyDown, 'V', KeyModifierControl | KeyModifierShift);
    EXPECT_EQ(caption(), "LOAD FAILED");
    window->onEvent(EventKeyDown, 'M', 0);
    EXPECT_EQ(caption(), "MIRRORED 1 X 2 X 2");
    dialogAnswer = (scratch / "stamp.map").string();
    window->onEvent(EventKeyDown, 'V', KeyModifierControl | KeyModifierShift);
    EXPECT_EQ(caption(), "LOADED 2 X 2 X 1");
}

// What the autosave has to tell shows as the caption, with its second line:
// here a second program's own slot.
TEST_F(MainWindowTest, AnAutosaveNoticeShowsAsTheCaption) {
    openWindow();
    const std::string state = (scratch / "state").string();
    Autosave first(state, 1000);
    std::string why;
    ASSERT_TRUE(first.start(&why)) << why;
    auto second = std::make_unique<Autosave>(state, 1000);
    ASSERT_TRUE(second->start(&why)) << why;
    window->useAutosave(std::move(second));
    window->onFrame();
    EXPECT_STREQ(window->captionAt(nowForTest()), "AUTOSAVE SLOT 2");
    EXPECT_STREQ(window->captionDetailAt(nowForTest()), "autosave-2.map");
}
