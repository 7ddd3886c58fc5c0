#include "platform/Geometry.h"

#include <gtest/gtest.h>

namespace {

const float Tol = 1e-5f;

void expectNear(const Vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, Tol);
    EXPECT_NEAR(v.y, y, Tol);
    EXPECT_NEAR(v.z, z, Tol);
}

}  // namespace

TEST(Geometry, LengthDistanceAndCross) {
    EXPECT_FLOAT_EQ(length(Vector3(3, 4, 12)), 13.0f);
    EXPECT_FLOAT_EQ(distance(Vector3(1, 1, 1), Vector3(4, 5, 1)), 5.0f);
    // Right-handed: x cross y is z, y cross z is x.
    expectNear(cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), 0, 0, 1);
    expectNear(cross(Vector3(0, 1, 0), Vector3(0, 0, 1)), 1, 0, 0);
    expectNear(cross(Vector3(2, 3, 4), Vector3(5, 6, 7)), -3, 6, -3);
}

TEST(Geometry, NormaliseChangesArgumentAndLeavesZeroVectorAlone) {
    Vector3 zero;
    const Vector3 fromZero = normalise(zero);
    EXPECT_EQ(fromZero, Vector3(0, 0, 0));
    EXPECT_EQ(zero, Vector3(0, 0, 0));

    Vector3 v(3, 0, 4);
    const Vector3 result = normalise(v);
    expectNear(result, 0.6f, 0, 0.8f);
    expectNear(v, 0.6f, 0, 0.8f);
}

TEST(Geometry, AngleBetweenNormalisesItsArguments) {
    Vector3 a(0, 0, 1), b(0, 0, 5);
    EXPECT_FLOAT_EQ(angleBetween(a, b), 0.0f);
    EXPECT_EQ(b, Vector3(0, 0, 1));

    Vector3 c(0, 0, 1), d(-1, 0, 0);
    EXPECT_NEAR(angleBetween(c, d), 90.0f, 1e-4f);
    EXPECT_EQ(d, Vector3(-1, 0, 0));

    Vector3 e(1, 0, 0), f(-1, 0, 0);
    EXPECT_NEAR(angleBetween(e, f), 180.0f, 1e-4f);

    Vector3 g(2, 0, 0), h(3, 3, 0);
    EXPECT_NEAR(angleBetween(g, h), 45.0f, 1e-4f);
    expectNear(h, 0.70710677f, 0.70710677f, 0);
}

TEST(Geometry, RotateAboutAxisFollowsRightHandRule) {
    Vector3 v(0, 0, 1);
    Vector3 down(0, -1, 0);
    rotateAboutAxis(v, 90, down);
    expectNear(v, -1, 0, 0);

    // A positive turn about +z takes x to y; the axis is normalised in place.
    Vector3 w(1, 0, 0);
    Vector3 longZ(0, 0, 7);
    rotateAboutAxis(w, 90, longZ);
    expectNear(w, 0, 1, 0);
    EXPECT_EQ(longZ, Vector3(0, 0, 1));

    Vector3 unchanged(1, 2, 3);
    Vector3 zeroAxis;
    rotateAboutAxis(unchanged, 90, zeroAxis);
    EXPECT_EQ(unchanged, Vector3(1, 2, 3));

    Vector3 axis(0, 0, 9);
    rotateAboutAxis(unchanged, 0, axis);
    EXPECT_EQ(unchanged, Vector3(1, 2, 3));
    EXPECT_EQ(axis, Vector3(0, 0, 9));  // angle 0 stops before the axis is touched

    // Turning a vector about itself leaves it in place; all components use the old v.
    Vector3 diagonal(1, 1, 1);
    Vector3 diagonalAxis(1, 1, 1);
    rotateAboutAxis(diagonal, 73, diagonalAxis);
    expectNear(diagonal, 1, 1, 1);
    Vector3 p(1, 0, 0);
    Vector3 diagonalAxis2(1, 1, 1);
    rotateAboutAxis(p, 120, diagonalAxis2);
    expectNear(p, 0, 1, 0);
}

TEST(Geometry, RotateAboutYTurnsXTowardsMinusZ) {
    Vector3 v(1, 5, 0);
    rotateAboutY(v, 90);
    expectNear(v, 0, 5, -1);
    Vector3 z(0, 0, 1);
    rotateAboutY(z, 90);
    expectNear(z, 1, 0, 0);
}

TEST(Geometry, YawTurnsRightAndPitchRaisesTheView) {
    Vector3 d(1, 0, 0);
    const Vector3 u(0, 1, 0);
    rotateYaw(d, u, 90);
    expectNear(d, 0, 0, 1);
    EXPECT_EQ(u, Vector3(0, 1, 0));

    Vector3 d2(1, 0, 0), u2(0, 1, 0);
    rotatePitch(d2, u2, 90);
    expectNear(d2, 0, 1, 0);
    expectNear(u2, -1, 0, 0);

    // The avatar's camera: yaw then pitch keeps d and u perpendicular and unit.
    Vector3 d3(1, 0, 0), u3(0, 1, 0);
    rotateYaw(d3, u3, 30);
    rotatePitch(d3, u3, -20);
    EXPECT_NEAR(dot(d3, u3), 0.0f, Tol);
    EXPECT_NEAR(length(d3), 1.0f, Tol);
    EXPECT_NEAR(length(u3), 1.0f, Tol);
    EXPECT_LT(d3.y, 0.0f);  // negative pitch looks down
    EXPECT_GT(d3.z, 0.0f);  // positive yaw looks towards +z
}

TEST(Geometry, HeadingAndPlaneRotation) {
    EXPECT_NEAR(headingDegrees(Vector2(0, -1)), 270.0f, 1e-4f);
    EXPECT_FLOAT_EQ(headingDegrees(Vector2(1, 0)), 0.0f);
    EXPECT_NEAR(headingDegrees(Vector2(-1, 0)), 180.0f, 1e-4f);
    EXPECT_NEAR(headingDegrees(Vector2(1, -1e-6f)), 360.0f, 1e-3f);

    Vector2 v(1, 0);
    const Vector2 r = rotate2D(v, 90);
    EXPECT_NEAR(r.x, 0.0f, Tol);
    EXPECT_NEAR(r.y, 1.0f, Tol);
    EXPECT_NEAR(v.x, 0.0f, Tol);
    EXPECT_NEAR(v.y, 1.0f, Tol);
}

TEST(Geometry, SignedAngleTakesTheShorterWay) {
    const auto heading = [](float degrees) {
        Vector2 v(1, 0);
        return rotate2D(v, degrees);
    };
    EXPECT_NEAR(signedAngle2D(heading(350), heading(10)), 20.0f, 1e-3f);
    EXPECT_NEAR(signedAngle2D(heading(10), heading(350)), -20.0f, 1e-3f);
    EXPECT_NEAR(signedAngle2D(heading(90), heading(100)), 10.0f, 1e-3f);
    EXPECT_NEAR(signedAngle2D(heading(100), heading(90)), -10.0f, 1e-3f);
    EXPECT_EQ(signedAngle2D(Vector2(2, 2), Vector2(1, 1)), 0.0f);
    // Exactly half a turn: the sign follows the start heading.
    EXPECT_NEAR(signedAngle2D(Vector2(1, 0), Vector2(-1, 0)), -180.0f, 1e-3f);
    EXPECT_NEAR(signedAngle2D(Vector2(0, -1), Vector2(0, 1)), 180.0f, 1e-3f);
}
