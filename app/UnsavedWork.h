#pragma once
#include <cstdint>
#include <memory>

#include "app/MapFileCommands.h"

class Autosave;
class PictureCommands;
class StatusCaption;
class TamoEngineCore;

// Keeps unsaved work from being lost: the autosave of this run (its
// snapshots each frame, its notices in the caption), the offer at start to
// recover what ended runs left, and at the end of the run either the
// autosave removed (the user chose to end it) or the work kept for the next.
class UnsavedWork {
public:
    UnsavedWork(TamoEngineCore& core, StatusCaption& caption, PictureCommands& pictures);
    ~UnsavedWork();
    UnsavedWork(const UnsavedWork&) = delete;
    UnsavedWork& operator=(const UnsavedWork&) = delete;

    // Autosaves unsaved work from now on (an autosave that has started).
    void use(std::unique_ptr<Autosave> saver);
    Autosave* autosave() const { return saver.get(); }
    // Offers the autosaves ended runs left (RecoveryOffer), asking through
    // ask; true when one was recovered. A damaged one set aside is said in
    // the caption. Recovered work shows the pictures of the file it belongs to.
    bool offerRecovery(QuestionFunction ask, uintptr_t owner);
    // Autosaves unsaved work now; false when it could not be kept.
    bool keep();
    // A due snapshot goes to the autosave; its notice shows.
    void tick(uint32_t now);
    // The run ends: the work is kept unless the user chose to end the run,
    // in which case the autosave goes. Waits for the autosave's writer.
    void endRun(bool userChoseToEnd);

private:
    TamoEngineCore& core;
    StatusCaption& caption;
    PictureCommands& pictures;
    std::unique_ptr<Autosave> saver;
};
