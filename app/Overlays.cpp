#include "app/Overlays.h"

#include <string>

#include "app/KeyHelp.h"
#include "app/ModalOverlay.h"
#include "app/StatusCaption.h"
#include "app/TexturePalette.h"
#include "platform/SystemClock.h"
#include "platform/Window.h"

Overlays::Overlays(TamoEngineCore& core, StatusCaption& caption, GLContext& gl,
                   const BitmapFont& font)
        : caption(caption), palette(std::make_unique<TexturePalette>(core)),
          keyHelp(std::make_unique<KeyHelp>(gl, font)) {}

Overlays::~Overlays() = default;

void Overlays::openPalette() {
    palette->open();
}

void Overlays::showKeys() {
    const char* shown = caption.textAt(getTickCount());
    if (shown != nullptr && std::string(shown) == KeysHint)
        caption.hide();  // it has done its work
    keyHelp->open();
}

bool Overlays::showKeysHint() {
    const uint32_t now = getTickCount();
    if (caption.textAt(now) != nullptr)
        return false;
    caption.show(KeysHint, now, KeysHintMilliseconds);
    return true;
}

ModalOverlay* Overlays::open() const {
    if (keyHelp->isOpen())
        return keyHelp.get();
    if (palette->isOpen())
        return palette.get();
    return nullptr;
}

void Overlays::draw() const {
    if (ModalOverlay* overlay = open())
        overlay->draw();
}

void Overlays::key(int32_t key, int32_t modifiers) {
    ModalOverlay* overlay = open();
    if (overlay && (modifiers & KeyModifierRepeat) == 0)
        overlay->key(key, modifiers);
}

void Overlays::takePresses(Window& window) {
    if (ModalOverlay* overlay = open())
        overlay->takePresses(window);
}
