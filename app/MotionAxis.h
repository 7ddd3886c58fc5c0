#pragma once
#include <cstdint>

// A value that speeds up while driven by an impulse and slows to rest when
// not, within a maximum speed. Every axis is in one global list from
// construction to destruction; the run loop steps them all once per frame.
class MotionAxis {
public:
    MotionAxis();
    ~MotionAxis();
    MotionAxis(const MotionAxis&) = delete;
    MotionAxis& operator=(const MotionAxis&) = delete;

    // acceleration: velocity gained per ms per unit of impulse; stoppingTime:
    // ms to lose that much velocity again (0: no deceleration). Zeroes the motion.
    void setParameters(float acceleration, float stoppingTime, float maximumSpeed);
    void stop();
    void push(int32_t amount) { impulse += amount; }
    // Applies the impulse over dt ms, then the deceleration, then the bound.
    void step(float dt);

    int32_t impulse = 0;
    float velocity = 0.0f;
    float acceleration = 0.0f;
    float deceleration = 0.0f;
    float maximumSpeed = 0.0f;
};

// Steps every axis by the ms since the previous call (0 on the first).
void stepAllMotionAxes();
int32_t motionAxisCount();
