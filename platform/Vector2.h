#pragma once

// A point or direction in a plane; the sprite code uses world x and z.
struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float x_, float y_) : x(x_), y(y_) {}

    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }
};
