#include "app/MainWindow.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "app/Autosave.h"
#include "app/ButtonActions.h"
#include "app/FramePicture.h"
#include "app/LooseTextures.h"
#include "app/MapFileCommands.h"
#include "app/MediaFolder.h"
#include "app/SharedSession.h"
#include "app/SpriteNameKeys.h"
#include "app/TextureIds.h"
#include "engine/MyTamoEngineCore.h"
#include "platform/ScreenOverlay.h"
#include "engine/TamoEditorUserAvatar.h"
#include "media/Archive.h"
#include "media/BitmapFont.h"
#include "media/InterfaceLayout.h"
#include "media/MediaArchive.h"
#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "media/Textures.h"
#include "platform/FrameTime.h"
#include "platform/GLContext.h"
#include "platform/KeyState.h"
#include "platform/QuestionDialog.h"
#include "platform/ScreenSize.h"
#include "platform/Sound.h"
#include "platform/SystemClock.h"
#include "platform/VirtualKeys.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace {

constexpr float FarPlane = 1000.0f;
constexpr int32_t KeyPicture = VK_F1 + 11;    // F12
constexpr int32_t KeyStatistics = VK_F1 + 2;  // F3
constexpr uint32_t PictureCaptionMilliseconds = 2000;
constexpr int32_t SkySlices = 16;
constexpr int32_t SkyStacks = 20;

struct ArchiveTexture {
    ArchiveMember member;
    int32_t textureId;
    bool colourKeyed;
};

// In loading order.
constexpr ArchiveTexture ArchiveTextures[] = {
    {MemberCurrentLevelTile, PlanTileCurrentId, false},
    {MemberOtherLevelTile, PlanTileOtherId, false},
    {MemberSky, SkyTextureId, false},
    {MemberFont, FontTextureId, true},
};

}  // namespace

MainWindow::MainWindow(WindowDescription description) : Window(description) {
    glContext = new GLContext(getHandle("WindowHandler"), ScreenWidth, ScreenHeight,
                              description.bitsPerPixel);
    glContext->setClearColour(0, 0, 0);
    glContext->enableAlphaTest();
    const GLContext::Frustum f = glContext->frustum;
    glContext->setProjection(f.left, f.right, f.bottom, f.top, f.near, FarPlane);
    currentGLContext = glContext;

    loadArchiveTextures();
    loadSpriteSheets();
    reportMissingMedia();
    font = new BitmapFont(glContext, FontTextureId);
    createWorld();

    engineCore->textureCount =
        loadLooseTextures(*glContext->textures, [this](int32_t id, const AverageColour& colour) {
            engineCore->addTextureColour(id, colour.red, colour.green, colour.blue);
        });

    buttons.fill(ScreenWidth, ScreenHeight);
    displayMode = ModeBuilding;
    setDisplayMode(ModeRunning);
}

uint8_t* MainWindow::loadMedia(ArchiveMember member) {
    const char* name = MediaArchiveMembers[member].name;
    uint8_t* pixels = loadArchiveEntry(name);
    if (mediaError.empty())
        mediaError = pixels == nullptr ? std::string(name) + " is not declared in the archive"
                                       : lastArchiveLoadError();
    return pixels;
}

void MainWindow::reportMissingMedia() const {
    if (mediaError.empty())
        return;
    const MediaFolder& media = mediaFolder();
    if (media.found())
        std::fprintf(stderr, "tamotown: media missing (%s); media folder %s\n", mediaError.c_str(),
                     media.shownFolder().c_str());
    else
        std::fprintf(stderr, "tamotown: media missing (%s); looked in %s\n", mediaError.c_str(),
                     media.placesSearched().c_str());
}

void MainWindow::loadArchiveTextures() {
    for (const ArchiveTexture& texture : ArchiveTextures) {
        const ArchiveImage& image = MediaArchiveMembers[texture.member];
        uint8_t* pixels = loadMedia(texture.member);
        if (texture.colourKeyed)
            createColourKeyTexture(glContext->textures.get(), pixels, image.width, image.height,
                                   texture.textureId);
        else
            createUniformAlphaTexture(glContext->textures.get(), pixels, image.width, image.height,
                                      texture.textureId, 1.0f);
        delete[] pixels;
    }
}

void MainWindow::loadSpriteSheets() {
    const ArchiveImage& world = MediaArchiveMembers[MemberWorldSprites];
    uint8_t* pixels = loadMedia(MemberWorldSprites);
    spriteSheet =
        new SpriteSheet(glContext, pixels, world.width, world.height, WorldSheetTextureId, 0);
    delete[] pixels;
    const ArchiveImage& panels = MediaArchiveMembers[MemberInterfaceSprites];
    pixels = loadMedia(MemberInterfaceSprites);
    interfaceSheet =
        new SpriteSheet(glContext, pixels, panels.width, panels.height, InterfaceSheetTextureId, 0);
    delete[] pixels;
}

