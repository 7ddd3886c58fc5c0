#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/FrameStatistics.h"
#include "app/InterfaceButtons.h"
#include "app/KeyCommands.h"
#include "app/MapFileCommands.h"
#include "app/StatusCaption.h"
#include "platform/Window.h"

class Autosave;
class BitmapFont;
class FileCommands;
class GLContext;
class ModalOverlay;
class Overlays;
class PictureCommands;
class ScreenPanels;
class SharedSession;
class SkyDome;
class SpriteSheet;
class TamoEngineCore;
class UnsavedWork;

// The program's one window: owns the GL context, the sprite sheets, the font,
// the sky dome, the engine core (and through it the world) and the panel
// buttons, and keeps the order of a frame: it draws the world and what lies
// over it (ScreenPanels), answers a click on a panel button, lets the avatar
// move and edit, and presents the picture. Input goes on to those that act on
// it: keys to KeyCommands, the file commands to FileCommands; unsaved work is
// UnsavedWork's. Work is never dropped unasked: quit, close and load first
// ask about unsaved changes.
class MainWindow : public Window {
public:
    // The question dialog's contract (the platform's askQuestion).
    using QuestionDialogFunction = QuestionFunction;
    static constexpr uint32_t UndoCaptionMilliseconds = KeyCommands::UndoCaptionMilliseconds;

    // Display modes: building (0), shutting down (1), running (2).
    static constexpr int32_t ModeBuilding = 0;
    static constexpr int32_t ModeShuttingDown = 1;
    static constexpr int32_t ModeRunning = 2;

    explicit MainWindow(WindowDescription description);
    ~MainWindow() override;

    void onEvent(int32_t type, int32_t a, int32_t b) override;
    void onFrame() override;
    // A close from the window system: asks about unsaved changes first.
    bool allowClose() override;

    void setDisplayMode(int32_t mode);
    int32_t getDisplayMode() const { return displayMode; }

    // The file commands (FileCommands): true when the world was saved.
    bool saveMapFile();
    void loadMapFile();
    void openMapFile(const char* path);
    bool confirmDiscard();
    bool hasUnsavedChanges() const;
    const std::string& worldFileName() const;
    // The dialog the map-file commands ask for a name (the platform's when null).
    void setFileDialog(FileDialogFunction dialog);
    // The dialog that asks questions (the platform's when null).
    void setQuestionDialog(QuestionDialogFunction dialog);

    // Undoes or redoes one action and says so in the caption (KeyCommands).
    void undo();
    void redo();

    // Autosaves unsaved work from now on (an autosave that has started).
    void useAutosave(std::unique_ptr<Autosave> saver);
    Autosave* getAutosave() const;
    // Builds together in a shared city from now on (one that has started).
    void useSharedSession(std::unique_ptr<SharedSession> session);
    // Offers the autosaves ended runs left (UnsavedWork); true when one was
    // recovered. keepUnsavedWork autosaves unsaved work now (false: lost).
    bool offerRecovery();
    bool keepUnsavedWork();
    // Shows the first start's hint "F1: KEYS" unless another caption shows
    // (a start-up failure stays to be read); true when it showed.
    bool showKeysHint();
    // The palette or the key table while one is open, else null.
    ModalOverlay* openOverlay() const;

    TamoEngineCore* getEngineCore() const { return engineCore; }
    GLContext* getGLContext() const { return glContext; }
    const InterfaceButtons& getButtons() const { return buttons; }
    // The caption shown at time now, or null, and its second line, or null.
    const char* captionAt(uint32_t now) const { return caption.textAt(now); }
    const char* captionDetailAt(uint32_t now) const { return caption.detailAt(now); }
    // The F12 picture and the frame figures (ScreenPanels).
    bool savePicture();
    void showStatistics(bool on);
    bool statisticsShowing() const;
    void reportStatistics(bool on);
    const FrameStatistics& frameStatistics() const;

private:
    void createWorld();
    // True when the window destroyed itself (quit).
    bool answerClick();
    // The user chose to end the run: the autosave goes with it.
    void quit();

    GLContext* glContext = nullptr;
    SpriteSheet* interfaceSheet = nullptr;
    SpriteSheet* spriteSheet = nullptr;
    BitmapFont* font = nullptr;
    int32_t displayMode = ModeBuilding;
    SkyDome* skyDome = nullptr;
    TamoEngineCore* engineCore = nullptr;
    InterfaceButtons buttons;
    StatusCaption caption;
    std::unique_ptr<PictureCommands> pictures;
    std::unique_ptr<ScreenPanels> panels;
    std::unique_ptr<Overlays> overlays;
    std::unique_ptr<FileCommands> files;
    std::unique_ptr<KeyCommands> keys;
    std::unique_ptr<UnsavedWork> unsaved;
    std::unique_ptr<SharedSession> shared;
    bool exitConfirmed = false;
};
