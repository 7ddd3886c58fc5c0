#include "app/MapFileCommands.h"

#include <cstring>

#include "platform/FileDialog.h"
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
    if (!chooseFile(true, name))
        return MapFileOutcome::Cancelled;
    if (chosen)
        *chosen = name;
    return MapFile::saveWorld(name, map, sprites, why) ? MapFileOutcome::Done
                                                       : MapFileOutcome::Failed;
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
