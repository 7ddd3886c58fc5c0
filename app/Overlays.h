#pragma once
#include <cstdint>
#include <memory>

class BitmapFont;
class GLContext;
class KeyHelp;
class ModalOverlay;
class StatusCaption;
class TamoEngineCore;
class TexturePalette;
class Window;

// The pictures over the world that take the keyboard and the mouse while
// open: the texture palette and the key table. The window draws the open one
// over everything, hands it the frame's presses and every key but F12 (which
// pictures it too); the first start's hint names the key table's key.
class Overlays {
public:
    // The caption of a user's first start, naming the key of the key table.
    static constexpr const char* KeysHint = "F1: KEYS";
    static constexpr uint32_t KeysHintMilliseconds = 8000;

    Overlays(TamoEngineCore& core, StatusCaption& caption, GLContext& gl, const BitmapFont& font);
    ~Overlays();
    Overlays(const Overlays&) = delete;
    Overlays& operator=(const Overlays&) = delete;

    void openPalette();
    // Opens the key table (and drops the first start's hint to open it).
    void showKeys();
    // Shows KeysHint unless another caption shows (a start-up failure stays
    // to be read); true when it showed.
    bool showKeysHint();
    // The palette or the key table while one is open, else null.
    ModalOverlay* open() const;
    // Draws the open one, if any.
    void draw() const;
    // A key pressed while one is open (a held key's repeats are dropped:
    // they would turn its pages on and close it).
    void key(int32_t key, int32_t modifiers);
    // The window's presses of this frame go to the open one.
    void takePresses(Window& window);

private:
    StatusCaption& caption;
    std::unique_ptr<TexturePalette> palette;
    std::unique_ptr<KeyHelp> keyHelp;
};
