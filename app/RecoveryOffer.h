#pragma once
#include <cstdint>
#include <string>

#include "app/MapFileCommands.h"

class Autosave;
class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// The question at start about work that ended runs left in their autosaves:
// for each, the newest first, "Recover unsaved work" until one is recovered.
// One not recovered is kept aside ("Discard"), a damaged one set aside; a
// quit asked for while the question is open leaves every autosave for the
// next start.
namespace RecoveryOffer {

// True when an autosave was recovered: the world is then its contents,
// unsaved, with nothing to undo, and the autosave is this run's. *damaged
// names the last one that could not be read and where it was kept ("<kept
// as>: <why>"), empty when none.
bool run(Autosave& autosave, TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
         QuestionFunction ask, uintptr_t owner, std::string* damaged);

}  // namespace RecoveryOffer
