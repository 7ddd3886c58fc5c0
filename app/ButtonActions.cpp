#include "app/ButtonActions.h"

#include "media/InterfaceLayout.h"
#include "engine/TamoEngineCore.h"

namespace {

// Presets set the whole material at once and leave no time stamp for the HUD.
void applyPreset(TamoEngineCore& core, int32_t id) {
    FaceMaterial preset;
    preset.texture = 101 + (id - ButtonPreset1);  // the facades, loose textures 1 to 6
    preset.offsetU = 0;
    preset.offsetV = 0;
    preset.rotation = 0;
    preset.scaleU = 1;
    preset.scaleV = 1;
    core.material = preset;
}

}  // namespace

ButtonFollowUp performButtonAction(TamoEngineCore& core, int32_t id) {
    switch (id) {
    case ButtonQuit:
        return ButtonFollowUp::Quit;
    case ButtonSave:
        return ButtonFollowUp::SaveMapFile;
    case ButtonLoad:
        return ButtonFollowUp::LoadMapFile;
    case ButtonPalette:
        return ButtonFollowUp::OpenPalette;
    case ButtonEditMode:
        core.toggleEditMode();
        break;
    case ButtonView:
        core.toggleView();
        break;
    case ButtonTextureNext:
        core.stepTexture(1);
        break;
    case ButtonTexturePrevious:
        core.stepTexture(-1);
        break;
    case ButtonScaleUUp:
        core.changeScale(1, true);
        break;
    case ButtonScaleUDown:
        core.changeScale(-1, true);
        break;
    case ButtonScaleVUp:
        core.changeScale(1, false);
        break;
    case ButtonScaleVDown:
        core.changeScale(-1, false);
        break;
    case ButtonOffsetUDown:
        core.changeOffset(-1, true);
        break;
    case ButtonOffsetUUp:
        core.changeOffset(1, true);
        break;
    case ButtonOffsetVDown:
        core.changeOffset(-1, false);
        break;
    case ButtonOffsetVUp:
        core.changeOffset(1, false);
        break;
    case ButtonRotate:
        core.rotateMaterial();
        break;
    case ButtonLevelUp:
        core.levelUp();
        break;
    case ButtonLevelDown:
        core.levelDown();
        break;
    case ButtonSpriteTypeNext:
        core.stepSpriteType(1);
        break;
    case ButtonSpriteTypePrevious:
        core.stepSpriteType(-1);
        break;
    case ButtonPreset1:
    case ButtonPreset2:
    case ButtonPreset3:
    case ButtonPreset4:
    case ButtonPreset5:
    case ButtonPreset6:
        applyPreset(core, id);
        break;
    default:
        break;
    }
    return ButtonFollowUp::None;
}
