// Key presses, as SDL reports them, through the platform's key mapping and the
// main window's name-key handling, on a set of sprite objects that are added,
// selected and deselected along the way, against a model of the names. Each
// step takes four input bytes: what to do and three bytes of its arguments.
#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/SpriteNameKeys.h"
#include "engine/TamoEngineCore.h"
#include "fuzz/ScratchFile.h"
#include "platform/VirtualKeys.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

struct ModelObject {
    std::string name;
    bool selected;
};

bool typesCharacter(int32_t code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
           (code >= 'a' && code <= 'z');
}

bool keypadDigitOrDecimal(int32_t scancode) {
    return (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
           scancode == SDL_SCANCODE_KP_PERIOD;
}

void applyToModel(int32_t key, std::vector<ModelObject>& model) {
    if (typesCharacter(key)) {
        for (ModelObject& object : model)
            if (object.selected && object.name.size() < TamoSpriteObjectSet::MaxTypedNameLength)
                object.name.push_back(static_cast<char>(key));
    } else if (key == VK_BACK) {
        for (ModelObject& object : model)
            if (object.selected && !object.name.empty())
                object.name.pop_back();
    } else if (key == VK_DELETE) {
        std::vector<ModelObject> kept;
        for (const ModelObject& object : model)
            if (!object.selected)
                kept.push_back(object);
        model.swap(kept);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TamoEngineCore core(nullptr, nullptr, nullptr, 100, 3, 4);
    TamoSpriteObjectSet sprites(&core);
    std::vector<ModelObject> model;
    for (size_t at = 0; at + 4 <= size && model.size() < 64; at += 4) {
        const uint8_t what = data[at];
        const uint8_t a = data[at + 1], b = data[at + 2], c = data[at + 3];
        switch (what & 3) {
        case 0:
            sprites.addAt(Vector3(a, b, c));
            model.push_back(ModelObject{"", false});
            break;
        case 1:
            if (!model.empty()) {
                const size_t index = a % model.size();
                model[index].selected = !model[index].selected;
                sprites.object(static_cast<int32_t>(index)).selected = model[index].selected;
            }
            break;
        case 2: {
            // Any scancode; a keycode as a layout could give it (ASCII or a
            // scancode's own), with Num Lock on or off.
            const int32_t scancode = a | ((what & 0x40) ? (b & 1) << 8 : 0);
            const int32_t keycode =
                (c & 0x80) ? SDL_SCANCODE_TO_KEYCODE(scancode) : static_cast<int32_t>(c);
            const bool numLock = (what & 0x10) != 0;
            const int32_t key = virtualKeyFromSdl(scancode, keycode, numLock);
            const std::vector<ModelObject> before = model;
            applyNameKey(key, sprites);
            if (core.view3D)
                applyToModel(key, model);
            const bool letterKeycode = keycode >= SDLK_a && keycode <= SDLK_z;
            if (!numLock && keypadDigitOrDecimal(scancode) && !letterKeycode && key != VK_DELETE)
                for (size_t i = 0; i < model.size(); ++i)
                    if (model[i].name != before[i].name)
                        fuzz::finding("the keypad typed into a name with Num Lock off");
            break;
        }
        case 3:
            core.view3D = !core.view3D;
            break;
        }
        if (sprites.count() != static_cast<int32_t>(model.size()))
            fuzz::finding("the sprite objects and the model differ in number");
        for (size_t i = 0; i < model.size(); ++i) {
            const SpriteObject& object = sprites.object(static_cast<int32_t>(i));
            if (object.name != model[i].name || object.selected != model[i].selected)
                fuzz::finding("a sprite object differs from the model");
        }
    }
    return 0;
}
