#include "app/MotionAxis.h"

#include <algorithm>
#include <vector>

#include "platform/SystemClock.h"

namespace {

std::vector<MotionAxis*>& axes() {
    static std::vector<MotionAxis*> list;
    return list;
}

bool stepped = false;
uint32_t lastStepStamp = 0;

}  // namespace

MotionAxis::MotionAxis() {
    axes().push_back(this);
}

MotionAxis::~MotionAxis() {
    std::vector<MotionAxis*>& list = axes();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void MotionAxis::setParameters(float acceleration_, float stoppingTime, float maximumSpeed_) {
    acceleration = acceleration_;
    deceleration = stoppingTime != 0.0f ? acceleration_ / stoppingTime : 0.0f;
    maximumSpeed = maximumSpeed_;
    stop();
}

void MotionAxis::stop() {
    impulse = 0;
    velocity = 0.0f;
}

void MotionAxis::step(float dt) {
    velocity = static_cast<float>(impulse) * acceleration * dt + velocity;
    impulse = 0;
    if (velocity > 0.0f) {
        velocity -= deceleration * dt;
        if (velocity < 0.0f)
            velocity = 0.0f;
    } else if (velocity < 0.0f) {
        velocity += deceleration * dt;
        if (velocity > 0.0f)
            velocity = 0.0f;
    }
    if (velocity > maximumSpeed)
        velocity = maximumSpeed;
    if (velocity < -maximumSpeed)
        velocity = -maximumSpeed;
}

void stepAllMotionAxes() {
    const uint32_t now = getTickCount();
    const float dt = stepped ? static_cast<float>(static_cast<int32_t>(now - lastStepStamp)) : 0.0f;
    for (MotionAxis* axis : axes())
        axis->step(dt);
    stepped = true;
    lastStepStamp = getTickCount();
}

int32_t motionAxisCount() {
    return static_cast<int32_t>(axes().size());
}
