#include <algorithm>
#include <cmath>

#include "tools/Art.h"
#include "tools/Noise.h"

Canvas makeSkyImage() {
    constexpr int Width = 512, Height = 32;
    const Rgb zenith{46, 96, 178};
    const Rgb middle{104, 160, 222};
    const Rgb horizon{188, 214, 238};
    Canvas sky(Width, Height, zenith);
    for (int y = 0; y < Height; ++y) {
        const float h = y / float(Height - 1);  // 0 at the zenith, 1 at the horizon
        const Rgb base = h < 0.6f ? mixRgb(zenith, middle, h / 0.6f)
                                  : mixRgb(middle, horizon, (h - 0.6f) / 0.4f);
        for (int x = 0; x < Width; ++x) {
            // The cloud field repeats every 512 columns, so the dome closes without a seam.
            // Rows are stretched near the horizon, where the dome's bands are tall.
            const float u = x / float(Width);
            const float v = 0.15f + h * 0.6f;
            float cloud = tiledFractal(u, v, 8, 4, 31);
            cloud = std::clamp((cloud - 0.54f) * 3.4f, 0.0f, 1.0f);
            cloud *= 0.35f +
                     0.65f * std::sin(h * 3.14159f);  // thin at the zenith and right at the horizon
            const float lit = 0.92f + 0.08f * tiledNoise(u, v + 0.05f, 16, 77);
            const Rgb cloudColour = mixRgb(Rgb{236, 240, 246}, Rgb{255, 255, 255}, lit);
            sky.set(x, y, mixRgb(base, cloudColour, cloud * 0.85f));
        }
    }
    return sky;
}
