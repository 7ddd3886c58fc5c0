#pragma once
#include <cstdint>

class TamoEngineCore;

// What the main window still has to do after a button's action.
enum class ButtonFollowUp { None, Quit, SaveMapFile, LoadMapFile, OpenPalette };

// Performs the engine-core action of button id; the window-level actions
// (quit, save, load, the palette) are handed back instead. Unknown ids do nothing.
ButtonFollowUp performButtonAction(TamoEngineCore& core, int32_t id);
