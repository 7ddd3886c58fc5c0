#include "app/KeyCommands.h"

#include "app/FileCommands.h"
#include "app/KeyTable.h"
#include "app/Overlays.h"
#include "app/PictureCommands.h"
#include "app/RegionKeys.h"
#include "app/ScreenPanels.h"
#include "app/ScriptKeys.h"
#include "app/ShapeKeys.h"
#include "app/SharedSession.h"
#include "app/SpriteNameKeys.h"
#include "app/TextureFitKeys.h"
#include "app/StatusCaption.h"
#include "engine/TamoEngineCore.h"
#include "platform/SystemClock.h"
#include "platform/Window.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

KeyCommands::KeyCommands(TamoEngineCore& core, StatusCaption& caption, FileCommands& files,
                         ScreenPanels& panels, PictureCommands& pictures, Overlays& overlays)
        : core(core), caption(caption), files(files), panels(panels), pictures(pictures),
          overlays(overlays), regionKeys(std::make_unique<RegionKeys>(core, caption)),
          scriptKeys(std::make_unique<ScriptKeys>(core, caption)),
          shapeKeys(std::make_unique<ShapeKeys>(core, caption)),
          fitKeys(std::make_unique<TextureFitKeys>(core, caption)) {}

KeyCommands::~KeyCommands() = default;

void KeyCommands::keyDown(int32_t key, int32_t modifiers) {
    if (core.sprites == nullptr)
        return;
    const KeyBinding* binding = KeyTable::find(key, modifiers);
    if (overlays.open() && !(binding && binding->command == KeyCommand::SavePicture))
        return overlays.key(key, modifiers);
    // While objects are selected, keys belong to their names, except the few
    // commands that also act then.
    if (binding != nullptr && (binding->whileFiguresSelected || !core.sprites->anySelected())) {
        run(binding->command);
        return;
    }
    // With Ctrl held keys are commands: they never type into names nor
    // delete objects.
    if ((modifiers & KeyModifierControl) == 0)
        applyNameKey(key, *core.sprites, core.history);
}

void KeyCommands::run(KeyCommand command) {
    if (command == KeyCommand::Undo)
        undo();
    else if (command == KeyCommand::Redo)
        redo();
    else if (command == KeyCommand::SavePicture)
        panels.askForPicture();
    else if (command == KeyCommand::ToggleStatistics)
        panels.showStatistics(!panels.statisticsShowing());
    else if (command == KeyCommand::ShowKeys)
        overlays.showKeys();
    else if (command == KeyCommand::OpenPalette)
        overlays.openPalette();
    else if (command == KeyCommand::FitTexture)
        fitKeys->fit();
    else if (command == KeyCommand::ContinueTexture)
        fitKeys->continueTexture();
    else if (command == KeyCommand::ReloadTextures)
        pictures.reload(true);
    else if (command == KeyCommand::RunScript || command == KeyCommand::RunScriptAgain)
        scriptKeys->run(command, files.mapFileCommands());
    else if (ShapeKeys::handles(command))
        shapeKeys->run(command);
    else
        regionKeys->run(command, files.mapFileCommands());
}

void KeyCommands::undo() {
    if (shared)
        return shared->undo(getTickCount(), caption);
    const bool done = core.history->undo();
    caption.show(done ? "UNDO" : "NOTHING TO UNDO", getTickCount(), UndoCaptionMilliseconds);
}

void KeyCommands::redo() {
    if (shared)
        return shared->redo(getTickCount(), caption);
    const bool done = core.history->redo();
    caption.show(done ? "REDO" : "NOTHING TO REDO", getTickCount(), UndoCaptionMilliseconds);
}

void KeyCommands::drawSelection() {
    regionKeys->drawSelection();
}
