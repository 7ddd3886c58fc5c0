#include "app/RecoveryOffer.h"

#include "app/FileCaption.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "app/Autosave.h"
#include "platform/MessagePump.h"
#include "world/MapFile.h"
#include "world/WorldHistory.h"

namespace RecoveryOffer {

bool run(Autosave& autosave, TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
         QuestionFunction ask, uintptr_t owner, std::string* damaged) {
    damaged->clear();
    while (autosave.pending()) {
        const std::time_t when = static_cast<std::time_t>(autosave.pendingTime());
        char stamp[64] = "an unknown time";
        if (const std::tm* local = std::localtime(&when))
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
        const std::string text =
            std::string("Work that was not saved was autosaved at ") + stamp + ". Recover it?";
        static const char* const Answers[] = {"_Recover", "_Discard"};
        const int32_t answer = ask(owner, "Recover unsaved work", text.c_str(), Answers, 2, 0, 1);
        if (quitRequested())
            return false;  // nobody answered: every autosave waits for the next start
        if (answer != 0) {
            autosave.discardPending();
            continue;
        }
        std::string why;
        const std::string path = autosave.pendingPath();
        if (!MapFile::loadWorld(path.c_str(), map, sprites, &why)) {
            const std::string keptAs = autosave.setAside();
            std::fprintf(stderr, "tamotown: the autosave %s cannot be recovered (%s); kept as %s\n",
                         path.c_str(), why.c_str(), keptAs.c_str());
            *damaged = FileCaption::fileName(keptAs) + ": " + why;
            continue;
        }
        // Nothing before it to undo, and nothing of it saved yet.
        history.clear();
        history.setWorldFile(autosave.pendingFile());
        autosave.adoptPending();
        return true;
    }
    return false;
}

}  // namespace RecoveryOffer
