#pragma once
#include <cstdint>
#include <string>

#include "app/ButtonActions.h"
#include "app/MapFileCommands.h"

class PictureCommands;
class StatusCaption;
class TamoEngineCore;

// The window's commands on the world's file: save, load, open and the
// question before quitting, through the file dialog (MapFileCommands) and
// the question "Unsaved changes". Each says in the caption how it went (a
// failure also on stderr) and keeps the history's saved mark and world file.
class FileCommands {
public:
    FileCommands(TamoEngineCore& core, StatusCaption& caption, uintptr_t owner,
                 PictureCommands& pictures);

    // A panel button's save, load or quit. Save and load, and a quit with
    // unsaved changes, wait for runPending; true when the run may end now.
    bool request(ButtonFollowUp followUp);
    // Runs what a button asked for once the mouse button is up: a release
    // that went to the dialog would leave the window believing the button
    // still held. True when the user then chose to end the run.
    bool runPending();

    // True when the world was saved.
    bool saveMapFile();
    // Off in a shared city.
    void loadMapFile();
    // Loads the world file at path without asking; the world then counts as
    // saved in that file.
    void openMapFile(const char* path);
    // With unsaved changes, asks "Unsaved changes": Save (true once saved),
    // Discard (true) or Cancel (false). True at once without changes.
    bool confirmDiscard();
    bool hasUnsavedChanges() const;
    // The world file the work belongs to; empty for a new world.
    const std::string& worldFileName() const;
    // The dialogs and the world's file, for whatever else chooses files.
    MapFileCommands mapFileCommands() const;

    // The dialogs (the platform's when null).
    void setFileDialog(FileDialogFunction dialog) { fileDialog = dialog; }
    void setQuestionDialog(QuestionFunction dialog) { questionDialog = dialog; }
    QuestionFunction question() const;
    // In a shared city the world is the city's: no load.
    void setShared(bool on) { shared = on; }

private:
    enum class Pending { None, Save, Load, Quit };

    void report(MapFileOutcome outcome, bool saving, const std::string& path,
                const std::string& why);

    TamoEngineCore& core;
    StatusCaption& caption;
    uintptr_t owner;
    PictureCommands& pictures;
    FileDialogFunction fileDialog = nullptr;
    QuestionFunction questionDialog = nullptr;
    bool shared = false;
    Pending pending = Pending::None;
};