void MainWindow::createWorld() {
    engineCore = new MyTamoEngineCore(glContext, spriteSheet, font, FirstLooseTextureId,
                                      PlanTileCurrentId, PlanTileOtherId);
    engineCore->avatar = new TamoEditorUserAvatar(this, engineCore);
    engineCore->sprites = new TamoSpriteObjectSet(engineCore);
    engineCore->map = new TamoMap(engineCore);
    engineCore->history = new WorldHistory(*engineCore->map, *engineCore->sprites);
    engineCore->centrePlanView();
    engineCore->textureCount = 0;
}

MainWindow::~MainWindow() {
    if (autosave) {
        // A run that ends without the user's word (a signal) keeps its work.
        if (hasUnsavedChanges() && !exitConfirmed)
            autosave->writeNow(*engineCore->map, *engineCore->sprites, worldName);
        else
            autosave->remove();
        autosave.reset();  // waits for the worker
    }
    shared.reset();  // leaves the city before the world goes
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
    skyDome->drawSkyDome(glContext->eye, 0.0f);
    engineCore->map->draw();
    engineCore->sprites->drawSprites();
    if (shared)
        shared->drawPeople();
    drawPanels();
    // Taken before the caption: the picture shows the city and its panels.
    if (pictureWanted) {
        pictureWanted = false;
        savePicture();
    }
    drawCaption();
    countFrame();
    if (answerClick())
        return;
    if (runPendingFileCommand())
        return;
    engineCore->avatar->update();
    if (shared)
        shared->frame(getTickCount(), caption);
    if (autosave)
        autosave->tick(getTickCount(), *engineCore->history, *engineCore->map, *engineCore->sprites,
                       worldName);
    glContext->present();
    glContext->clear();
}

void MainWindow::drawPanels() {
    drawPanel(PanelFile);
    drawPanel(PanelMode);
    if (engineCore->editMode == 0) {
        if (drawPanel(PanelBlock))
            drawBlockPanel(panelCorner(PanelBlock));
    } else {
        if (drawPanel(PanelSprite))
            drawSpritePanel(panelCorner(PanelSprite));
    }
    if (!engineCore->view3D)
        drawPanel(PanelLevel);
}

ScreenPoint MainWindow::panelCorner(InterfacePanel panel) const {
    return Panels[panel].corner(ScreenWidth, ScreenHeight);
}

bool MainWindow::drawPanel(InterfacePanel panel) {
    // Without its frame (media missing) the whole sheet would be drawn.
    if (!interfaceSheet->isValidFrame(panel, 0))
        return false;
    interfaceSheet->selectFrame(panel, 0);
    const ScreenPoint at = panelCorner(panel);
    glContext->textures->drawSprite2D(InterfaceSheetTextureId, at.x, at.y, 1.0f, false, false,
                                      0.0f);
    return true;
}

void MainWindow::drawBlockPanel(ScreenPoint corner) {
    const FaceMaterial& material = engineCore->material;
    // The preview shows the texture's own colours, whatever colour was
    // current; a texture that was never loaded shows no preview.
    if (glContext->textures->findTexture(material.texture) >= 0) {
        glColor4ub(255, 255, 255, 255);
        const ScreenRect r = MaterialPreview.movedBy(corner.x, corner.y);
        fillRectWithTexture(r.left, r.top, r.right, r.bottom, material.texture, false, 1.0f);
    }
    auto number = [&](ScreenPoint spot, int32_t value) {
        font->drawNumber(corner.x + spot.x, corner.y + spot.y, value, 255, 0, 0, true, 0.5f, false);
    };
    number(RotationNumberSpot, material.rotation);
    number(ScaleUNumberSpot, material.scaleU);
    number(ScaleVNumberSpot, material.scaleV);
    number(OffsetUNumberSpot, material.offsetU);
    number(OffsetVNumberSpot, material.offsetV);
}

void MainWindow::drawSpritePanel(ScreenPoint corner) {
    // A sprite type without a frame would otherwise show whatever frame was
    // selected last, from another sheet.
    if (!spriteSheet->isValidFrame(engineCore->spriteType, 0))
        return;
    spriteSheet->selectFrame(engineCore->spriteType, 0);
    const ScreenRect r = SpritePreview.movedBy(corner.x, corner.y);
    glContext->textures->drawTextureRect(WorldSheetTextureId, r.left, r.top, r.right, r.bottom);
}

