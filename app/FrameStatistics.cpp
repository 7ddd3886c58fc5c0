#include "app/FrameStatistics.h"

#include <cinttypes>
#include <cstdio>

bool FrameStatistics::frameDone(uint32_t now, int32_t frameMs, const DrawCounts& drawn) {
    counts = drawn;
    if (!started) {
        // The first second starts where the first frame ends.
        started = true;
        secondStart = now;
        return false;
    }
    ++frames;
    milliseconds += frameMs;
    // Unsigned difference: right across the wrap of the tick counter.
    const uint32_t elapsed = now - secondStart;
    if (elapsed < 1000)
        return false;
    fps = frames * 1000.0 / elapsed;
    meanMs = static_cast<double>(milliseconds) / frames;
    secondStart = now;
    frames = 0;
    milliseconds = 0;
    return true;
}

std::string FrameStatistics::overlayText() const {
    char text[160];
    std::snprintf(text, sizeof text,
                  "FPS %.1f\nFRAME %.1f MS\nQUADS %" PRId64 "/%" PRId64 "\nSECTORS %d/%d", fps,
                  meanMs, counts.quadsDrawn, counts.quadsTotal, counts.sectorsDrawn,
                  counts.sectorsTotal);
    return text;
}

std::string FrameStatistics::reportLine() const {
    char line[160];
    std::snprintf(line, sizeof line,
                  "tamotown: %.1f fps, %.1f ms a frame, %" PRId64 " of %" PRId64
                  " quads, %d of %d sectors",
                  fps, meanMs, counts.quadsDrawn, counts.quadsTotal, counts.sectorsDrawn,
                  counts.sectorsTotal);
    return line;
}
