#pragma once
#include <cstdint>
#include <optional>

#include "world/MapBlock.h"
#include "world/SpriteObject.h"

// Told by the history of every change the map and the sprite set report, as
// it happens (also those an undo or redo makes), so that a shared city can
// pass them on. Changes made through WorldHistory::runUnobserved are not told.
class WorldChangeObserver {
public:
    virtual ~WorldChangeObserver() = default;
    virtual void cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                             const std::optional<MapBlock>& before,
                             const std::optional<MapBlock>& after) = 0;
    // The map's last sector is the one added.
    virtual void sectorAdded() = 0;
    virtual void spriteChanged(int32_t index, const SpriteObject& before,
                               const SpriteObject& after) = 0;
    virtual void spriteAdded(int32_t index, int32_t nextIdBefore) = 0;
    virtual void spriteRemoved(int32_t index, const SpriteObject& removed) = 0;
    // All sectors or all sprites replaced at once (a load).
    virtual void worldReplaced() = 0;
};
