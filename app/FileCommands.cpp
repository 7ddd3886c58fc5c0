#include "app/FileCommands.h"

#include <cstdio>

#include "app/FileCaption.h"
#include "app/PictureCommands.h"
#include "app/StatusCaption.h"
#include "engine/TamoEngineCore.h"
#include "platform/KeyState.h"
#include "platform/QuestionDialog.h"
#include "platform/SystemClock.h"
#include "platform/VirtualKeys.h"
#include "world/MapFile.h"
#include "world/WorldFileStamp.h"
#include "world/WorldHistory.h"

FileCommands::FileCommands(TamoEngineCore& core, StatusCaption& caption, uintptr_t owner,
                           PictureCommands& pictures)
        : core(core), caption(caption), owner(owner), pictures(pictures) {}

bool FileCommands::request(ButtonFollowUp followUp) {
    switch (followUp) {
    case ButtonFollowUp::Quit:
        if (!hasUnsavedChanges())
            return true;
        pending = Pending::Quit;  // asked once the button is up
        break;
    case ButtonFollowUp::SaveMapFile:
        pending = Pending::Save;
        break;
    case ButtonFollowUp::LoadMapFile:
        pending = Pending::Load;
        break;
    case ButtonFollowUp::OpenPalette:  // the window's, not a file command
    case ButtonFollowUp::None:
        break;
    }
    return false;
}

bool FileCommands::runPending() {
    if (pending == Pending::None || isKeyDown(VK_LBUTTON))
        return false;
    const Pending command = pending;
    pending = Pending::None;
    if (command == Pending::Save)
        saveMapFile();
    else if (command == Pending::Load)
        loadMapFile();
    else
        return confirmDiscard();
    return false;
}

bool FileCommands::saveMapFile() {
    std::string why, chosen;
    MapFileCommands commands = mapFileCommands();
    commands.proposedName = worldFileName();
    const MapFileOutcome outcome = commands.save(*core.map, *core.sprites, &why, &chosen);
    report(outcome, true, chosen, why);
    if (outcome != MapFileOutcome::Done)
        return false;
    core.history->markSaved();
    core.history->setWorldFile(WorldFileStamp::of(chosen));
    return true;
}

void FileCommands::loadMapFile() {
    if (shared)
        return caption.show("SHARED CITY: LOAD IS OFF", getTickCount());
    if (!confirmDiscard())
        return;
    std::string why, chosen;
    WorldHistory& history = *core.history;
    history.closeAction();  // the load is an action of its own
    const MapFileOutcome outcome = mapFileCommands().load(*core.map, *core.sprites, &why, &chosen);
    report(outcome, false, chosen, why);
    if (outcome != MapFileOutcome::Done)
        return;
    history.setWorldFile(WorldFileStamp::of(chosen));  // part of the load: undone with it
    history.markSaved();
    pictures.loadCity(chosen);
}

void FileCommands::openMapFile(const char* path) {
    std::string why;
    if (MapFile::loadWorld(path, *core.map, *core.sprites, &why)) {
        // The world starts as this file: nothing before it to undo.
        core.history->clear();
        core.history->setWorldFile(WorldFileStamp::of(path));
        core.history->markSaved();
        // A caption from start-up (an autosave set aside) stays to be read.
        pictures.loadCity(path);
        return;
    }
    std::fprintf(stderr, "tamotown: opening %s failed: %s\n", path, why.c_str());
    caption.show(FileCaption::loadFailed(path, why), getTickCount());
}

MapFileCommands FileCommands::mapFileCommands() const {
    MapFileCommands commands;
    commands.owner = owner;
    commands.dialog = fileDialog;
    commands.question = questionDialog;
    commands.current = core.history->worldFile();
    commands.cityPictures = [this](const std::set<int32_t>& used) {
        return pictures.cityPictures(used);
    };
    return commands;
}

void FileCommands::report(MapFileOutcome outcome, bool saving, const std::string& path,
                          const std::string& why) {
    if (outcome == MapFileOutcome::Failed)
        std::fprintf(stderr, "tamotown: %s the world failed: %s: %s\n",
                     saving ? "saving" : "loading", path.c_str(), why.c_str());
    if (outcome != MapFileOutcome::Cancelled)
        caption.show(FileCaption::afterMapFile(saving, outcome == MapFileOutcome::Done, path, why),
                     getTickCount());
}

bool FileCommands::hasUnsavedChanges() const {
    return core.history && core.history->isModified();
}

QuestionFunction FileCommands::question() const {
    return questionDialog ? questionDialog : &askQuestion;
}

bool FileCommands::confirmDiscard() {
    if (!hasUnsavedChanges())
        return true;
    static const char* const Answers[] = {"_Save", "_Discard", "_Cancel"};
    switch (question()(owner, "Unsaved changes",
                       "The city has changes that are not saved. Save them first?", Answers, 3, 0,
                       2)) {
    case 0:
        return saveMapFile();
    case 1:
        return true;
    default:
        return false;
    }
}

const std::string& FileCommands::worldFileName() const {
    return core.history->worldFile().name;
}
