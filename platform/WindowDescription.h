#pragma once
#include <cstdint>

class Window;

// Describes the window to open; filled by the start-up callback and handed by
// value to the main window, which passes it on to Window.
struct WindowDescription {
    const char* title = nullptr;  // also the window-class name
    int32_t width = 0;            // client width in pixels
    int32_t height = 0;           // client height in pixels
    bool noBackgroundBrush = false;
    bool resizable = false;
    Window* parent = nullptr;
    bool fullScreen = false;
    int32_t bitsPerPixel = 32;
    // A window that is not full screen opens this many times the client size
    // and shows the client area scaled up; client pixels stay as they are.
    int32_t scale = 1;
};
