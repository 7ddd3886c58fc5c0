#include <gtest/gtest.h>

#include "app/MotionAxis.h"
#include "platform/SystemClock.h"
#include "support/FakeTicks.h"

TEST(MotionAxis, OneStepGainsThenLosesVelocity) {
    MotionAxis axis;
    axis.setParameters(0.01f, 100.0f, 0.5f);
    EXPECT_FLOAT_EQ(axis.deceleration, 0.0001f);
    axis.impulse = 1;
    axis.step(10.0f);
    EXPECT_NEAR(axis.velocity, 0.099f, 1e-6f);
    EXPECT_EQ(axis.impulse, 0);

    // Without impulse it slows to rest and does not turn round.
    axis.step(1000.0f);
    EXPECT_FLOAT_EQ(axis.velocity, 0.0f);
    axis.impulse = -1;
    axis.step(10.0f);
    EXPECT_NEAR(axis.velocity, -0.099f, 1e-6f);
    axis.step(2000.0f);
    EXPECT_FLOAT_EQ(axis.velocity, 0.0f);
}

TEST(MotionAxis, SpeedIsBoundInBothDirections) {
    MotionAxis axis;
    axis.setParameters(0.01f, 100.0f, 0.5f);
    axis.impulse = 3;
    axis.step(100.0f);
    EXPECT_FLOAT_EQ(axis.velocity, 0.5f);
    axis.impulse = -10;
    axis.step(100.0f);
    EXPECT_FLOAT_EQ(axis.velocity, -0.5f);
}

TEST(MotionAxis, ParametersAndStopZeroTheMotion) {
    MotionAxis axis;
    axis.impulse = 2;
    axis.velocity = 0.3f;
    axis.setParameters(0.02f, 0.0f, 1.0f);
    EXPECT_EQ(axis.impulse, 0);
    EXPECT_FLOAT_EQ(axis.velocity, 0.0f);
    EXPECT_FLOAT_EQ(axis.deceleration, 0.0f);
    EXPECT_FLOAT_EQ(axis.acceleration, 0.02f);
    EXPECT_FLOAT_EQ(axis.maximumSpeed, 1.0f);
    // No stopping time: the velocity stays.
    axis.push(1);
    axis.step(10.0f);
    axis.step(10.0f);
    EXPECT_NEAR(axis.velocity, 0.2f, 1e-6f);
    axis.stop();
    EXPECT_FLOAT_EQ(axis.velocity, 0.0f);
}

TEST(MotionAxis, AxesJoinAndLeaveTheListAndStepByTheClock) {
    const int32_t before = motionAxisCount();
    setTickSource(fakeTicks);
    fakeNow = 1000;
    {
        MotionAxis a;
        MotionAxis b;
        EXPECT_EQ(motionAxisCount(), before + 2);
        a.setParameters(0.01f, 100.0f, 0.5f);
        b.setParameters(0.01f, 0.0f, 5.0f);
        stepAllMotionAxes();  // sets the stamp
        a.impulse = 1;
        b.impulse = -1;
        fakeNow += 10;
        stepAllMotionAxes();
        EXPECT_NEAR(a.velocity, 0.099f, 1e-6f);
        EXPECT_NEAR(b.velocity, -0.1f, 1e-6f);
    }
    EXPECT_EQ(motionAxisCount(), before);
    setTickSource(nullptr);
}
