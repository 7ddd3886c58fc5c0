#include "app/MapFileCommands.h"

#include <cstring>

#include "platform/FileDialog.h"
#include "platform/QuestionDialog.h"
#include "world/CityPictureFolder.h"
#include "world/MapFile.h"

const char MapFileDefaultName[] = "default.map";
const char MapFileExtension[] = "map";
const char MapFileFilter[] = "TamoMap Files (*.map)\0*.map\0All Files (*.*)\0*.*\0";

bool MapFileCommands::chooseFile(bool saving, char* buffer) const {
    std::memset(buffer, 0, MapFileNameBufferSize);
    const bool proposeCurrent =
        saving && !proposedName.empty() && proposedName.size() < MapFileNameBufferSize;
    std::strcpy(buffer, proposeCurrent ? proposedName.c_str() : MapFileDefaultName);
    const FileDialogFunction show = dialog != nullptr ? dialog : &fileDialog;
    if (!show(owner, saving, buffer, MapFileNameBufferSize, MapFileFilter, MapFileExtension))
        return false;
    buffer[MapFileNameBufferSize - 1] = '\0';
    return buffer[0] != '\0';
}

MapFileOutcome MapFileCommands::save(TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why,
                                     std::string* chosen) const {
    char name[MapFileNameBufferSize];
    for (;;) {
        if (!chooseFile(true, name))
            return MapFileOutcome::Cancelled;
        if (!current.names(name) || !current.changedOnDisk())
            break;
        static const char* const Answers[] = {"Save _anyway", "Save _as", "_Cancel"};
        const QuestionFunction ask = question ? question : &askQuestion;
        const int32_t answer =
            ask(owner, "The file was changed by another program",
                "The file was changed by another program since this city was loaded or saved. "
                "Saving replaces those changes.",
                Answers, 3, 2, 2);
        if (answer == 0)
            break;
        if (answer != 1)
            return MapFileOutcome::Cancelled;
    }
    if (chosen)
        *chosen = name;
    // The pictures go first and stale ones only after the map: a save that
    // fails half way leaves the old map with every picture it uses.
    const std::set<int32_t> used =
        cityPictures ? CityPictures::texturesUsed(map) : std::set<int32_t>();
    if (cityPictures && !CityPictureFolder::write(name, cityPictures(used), why))
        return MapFileOutcome::Failed;
    if (!MapFile::saveWorld(name, map, sprites, why))
        return MapFileOutcome::Failed;
    if (cityPictures)
        CityPictureFolder::prune(name, used);
    return MapFileOutcome::Done;
}

MapFileOutcome MapFileCommands::load(TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why,
                                     std::string* chosen) const {
    char name[MapFileNameBufferSize];
    if (!chooseFile(false, name))
        return MapFileOutcome::Cancelled;
    if (chosen)
        *chosen = name;
    return MapFile::loadWorld(name, map, sprites, why) ? MapFileOutcome::Done
                                                       : MapFileOutcome::Failed;
}
