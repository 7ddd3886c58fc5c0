#include "app/MainWindow.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "app/Autosave.h"
#include "app/ButtonActions.h"
#include "app/FramePicture.h"
#include "app/KeyTable.h"
#include "app/LooseTextures.h"
#include "app/MapFileCommands.h"
#include "app/MediaFolder.h"
#include "app/RecoveryOffer.h"
#include "app/RegionKeys.h"
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
    regionKeys = std::make_unique<RegionKeys>(*engineCore, caption);
}

MainWindow::~MainWindow() {
    if (autosave) {
        // A run that ends without the user's word (a signal) keeps its work.
        if (hasUnsavedChanges() && !exitConfirmed)
            keepUnsavedWork();
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
    engineCore->map->drawWithSky(*skyDome);
    engineCore->sprites->drawSprites();
    regionKeys->drawSelection();
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
    if (autosave) {
        autosave->tick(getTickCount(), *engineCore->history, *engineCore->map, *engineCore->sprites,
                       engineCore->history->worldFile());
        std::string notice, detail;
        if (autosave->takeNotice(&notice, &detail))
            caption.show(notice.c_str(), getTickCount(), StatusCaption::ShowMilliseconds, detail);
    }
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
    std::string path, why;
    if (!FramePicture::save(rgb.data(), width, height, std::time(nullptr), &path, &why)) {
        std::fprintf(stderr, "tamotown: saving the picture %s failed: %s\n", path.c_str(),
                     why.c_str());
        caption.show(FileCaption::saveFailed(path, why), getTickCount());
        return false;
    }
    caption.show(FileCaption::pictureSaved(path), getTickCount());
    return true;
}

bool MainWindow::answerClick() {
    const int32_t id = buttons.takeClick(leftButtonDown, leftDoubleClick, mouseX, mouseY,
                                         engineCore->editMode, engineCore->view3D);
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
    commands.proposedName = worldFileName();
    const MapFileOutcome outcome =
        commands.save(*engineCore->map, *engineCore->sprites, &why, &chosen);
    reportMapFileOutcome(outcome, true, chosen, why);
    if (outcome != MapFileOutcome::Done)
        return false;
    engineCore->history->markSaved();
    engineCore->history->setWorldFile(WorldFileStamp::of(chosen));
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
    reportMapFileOutcome(outcome, false, chosen, why);
    if (outcome != MapFileOutcome::Done)
        return;
    history.setWorldFile(WorldFileStamp::of(chosen));  // part of the load: undone with it
    history.markSaved();
}

void MainWindow::openMapFile(const char* path) {
    std::string why;
    if (MapFile::loadWorld(path, *engineCore->map, *engineCore->sprites, &why)) {
        // The world starts as this file: nothing before it to undo.
        engineCore->history->clear();
        engineCore->history->setWorldFile(WorldFileStamp::of(path));
        engineCore->history->markSaved();
        // A caption from start-up (an autosave set aside) stays to be read.
        return;
    }
    std::fprintf(stderr, "tamotown: opening %s failed: %s\n", path, why.c_str());
    caption.show(FileCaption::loadFailed(path, why), getTickCount());
}

MapFileCommands MainWindow::mapFileCommands() const {
    MapFileCommands commands;
    commands.owner = getHandle("WindowHandler");
    commands.dialog = fileDialog;
    commands.question = questionDialog;
    commands.current = engineCore->history->worldFile();
    return commands;
}

void MainWindow::reportMapFileOutcome(MapFileOutcome outcome, bool saving, const std::string& path,
                                      const std::string& why) {
    if (outcome == MapFileOutcome::Failed)
        std::fprintf(stderr, "tamotown: %s the world failed: %s: %s\n",
                     saving ? "saving" : "loading", path.c_str(), why.c_str());
    if (outcome != MapFileOutcome::Cancelled)
        caption.show(FileCaption::afterMapFile(saving, outcome == MapFileOutcome::Done, path, why),
                     getTickCount());
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
    std::string damaged;
    const bool recovered =
        autosave &&
        RecoveryOffer::run(*autosave, *engineCore->map, *engineCore->sprites, *engineCore->history,
                           questionDialog ? questionDialog : &askQuestion,
                           getHandle("WindowHandler"), &damaged);
    // A damaged autosave set aside is said even when an older one was then
    // recovered.
    if (!damaged.empty())
        caption.show(FileCaption::autosaveSetAside(damaged), getTickCount());
    else if (recovered)
        caption.hide();
    return recovered;
}

bool MainWindow::keepUnsavedWork() {
    return !autosave ||
           autosave->keepUnsavedWork(*engineCore->history, *engineCore->map, *engineCore->sprites);
}

const std::string& MainWindow::worldFileName() const {
    return engineCore->history->worldFile().name;
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

void MainWindow::runKeyCommand(KeyCommand command) {
    if (command == KeyCommand::Undo)
        undo();
    else if (command == KeyCommand::Redo)
        redo();
    else if (command == KeyCommand::SavePicture)
        pictureWanted = true;
    else if (command == KeyCommand::ToggleStatistics)
        statisticsShown = !statisticsShown;
    else
        regionKeys->run(command, mapFileCommands());
}

void MainWindow::onEvent(int32_t type, int32_t a, int32_t b) {
    if (type != EventKeyDown || engineCore == nullptr || engineCore->sprites == nullptr)
        return;
    // While objects are selected, keys belong to their names, except the few
    // commands that also act then.
    const KeyBinding* binding = KeyTable::find(a, b);
    if (binding != nullptr &&
        (binding->whileFiguresSelected || !engineCore->sprites->anySelected())) {
        runKeyCommand(binding->command);
        return;
    }
    // With Ctrl held keys are commands: they never type into names nor
    // delete objects.
    if ((b & KeyModifierControl) == 0)
        applyNameKey(a, *engineCore->sprites, engineCore->history);
}
