#include "engine/Overlay.h"

#include <cstdio>

std::array<std::string, 5> materialHudLines(const FaceMaterial& material) {
    const struct {
        const char* format;
        int32_t value;
    } lines[5] = {
        {"X ZOOM %d", material.scaleU},   {"Y ZOOM %d", material.scaleV},
        {"DIR %d", material.rotation},    {"START X %d", material.offsetU},
        {"START Y %d", material.offsetV},
    };
    std::array<std::string, 5> texts;
    char text[50] = {};
    for (size_t k = 0; k < texts.size(); ++k) {
        std::snprintf(text, sizeof text, lines[k].format, lines[k].value);
        texts[k] = text;
    }
    return texts;
}
