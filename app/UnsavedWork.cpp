#include "app/UnsavedWork.h"

#include <string>
#include <utility>

#include "app/Autosave.h"
#include "app/FileCaption.h"
#include "app/PictureCommands.h"
#include "app/RecoveryOffer.h"
#include "app/StatusCaption.h"
#include "engine/TamoEngineCore.h"
#include "platform/SystemClock.h"
#include "world/WorldHistory.h"

UnsavedWork::UnsavedWork(TamoEngineCore& core, StatusCaption& caption, PictureCommands& pictures)
        : core(core), caption(caption), pictures(pictures) {}

UnsavedWork::~UnsavedWork() = default;

void UnsavedWork::use(std::unique_ptr<Autosave> autosave) {
    saver = std::move(autosave);
}

bool UnsavedWork::offerRecovery(QuestionFunction ask, uintptr_t owner) {
    std::string damaged;
    const bool recovered = saver && RecoveryOffer::run(*saver, *core.map, *core.sprites,
                                                       *core.history, ask, owner, &damaged);
    // A damaged autosave set aside is said even when an older one was then
    // recovered.
    if (!damaged.empty())
        caption.show(FileCaption::autosaveSetAside(damaged), getTickCount());
    else if (recovered)
        caption.hide();
    if (recovered && !core.history->worldFile().name.empty())
        pictures.loadCity(core.history->worldFile().name);
    return recovered;
}

bool UnsavedWork::keep() {
    return !saver || saver->keepUnsavedWork(*core.history, *core.map, *core.sprites);
}

void UnsavedWork::tick(uint32_t now) {
    if (!saver)
        return;
    saver->tick(now, *core.history, *core.map, *core.sprites, core.history->worldFile());
    std::string notice, detail;
    if (saver->takeNotice(&notice, &detail))
        caption.show(notice.c_str(), now, StatusCaption::ShowMilliseconds, detail);
}

void UnsavedWork::endRun(bool userChoseToEnd) {
    if (!saver)
        return;
    // A run that ends without the user's word (a signal) keeps its work.
    if (core.history && core.history->isModified() && !userChoseToEnd)
        keep();
    else
        saver->remove();
    saver.reset();  // waits for the worker
}
