#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/FrameStatistics.h"
#include "app/InterfaceButtons.h"
#include "app/MapFileCommands.h"
#include "app/StatusCaption.h"
#include "media/InterfaceLayout.h"
#include "media/MediaArchive.h"
#include "platform/Window.h"

class Autosave;
class RegionKeys;
enum class KeyCommand;
class SharedSession;
class BitmapFont;
class GLContext;
class SkyDome;
class SpriteSheet;
class TamoEngineCore;

// The program's one window: owns the GL context, the sprite sheets, the font,
// the sky dome, the engine core (and through it the world) and the panel
// buttons. Each frame it draws the world and the panels, answers a click on a
// panel button, lets the avatar move and edit, and presents the picture.
// Work is never dropped unasked: quit, close and load first ask about unsaved
// changes; Ctrl+Z and Ctrl+Y undo and redo; unsaved work is autosaved.
class MainWindow : public Window {
public:
    // The question dialog's contract (the platform's askQuestion).
    using QuestionDialogFunction = QuestionFunction;
    static constexpr uint32_t UndoCaptionMilliseconds = 2000;

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
    // True when the world was saved.
    bool saveMapFile();
    void loadMapFile();
    // Loads the world file at path without asking, as loadMapFile does
    // with the name chosen; the world then counts as saved in that file.
    void openMapFile(const char* path);
    // Undoes or redoes one action and says so in the caption.
    void undo();
    void redo();
    // With unsaved changes, asks "Unsaved changes": Save (true once saved),
    // Discard (true) or Cancel (false). True at once without changes.
    bool confirmDiscard();
    bool hasUnsavedChanges() const;
    // The world file the work belongs to (the save dialog proposes it); empty
    // for a new world.
    const std::string& worldFileName() const;

    // Autosaves unsaved work from now on (an autosave that has started).
    void useAutosave(std::unique_ptr<Autosave> saver);
    Autosave* getAutosave() const { return autosave.get(); }
    // Builds together in a shared city from now on (one that has started).
    void useSharedSession(std::unique_ptr<SharedSession> session);
    // Offers the autosaves ended runs left (RecoveryOffer); true when one was
    // recovered. keepUnsavedWork autosaves unsaved work now (false: lost).
    bool offerRecovery();
    bool keepUnsavedWork();

    // The dialog the map-file commands ask for a name (the platform's when null).
    void setFileDialog(FileDialogFunction dialog) { fileDialog = dialog; }
    // The dialog that asks questions (the platform's when null).
    void setQuestionDialog(QuestionDialogFunction dialog) { questionDialog = dialog; }

    TamoEngineCore* getEngineCore() const { return engineCore; }
    GLContext* getGLContext() const { return glContext; }
    const InterfaceButtons& getButtons() const { return buttons; }
    // The caption shown at time now, or null, and its second line, or null.
    const char* captionAt(uint32_t now) const { return caption.textAt(now); }
    const char* captionDetailAt(uint32_t now) const { return caption.detailAt(now); }
    // Writes the frame drawn so far as a new picture file (F12) and shows
    // "SAVED" with its name; true when written.
    bool savePicture();
    // Frame figures: shown over the picture (F3 toggles it while no sprite
    // object is selected), printed on stderr once a second (--stats).
    void showStatistics(bool on) { statisticsShown = on; }
    bool statisticsShowing() const { return statisticsShown; }
    void reportStatistics(bool on) { statisticsReported = on; }
    const FrameStatistics& frameStatistics() const { return statistics; }

private:
    // Loads an archive member, remembering the first failure for the report.
    uint8_t* loadMedia(ArchiveMember member);
    void reportMissingMedia() const;
    void loadArchiveTextures();
    void loadSpriteSheets();
    void createWorld();
    void drawPanels();
    ScreenPoint panelCorner(InterfacePanel panel) const;
    // The panel's picture at its corner; false when the sheet has no such group.
    bool drawPanel(InterfacePanel panel);
    // The material preview and numbers, the sprite preview, over the panel at corner.
    void drawBlockPanel(ScreenPoint corner);
    void drawSpritePanel(ScreenPoint corner);
    void drawCaption();
    // Counts the frame, reports it when asked to and draws the overlay.
    void countFrame();
    // True when the window destroyed itself (quit).
    bool answerClick();
    // Runs a save, load or quit asked for by a button once the mouse button
    // is up; true when the window destroyed itself (quit).
    bool runPendingFileCommand();
    // Runs a command of the key table.
    void runKeyCommand(KeyCommand command);
    int32_t ask(const char* title, const char* text, const char* const* buttons, int32_t count,
                int32_t defaultButton, int32_t cancelButton) const;
    MapFileCommands mapFileCommands() const;
    // A failure goes to stderr; the caption says how it went (FileCaption).
    void reportMapFileOutcome(MapFileOutcome outcome, bool saving, const std::string& path,
                              const std::string& why);

    enum class FileCommand { None, Save, Load, Quit };

    GLContext* glContext = nullptr;
    SpriteSheet* interfaceSheet = nullptr;
    SpriteSheet* spriteSheet = nullptr;
    BitmapFont* font = nullptr;
    int32_t displayMode = ModeBuilding;
    SkyDome* skyDome = nullptr;
    TamoEngineCore* engineCore = nullptr;
    InterfaceButtons buttons;
    StatusCaption caption;
    std::string mediaError;
    FileDialogFunction fileDialog = nullptr;
    QuestionDialogFunction questionDialog = nullptr;
    std::unique_ptr<Autosave> autosave;
    std::unique_ptr<SharedSession> shared;
    // The user chose to end the run (after the question, if any): the
    // autosave goes with the run.
    bool exitConfirmed = false;
    FileCommand pendingFileCommand = FileCommand::None;
    bool pictureWanted = false;
    FrameStatistics statistics;
    bool statisticsShown = false;
    bool statisticsReported = false;
    std::unique_ptr<RegionKeys> regionKeys;
};
