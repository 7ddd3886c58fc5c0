#include "app/MainWindow.h"

#include "app/Autosave.h"
#include "app/ButtonActions.h"
#include "app/FileCommands.h"
#include "app/LooseTextures.h"
#include "app/MediaFolder.h"
#include "app/MediaLoader.h"
#include "app/Overlays.h"
#include "app/PictureCommands.h"
#include "app/ScreenPanels.h"
#include "app/SharedSession.h"
#include "app/TextureShelf.h"
#include "app/TextureIds.h"
#include "app/UnsavedWork.h"
#include "engine/MyTamoEngineCore.h"
#include "engine/TamoEditorUserAvatar.h"
#include "media/BitmapFont.h"
#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"
#include "platform/ScreenSize.h"
#include "platform/Sound.h"
#include "platform/SystemClock.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

constexpr float FarPlane = 1000.0f;
constexpr int32_t SkySlices = 16;
constexpr int32_t SkyStacks = 20;

}  // namespace

MainWindow::MainWindow(WindowDescription description) : Window(description) {
    glContext = new GLContext(getHandle("WindowHandler"), ScreenWidth, ScreenHeight,
                              description.bitsPerPixel);
    glContext->setClearColour(0, 0, 0);
    glContext->enableAlphaTest();
    const GLContext::Frustum f = glContext->frustum;
    glContext->setProjection(f.left, f.right, f.bottom, f.top, f.near, FarPlane);
    currentGLContext = glContext;

    MediaLoader media(*glContext);
    media.loadArchiveTextures();
    spriteSheet = media.loadWorldSheet();
    interfaceSheet = media.loadInterfaceSheet();
    media.reportMissingMedia();
    font = new BitmapFont(glContext, FontTextureId);
    createWorld();

    std::map<int32_t, std::string> rawNames;
    engineCore->textureCount = loadLooseTextures(
        *glContext->textures,
        [this](int32_t id, const AverageColour& colour) {
            engineCore->addTextureColour(id, colour.red, colour.green, colour.blue);
        },
        &rawNames);
    pictures->setRawTextures(std::move(rawNames));
    pictures->reload(false);

    buttons.fill(ScreenWidth, ScreenHeight);
    displayMode = ModeBuilding;
    setDisplayMode(ModeRunning);
}

void MainWindow::createWorld() {
    engineCore = new MyTamoEngineCore(glContext, spriteSheet, font, FirstLooseTextureId,
                                      PlanTileCurrentId, PlanTileOtherId);
    engineCore->avatar = new TamoEditorUserAvatar(this, engineCore);
    engineCore->buildWorld(WorldHost::History::Kept);
    engineCore->startView();
    engineCore->textureCount = 0;
    panels = std::make_unique<ScreenPanels>(*glContext, *interfaceSheet, *spriteSheet, *font,
                                            *engineCore, caption);
    pictures = std::make_unique<PictureCommands>(*engineCore, caption, *glContext);
    files =
        std::make_unique<FileCommands>(*engineCore, caption, getHandle("WindowHandler"), *pictures);
    overlays = std::make_unique<Overlays>(*engineCore, caption, *glContext, *font);
    keys =
        std::make_unique<KeyCommands>(*engineCore, caption, *files, *panels, *pictures, *overlays);
    unsaved = std::make_unique<UnsavedWork>(*engineCore, caption, *pictures);
}

MainWindow::~MainWindow() {
    unsaved->endRun(exitConfirmed);
    shared.reset();  // leaves the city before the world goes
    keys.reset();
    overlays.reset();
    files.reset();
    panels.reset();
    delete engineCore;
    engineCore = nullptr;
    setDisplayMode(ModeShuttingDown);
    delete font;
    font = nullptr;
    delete interfaceSheet;
    interfaceSheet = nullptr;
    delete spriteSheet;
    spriteSheet = nullptr;
    if (currentGLContext == glContext)
        currentGLContext = nullptr;
    delete glContext;
    glContext = nullptr;
    buttons.clear();
}

void MainWindow::setDisplayMode(int32_t mode) {
    if (displayMode == ModeRunning && skyDome != nullptr) {
        delete skyDome;
        skyDome = nullptr;
    }
    displayMode = mode;
    if (mode == ModeRunning)
        skyDome = new SkyDome(*glContext, static_cast<float>(0.95 * glContext->frustum.far),
                              SkySlices, SkyStacks, SkyTextureId);
}

