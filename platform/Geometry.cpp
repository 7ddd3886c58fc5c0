#include "platform/Geometry.h"

#include <cmath>

const float DegToRad = 0.017453292f;

namespace {

const float HalfTurnRadians = 1.5707964f;  // pi / 2 as float

float radians(float degrees) {
    return degrees * DegToRad;
}

float cosOf(float radiansValue) {
    return static_cast<float>(std::cos(static_cast<double>(radiansValue)));
}
float sinOf(float radiansValue) {
    return static_cast<float>(std::sin(static_cast<double>(radiansValue)));
}

float degreesOfAtan2(float y, float x) {
    const double r = std::atan2(static_cast<double>(y), static_cast<double>(x));
    return static_cast<float>(r / static_cast<double>(DegToRad));
}

}  // namespace

float length(const Vector3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

float distance(const Vector3& a, const Vector3& b) {
    return length(a - b);
}

float dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 normalise(Vector3& v) {
    const float len = length(v);
    if (len != 0.0f) {
        v.x /= len;
        v.y /= len;
        v.z /= len;
    }
    return v;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float angleBetween(Vector3& a, Vector3& b) {
    normalise(a);
    normalise(b);
    if (a == b)
        return 0.0f;
    return degreesOfAtan2(length(cross(a, b)), dot(a, b));
}

void rotateAboutAxis(Vector3& v, float angle, Vector3& axis) {
    if (angle == 0.0f || (axis.x == 0.0f && axis.y == 0.0f && axis.z == 0.0f))
        return;
    normalise(axis);
    const float a = radians(angle);
    const float co = cosOf(a);
    const float si = sinOf(a);
    const float t = 1.0f - co;
    const float x = axis.x, y = axis.y, z = axis.z;
    const Vector3 old = v;
    v.x = (t * x * x + co) * old.x + (t * x * y - si * z) * old.y + (t * x * z + si * y) * old.z;
    v.y = (t * x * y + si * z) * old.x + (t * y * y + co) * old.y + (t * y * z - si * x) * old.z;
    v.z = (t * x * z - si * y) * old.x + (t * y * z + si * x) * old.y + (t * z * z + co) * old.z;
}

void rotateAboutY(Vector3& v, float angle) {
    const float a = radians(angle);
    const float co = cosOf(a);
    const float si = sinOf(a);
    const float x = v.x, z = v.z;
    v.x = x * co + z * si;
    v.z = -x * si + z * co;
}

void rotateYaw(Vector3& d, const Vector3& u, float angle) {
    Vector3 right = cross(d, u);
    normalise(right);
    const float a = radians(angle);
    d = d * cosOf(a) + right * sinOf(a);
}

void rotatePitch(Vector3& d, Vector3& u, float angle) {
    const float b = radians(angle);
    const float upAngle = b + HalfTurnRadians;
    const Vector3 oldD = d;
    const Vector3 oldU = u;
    d = oldD * cosOf(b) + oldU * sinOf(b);
    u = oldD * cosOf(upAngle) + oldU * sinOf(upAngle);
}

float headingDegrees(const Vector2& v) {
    float heading = degreesOfAtan2(v.y, v.x);
    if (heading < 0.0f)
        heading += 360.0f;
    return heading;
}

Vector2 rotate2D(Vector2& v, float angle) {
    const float a = radians(angle);
    const float co = cosOf(a);
    const float si = sinOf(a);
    const float x = v.x, y = v.y;
    v.x = x * co - y * si;
    v.y = x * si + y * co;
    return v;
}

float signedAngle2D(const Vector2& a, const Vector2& b) {
    const float headingA = headingDegrees(a);
    const float headingB = headingDegrees(b);
    if (headingA == headingB)
        return 0.0f;
    const float hi = headingA > headingB ? headingA : headingB;
    const float lo = headingA > headingB ? headingB : headingA;
    const float direct = hi - lo;
    const float acrossZero = lo + 360.0f - hi;
    if (direct < acrossZero)
        return headingA < headingB ? direct : -direct;
    return headingA <= 180.0f ? -acrossZero : acrossZero;
}
