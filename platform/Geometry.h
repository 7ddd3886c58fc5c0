#pragma once
#include "platform/Vector2.h"
#include "platform/Vector3.h"

// Vector math of the world and the camera. Angles are in degrees; they become
// radians through the float constant DegToRad, and sine, cosine and arc-tangent
// are taken in double precision on that product. A positive angle turns
// counter-clockwise seen from the tip of the rotation axis; in the plane it
// turns x towards y. Arguments taken by non-const reference are changed in place.

extern const float DegToRad;  // 0.017453292f, pi / 180 as float

float length(const Vector3& v);
float distance(const Vector3& a, const Vector3& b);
float dot(const Vector3& a, const Vector3& b);

// Scales v to length 1 in place and returns the result; a zero vector stays as is.
Vector3 normalise(Vector3& v);

Vector3 cross(const Vector3& a, const Vector3& b);

// Normalises both arguments in place; returns the angle between them, 0 to 180.
float angleBetween(Vector3& a, Vector3& b);

// Turns v about the axis through the origin; the axis is normalised in place.
// Does nothing for an angle of 0 or an axis of (0, 0, 0).
void rotateAboutAxis(Vector3& v, float angle, Vector3& axis);

// x' = x cos a + z sin a, z' = -x sin a + z cos a.
void rotateAboutY(Vector3& v, float angle);

// Turns the view direction d towards the right-hand side (d x u); u is unchanged.
void rotateYaw(Vector3& d, const Vector3& u, float angle);

// Tilts d and u together in their plane; a positive angle raises the view.
void rotatePitch(Vector3& d, Vector3& u, float angle);

// Heading of v in the plane, 0 up to 360.
float headingDegrees(const Vector2& v);

// Turns v in place and returns the result.
Vector2 rotate2D(Vector2& v, float angle);

// Shortest signed turn from the heading of a to the heading of b, -180 to 180.
float signedAngle2D(const Vector2& a, const Vector2& b);