void MainWindow::onFrame() {
    if (displayMode != ModeRunning)
        return;
    engineCore->map->drawWithSky(*skyDome, engineCore->view3D, engineCore->planView());
    engineCore->sprites->drawSprites();
    keys->drawSelection();
    if (shared)
        shared->drawPeople();
    panels->drawPanels();
    // An open palette or key table lies over everything and takes every
    // press: neither the buttons nor the avatar see them.
    overlays->draw();
    // Taken before the caption: the picture shows the city and its panels.
    panels->savePictureIfAsked();
    panels->drawCaption();
    panels->countFrame(engineCore->map->lastDrawCounts());
    if (overlays->open()) {
        overlays->takePresses(*this);
    } else {
        if (answerClick())
            return;
        if (files->runPending()) {
            quit();
            return;
        }
        engineCore->avatar->update();
    }
    if (shared)
        shared->frame(getTickCount(), caption);
    unsaved->tick(getTickCount());
    glContext->present();
    glContext->clear();
}

bool MainWindow::answerClick() {
    const int32_t id = buttons.takeClick(leftButtonDown, leftDoubleClick, mouseX, mouseY,
                                         engineCore->editMode, engineCore->view3D);
    if (id == ButtonNone)
        return false;
    playSound(mediaFolder().path("pip.wav").c_str(), true);
    const ButtonFollowUp followUp = performButtonAction(*engineCore, id);
    if (followUp == ButtonFollowUp::OpenPalette) {
        overlays->openPalette();
        return false;
    }
    if (!files->request(followUp))
        return false;
    quit();
    return true;
}

void MainWindow::quit() {
    exitConfirmed = true;
    delete this;
}

void MainWindow::onEvent(int32_t type, int32_t a, int32_t b) {
    if (type == EventKeyDown && keys)
        keys->keyDown(a, b);
}

bool MainWindow::allowClose() {
    if (!confirmDiscard())
        return false;
    exitConfirmed = true;
    return true;
}

bool MainWindow::saveMapFile() {
    return files->saveMapFile();
}

void MainWindow::loadMapFile() {
    files->loadMapFile();
}

void MainWindow::openMapFile(const char* path) {
    files->openMapFile(path);
}

bool MainWindow::confirmDiscard() {
    return files->confirmDiscard();
}

bool MainWindow::hasUnsavedChanges() const {
    return files && files->hasUnsavedChanges();
}

const std::string& MainWindow::worldFileName() const {
    return files->worldFileName();
}

void MainWindow::setFileDialog(FileDialogFunction dialog) {
    files->setFileDialog(dialog);
}

void MainWindow::setQuestionDialog(QuestionDialogFunction dialog) {
    files->setQuestionDialog(dialog);
}

void MainWindow::undo() {
    keys->undo();
}

void MainWindow::redo() {
    keys->redo();
}

void MainWindow::useAutosave(std::unique_ptr<Autosave> saver) {
    unsaved->use(std::move(saver));
}

Autosave* MainWindow::getAutosave() const {
    return unsaved->autosave();
}

void MainWindow::useSharedSession(std::unique_ptr<SharedSession> session) {
    shared = std::move(session);
    keys->setSharedSession(shared.get());
    files->setShared(shared != nullptr);
    if (shared)
        shared->usePictures(pictures->shelf());
}

bool MainWindow::offerRecovery() {
    return unsaved->offerRecovery(files->question(), getHandle("WindowHandler"));
}

bool MainWindow::showKeysHint() {
    return overlays->showKeysHint();
}

ModalOverlay* MainWindow::openOverlay() const {
    return overlays->open();
}

bool MainWindow::keepUnsavedWork() {
    return unsaved->keep();
}

bool MainWindow::savePicture() {
    return panels->savePicture();
}

void MainWindow::showStatistics(bool on) {
    panels->showStatistics(on);
}

bool MainWindow::statisticsShowing() const {
    return panels->statisticsShowing();
}

void MainWindow::reportStatistics(bool on) {
    panels->reportStatistics(on);
}

const FrameStatistics& MainWindow::frameStatistics() const {
    return panels->frameStatistics();
}
