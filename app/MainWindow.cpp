#include "app/MainWindow.h"

#include <cstdio>
#include <string>

#include <GL/gl.h>

#include "app/ButtonActions.h"
#include "app/LooseTextures.h"
#include "app/MapFileCommands.h"
#include "app/SpriteNameKeys.h"
#include "app/WorkingDirectory.h"
#include "engine/MyTamoEngineCore.h"
#include "engine/Overlay.h"
#include "engine/TamoEditorUserAvatar.h"
#include "media/Archive.h"
#include "media/BitmapFont.h"
#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "media/Textures.h"
#include "platform/GLContext.h"
#include "platform/KeyState.h"
#include "platform/ScreenSize.h"
#include "platform/Sound.h"
#include "platform/SystemClock.h"
#include "platform/VirtualKeys.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

constexpr int32_t SkyTextureId = 1;
constexpr int32_t FontTextureId = 2;
constexpr int32_t PlanTileCurrentId = 3;
constexpr int32_t PlanTileOtherId = 4;
constexpr int32_t WorldSheetTextureId = 5;
constexpr int32_t InterfaceSheetTextureId = 6;

constexpr float FarPlane = 1000.0f;
constexpr int32_t SkySlices = 16;
constexpr int32_t SkyStacks = 20;

enum InterfaceGroup : int32_t {
    GroupFilePanel = 0,
    GroupModePanel = 1,
    GroupBlockPanel = 2,
    GroupSpritePanel = 3,
    GroupLevelPanel = 4,
};

struct ArchiveImage {
    const char* name;
    int32_t width;
    int32_t height;
    int32_t textureId;
    bool colourKeyed;
};

