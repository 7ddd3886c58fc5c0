#pragma once
#include <cstdint>
#include <string>

#include "world/DrawCounts.h"

// Frame figures for the statistics overlay (F3) and --stats: frames per
// second and the mean frame time over the last whole second, and what the
// last frame drew of the world.
class FrameStatistics {
public:
    // A frame that took frameMs milliseconds ended at tick now (milliseconds)
    // having drawn counts. True when it completed a second: the rates then
    // describe that second.
    bool frameDone(uint32_t now, int32_t frameMs, const DrawCounts& counts);

    // Frames per second and milliseconds per frame of the last whole second
    // (0 before the first).
    double framesPerSecond() const { return fps; }
    double frameMilliseconds() const { return meanMs; }
    const DrawCounts& lastCounts() const { return counts; }

    // The figures as the overlay shows them, one per line, and as one line.
    std::string overlayText() const;
    std::string reportLine() const;

private:
    bool started = false;
    uint32_t secondStart = 0;
    int32_t frames = 0;
    int64_t milliseconds = 0;
    double fps = 0.0;
    double meanMs = 0.0;
    DrawCounts counts;
};
