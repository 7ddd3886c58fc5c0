#include <gtest/gtest.h>

#include "app/FrameStatistics.h"

// Rates describe whole seconds from the first frame counted, across the
// wrap of the tick counter; counts are those of the last frame.
TEST(FrameStatistics, RatesCoverWholeSecondsAndCountsTheLastFrame) {
    for (uint32_t start : {5000u, 4294967000u}) {
        FrameStatistics statistics;
        DrawCounts counts;
        counts.sectorsTotal = 200;
        int32_t completed = 0;
        // The first frame ends at start; 50 frames of 20 ms follow, then 25 of 40 ms.
        for (int32_t frame = 0; frame <= 75; ++frame) {
            counts.sectorsDrawn = frame;
            const int32_t ms = frame <= 50 ? 20 : 40;
            const uint32_t now =
                start + static_cast<uint32_t>(frame <= 50 ? frame * 20 : 1000 + (frame - 50) * 40);
            if (statistics.frameDone(now, ms, counts) && ++completed == 1) {
                EXPECT_EQ(frame, 50);
                EXPECT_DOUBLE_EQ(statistics.framesPerSecond(), 50.0);
                EXPECT_DOUBLE_EQ(statistics.frameMilliseconds(), 20.0);
            }
        }
        EXPECT_EQ(statistics.lastCounts().sectorsDrawn, 75);
        EXPECT_EQ(completed, 2);
        EXPECT_DOUBLE_EQ(statistics.framesPerSecond(), 25.0);
        EXPECT_DOUBLE_EQ(statistics.frameMilliseconds(), 40.0);
        counts.quadsDrawn = 8546;
        counts.quadsTotal = 33678;
        counts.sectorsDrawn = 51;
        statistics.frameDone(start + 2500, 40, counts);
        EXPECT_EQ(statistics.overlayText(),
                  "FPS 25.0\nFRAME 40.0 MS\nQUADS 8546/33678\nSECTORS 51/200");
        EXPECT_EQ(statistics.reportLine(),
                  "tamotown: 25.0 fps, 40.0 ms a frame, 8546 of 33678 quads, 51 of 200 sectors");
    }
}