// In loading order.
constexpr ArchiveImage ArchiveTextures[] = {
    {"Media\\Block0_8.raw", 8, 8, PlanTileCurrentId, false},
    {"Media\\Block1_16.raw", 16, 16, PlanTileOtherId, false},
    {"Media\\Sky51232.raw", 512, 32, SkyTextureId, false},
    {"Media\\Font16x16_256128.raw", 256, 128, FontTextureId, true},
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

uint8_t* MainWindow::loadMedia(const char* name) {
    uint8_t* pixels = loadArchiveEntry(name);
    if (mediaError.empty())
        mediaError = pixels == nullptr ? std::string(name) + " is not declared in the archive"
                                       : lastArchiveLoadError();
    return pixels;
}

void MainWindow::reportMissingMedia() const {
    if (mediaError.empty())
        return;
    std::fprintf(stderr, "tamotown: media missing (%s); working directory %s\n", mediaError.c_str(),
                 workingDirectory().c_str());
}

void MainWindow::loadArchiveTextures() {
    for (const ArchiveImage& image : ArchiveTextures) {
        uint8_t* pixels = loadMedia(image.name);
        if (image.colourKeyed)
            createColourKeyTexture(glContext->textures.get(), pixels, image.width, image.height,
                                   image.textureId);
        else
            createUniformAlphaTexture(glContext->textures.get(), pixels, image.width, image.height,
                                      image.textureId, 1.0f);
        delete[] pixels;
    }
}

void MainWindow::loadSpriteSheets() {
    uint8_t* pixels = loadMedia("Media\\Sprites512.raw");
    spriteSheet = new SpriteSheet(glContext, pixels, 512, 512, WorldSheetTextureId, 0);
    delete[] pixels;
    pixels = loadMedia("Media\\InterfaceSprites512256.raw");
    interfaceSheet = new SpriteSheet(glContext, pixels, 512, 256, InterfaceSheetTextureId, 0);
    delete[] pixels;
}

void MainWindow::createWorld() {
    engineCore = new MyTamoEngineCore(glContext, spriteSheet, font, FirstLooseTextureId,
                                      PlanTileCurrentId, PlanTileOtherId);
    engineCore->avatar = new TamoEditorUserAvatar(this, engineCore);
    engineCore->sprites = new TamoSpriteObjectSet(engineCore);
    engineCore->map = new TamoMap(engineCore);
    engineCore->centrePlanView();
    engineCore->textureCount = 0;
}

MainWindow::~MainWindow() {
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
        skyDome = new SkyDome(static_cast<float>(0.95 * glContext->frustum.far), SkySlices,
                              SkyStacks, SkyTextureId);
}

void MainWindow::onFrame() {
    if (displayMode != ModeRunning)
        return;
    skyDome->drawSkyDome(glContext->eye, 0.0f);
    engineCore->map->draw();
    engineCore->sprites->drawSprites();
    drawPanels();
    drawCaption();
    if (answerClick())
        return;
    runPendingFileCommand();
    engineCore->avatar->update();
    glContext->present();
    glContext->clear();
}

void MainWindow::drawPanels() {
    const int32_t W = ScreenWidth;
    const int32_t H = ScreenHeight;
    drawPanel(GroupFilePanel, 0, 0);
    drawPanel(GroupModePanel, W - 80, 0);
    if (engineCore->editMode == 0) {
        if (drawPanel(GroupBlockPanel, W - 181, H - 130))
            drawBlockPanel(W - 181, H - 130);
    } else {
        if (drawPanel(GroupSpritePanel, W - 139, H - 130))
            drawSpritePanel(W - 139, H - 130);
    }
    if (!engineCore->view3D)
        drawPanel(GroupLevelPanel, 0, H - 80);
}

bool MainWindow::drawPanel(int32_t group, int32_t x, int32_t y) {
    // Without its frame (media missing) the whole sheet would be drawn.
    if (!interfaceSheet->isValidFrame(group, 0))
        return false;
    interfaceSheet->selectFrame(group, 0);
    glContext->textures->drawSprite2D(InterfaceSheetTextureId, x, y, 1.0f, false, false, 0.0f);
    return true;
}

void MainWindow::drawBlockPanel(int32_t bx, int32_t by) {
    const FaceMaterial& material = engineCore->material;
    // The preview shows the texture's own colours, whatever colour was
    // current; a texture that was never loaded shows no preview.
    if (glContext->textures->findTexture(material.texture) >= 0) {
        glColor4ub(255, 255, 255, 255);
        fillRectWithTexture(bx + 78, by + 25, bx + 156, by + 104, material.texture, false, 1.0f);
    }
    auto number = [&](int32_t x, int32_t y, int32_t value) {
        font->drawNumber(x, y, value, 255, 0, 0, true, 0.5f, false);
    };
    number(bx + 27, by + 27, material.rotation);
    number(bx + 115, by + 12, material.scaleU);
    number(bx + 65, by + 63, material.scaleV);
    number(bx + 118, by + 118, material.offsetU);
    number(bx + 170, by + 64, material.offsetV);
}

void MainWindow::drawSpritePanel(int32_t bx, int32_t by) {
    // A sprite type without a frame would otherwise show whatever frame was
    // selected last, from another sheet.
    if (!spriteSheet->isValidFrame(engineCore->spriteType, 0))
        return;
    spriteSheet->selectFrame(engineCore->spriteType, 0);
    glContext->textures->drawTextureRect(WorldSheetTextureId, bx + 59, by + 34, bx + 122, by + 100);
}

void MainWindow::drawCaption() {
    const char* text = caption.textAt(getTickCount());
    if (text == nullptr)
        return;
    font->drawText(ScreenWidth / 2, ScreenHeight / 2, text, 255, 40, 40, true, 1.0f, false);
}

bool MainWindow::answerClick() {
    const int32_t id =
        buttons.takeClick(leftButtonDown, mouseX, mouseY, engineCore->editMode, engineCore->view3D);
    if (id == ButtonNone)
        return false;
    playSound("pip.wav", true);
    switch (performButtonAction(*engineCore, id)) {
    case ButtonFollowUp::Quit:
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

void MainWindow::runPendingFileCommand() {
    // The dialog waits for the button's release: a release that went to the
    // dialog would leave the window believing the button still held, and the
    // next click on it would be lost.
    if (pendingFileCommand == FileCommand::None || isKeyDown(VK_LBUTTON))
        return;
    const FileCommand command = pendingFileCommand;
    pendingFileCommand = FileCommand::None;
    if (command == FileCommand::Save)
        saveMapFile();
    else
        loadMapFile();
}

void MainWindow::saveMapFile() {
    std::string why;
    const MapFileOutcome outcome =
        mapFileCommands().save(*engineCore->map, *engineCore->sprites, &why);
    reportMapFileOutcome(outcome, "saving", why, "SAVE FAILED");
}

void MainWindow::loadMapFile() {
    std::string why;
    const MapFileOutcome outcome =
        mapFileCommands().load(*engineCore->map, *engineCore->sprites, &why);
    reportMapFileOutcome(outcome, "loading", why, "LOAD FAILED");
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

void MainWindow::onEvent(int32_t type, int32_t a, int32_t) {
    constexpr int32_t KeyDownEvent = 2;
    if (type != KeyDownEvent || engineCore == nullptr || engineCore->sprites == nullptr)
        return;
    char ch = 0;
    switch (nameKeyAction(a, &ch)) {
    case NameKeyAction::AppendChar:
        engineCore->sprites->appendNameChar(ch);
        break;
    case NameKeyAction::EraseLastChar:
        engineCore->sprites->eraseLastNameChar();
        break;
    case NameKeyAction::DeleteSelected:
        engineCore->sprites->deleteSelected();
        break;
    case NameKeyAction::None:
        break;
    }
}