void MainWindow::drawCaption() {
    const uint32_t now = getTickCount();
    const char* text = caption.textAt(now);
    if (text == nullptr)
        return;
    font->drawText(ScreenWidth / 2, ScreenHeight / 2, text, 255, 40, 40, true, 1.0f, false);
    if (const char* detail = caption.detailAt(now))
        font->drawText(ScreenWidth / 2, ScreenHeight / 2 + 20, detail, 255, 40, 40, true, 0.5f,
                       false);
}

void MainWindow::countFrame() {
    if (statistics.frameDone(getTickCount(), getFrameTime(), engineCore->map->lastDrawCounts()) &&
        statisticsReported)
        std::fprintf(stderr, "%s\n", statistics.reportLine().c_str());
    if (!statisticsShown)
        return;
    const ScreenPoint area = StatisticsArea.corner(ScreenWidth, ScreenHeight);
    ScreenOverlay overlay(*glContext);
    font->drawText(area.x + StatisticsText.x, area.y + StatisticsText.y,
                   statistics.overlayText().c_str(), 255, 255, 0, false, StatisticsTextScale, true);
}

bool MainWindow::savePicture() {
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> rgb = glContext->readPicture(&width, &height);
    std::string path;
    if (!FramePicture::save(rgb.data(), width, height, std::time(nullptr), &path)) {
        std::fprintf(stderr, "tamotown: saving the picture %s failed\n", path.c_str());
        caption.show("SAVE FAILED", getTickCount());
        return false;
    }
    caption.show("SAVED", getTickCount(), PictureCaptionMilliseconds,
                 path.substr(path.rfind('/') + 1));
    return true;
}

bool MainWindow::answerClick() {
    const int32_t id =
        buttons.takeClick(leftButtonDown, mouseX, mouseY, engineCore->editMode, engineCore->view3D);
    if (id == ButtonNone)
        return false;
    playSound(mediaFolder().path("pip.wav").c_str(), true);
    switch (performButtonAction(*engineCore, id)) {
    case ButtonFollowUp::Quit:
        if (hasUnsavedChanges()) {
            pendingFileCommand = FileCommand::Quit;  // asked once the button is up
            break;
        }
        exitConfirmed = true;
        delete this;
        return true;
    case ButtonFollowUp::SaveMapFile:
        pendingFileCommand = FileCommand::Save;
        break;
    case ButtonFollowUp::LoadMapFile:
        pendingFileCommand = FileCommand::Load;
        break;
    case ButtonFollowUp::None:
        break;
    }
    return false;
}

bool MainWindow::runPendingFileCommand() {
    // The dialog waits for the button's release: a release that went to the
    // dialog would leave the window believing the button still held, and the
    // next click on it would be lost.
    if (pendingFileCommand == FileCommand::None || isKeyDown(VK_LBUTTON))
        return false;
    const FileCommand command = pendingFileCommand;
    pendingFileCommand = FileCommand::None;
    if (command == FileCommand::Save) {
        saveMapFile();
    } else if (command == FileCommand::Load) {
        loadMapFile();
    } else if (confirmDiscard()) {
        exitConfirmed = true;
        delete this;
        return true;
    }
    return false;
}

bool MainWindow::saveMapFile() {
    std::string why, chosen;
    MapFileCommands commands = mapFileCommands();
    commands.proposedName = worldName;
    const MapFileOutcome outcome =
        commands.save(*engineCore->map, *engineCore->sprites, &why, &chosen);
    reportMapFileOutcome(outcome, "saving", why, "SAVE FAILED");
    if (outcome != MapFileOutcome::Done)
        return false;
    worldName = chosen;
    engineCore->history->markSaved();
    return true;
}

void MainWindow::loadMapFile() {
    if (shared)
        return caption.show("SHARED CITY: LOAD IS OFF", getTickCount());
    if (!confirmDiscard())
        return;
    std::string why, chosen;
    WorldHistory& history = *engineCore->history;
    history.closeAction();  // the load is an action of its own
    const MapFileOutcome outcome =
        mapFileCommands().load(*engineCore->map, *engineCore->sprites, &why, &chosen);
    reportMapFileOutcome(outcome, "loading", why, "LOAD FAILED");
    if (outcome != MapFileOutcome::Done)
        return;
    worldName = chosen;
    history.markSaved();
}

void MainWindow::openMapFile(const char* path) {
    std::string why;
    if (MapFile::loadWorld(path, *engineCore->map, *engineCore->sprites, &why)) {
        // The world starts as this file: nothing before it to undo.
        engineCore->history->clear();
        engineCore->history->markSaved();
        worldName = path;
        caption.hide();
        return;
    }
    std::fprintf(stderr, "tamotown: opening %s failed: %s\n", path, why.c_str());
    caption.show("LOAD FAILED", getTickCount());
}

