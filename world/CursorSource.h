#pragma once
#include "platform/PointerState.h"

// Where the user's cursor is, for the world's cursor operations (the map's
// cursor ray and through it the sprite objects'). The editor avatar
// implements it with a copy of its window's mouse fields.
class CursorSource {
public:
    virtual ~CursorSource() = default;
    // A copy of the mouse fields; changes nothing.
    virtual PointerState getPointerState() const = 0;
};
