#include "tools/Art.h"

// Both tiles are tinted with the block texture's average colour, so they stay
// light: the current level is bright and solid, the other levels are greyer and hatched.
Canvas makeCurrentLevelTile() {
    Canvas tile(8, 8, Rgb{250, 250, 250});
    tile.frameRect(0, 0, 7, 7, Rgb{150, 150, 150});
    tile.fillRect(1, 1, 6, 1, Rgb{255, 255, 255});
    tile.fillRect(1, 1, 1, 6, Rgb{255, 255, 255});
    return tile;
}

Canvas makeOtherLevelTile() {
    Canvas tile(16, 16, Rgb{150, 150, 150});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 4 == 0)
                tile.set(x, y, Rgb{190, 190, 190});
    tile.frameRect(0, 0, 15, 15, Rgb{96, 96, 96});
    return tile;
}