MapFileCommands MainWindow::mapFileCommands() const {
    MapFileCommands commands;
    commands.owner = getHandle("WindowHandler");
    commands.dialog = fileDialog;
    return commands;
}

void MainWindow::reportMapFileOutcome(MapFileOutcome outcome, const char* action,
                                      const std::string& why, const char* failureCaption) {
    if (outcome == MapFileOutcome::Failed) {
        std::fprintf(stderr, "tamotown: %s the world failed: %s\n", action, why.c_str());
        caption.show(failureCaption, getTickCount());
    } else if (outcome == MapFileOutcome::Done) {
        caption.hide();
    }
}

bool MainWindow::hasUnsavedChanges() const {
    return engineCore && engineCore->history && engineCore->history->isModified();
}

int32_t MainWindow::ask(const char* title, const char* text, const char* const* buttons,
                        int32_t count, int32_t defaultButton, int32_t cancelButton) const {
    const QuestionDialogFunction show = questionDialog ? questionDialog : &askQuestion;
    return show(getHandle("WindowHandler"), title, text, buttons, count, defaultButton,
                cancelButton);
}

bool MainWindow::confirmDiscard() {
    if (!hasUnsavedChanges())
        return true;
    static const char* const Answers[] = {"_Save", "_Discard", "_Cancel"};
    switch (ask("Unsaved changes", "The city has changes that are not saved. Save them first?",
                Answers, 3, 0, 2)) {
    case 0:
        return saveMapFile();
    case 1:
        return true;
    default:
        return false;
    }
}

bool MainWindow::allowClose() {
    if (!confirmDiscard())
        return false;
    exitConfirmed = true;
    return true;
}

void MainWindow::useSharedSession(std::unique_ptr<SharedSession> session) {
    shared = std::move(session);
}

void MainWindow::useAutosave(std::unique_ptr<Autosave> saver) {
    autosave = std::move(saver);
}

bool MainWindow::offerRecovery() {
    if (!autosave || !autosave->pending())
        return false;
    const std::time_t when = static_cast<std::time_t>(autosave->pendingTime());
    char stamp[64] = "an unknown time";
    if (const std::tm* local = std::localtime(&when))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    const std::string text =
        std::string("Work that was not saved was autosaved at ") + stamp + ". Recover it?";
    static const char* const Answers[] = {"_Recover", "_Discard"};
    if (ask("Recover unsaved work", text.c_str(), Answers, 2, 0, 1) != 0) {
        autosave->remove();
        return false;
    }
    std::string why;
    const std::string path = autosave->path();
    if (!MapFile::loadWorld(path.c_str(), *engineCore->map, *engineCore->sprites, &why)) {
        std::fprintf(stderr, "tamotown: the autosave %s cannot be recovered (%s); kept as %s.bad\n",
                     path.c_str(), why.c_str(), path.c_str());
        autosave->setAside();
        caption.show("LOAD FAILED", getTickCount());
        return false;
    }
    // Nothing before it to undo, and nothing of it saved yet.
    engineCore->history->clear();
    autosave->adoptPending();
    worldName = autosave->pendingName();
    caption.hide();
    return true;
}

void MainWindow::undo() {
    if (shared)
        return shared->undo(getTickCount(), caption);
    const bool done = engineCore->history->undo();
    caption.show(done ? "UNDO" : "NOTHING TO UNDO", getTickCount(), UndoCaptionMilliseconds);
}

void MainWindow::redo() {
    if (shared)
        return shared->redo(getTickCount(), caption);
    const bool done = engineCore->history->redo();
    caption.show(done ? "REDO" : "NOTHING TO REDO", getTickCount(), UndoCaptionMilliseconds);
}

void MainWindow::answerControlKey(int32_t key, bool shift) {
    if (key == 'Z' && !shift)
        undo();
    else if (key == 'Y' || (key == 'Z' && shift))
        redo();
}

void MainWindow::onEvent(int32_t type, int32_t a, int32_t b) {
    if (type != EventKeyDown || engineCore == nullptr || engineCore->sprites == nullptr)
        return;
    // With Ctrl held keys are commands: they never type into names nor
    // delete objects.
    if (b & KeyModifierControl) {
        answerControlKey(a, (b & KeyModifierShift) != 0);
        return;
    }
    // While objects are selected, keys belong to their names.
    if (a == KeyPicture && !engineCore->sprites->anySelected()) {
        pictureWanted = true;
        return;
    }
    if (a == KeyStatistics && !engineCore->sprites->anySelected()) {
        statisticsShown = !statisticsShown;
        return;
    }
    applyNameKey(a, *engineCore->sprites, engineCore->history);
}
