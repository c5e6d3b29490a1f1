// Points and rectangles in frame pixels; every point-in-rectangle test includes all four edges.
#pragma once

#include <cstdint>

namespace brindlet {

struct Point {
    int32_t h = 0;  // to the right
    int32_t v = 0;  // downwards

    constexpr Point() = default;
    constexpr Point(int32_t h, int32_t v) : h(h), v(v) {}
    constexpr bool operator==(const Point&) const = default;
    constexpr Point offsetBy(const Point& d) const { return {h + d.h, v + d.v}; }
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    constexpr bool operator==(const Rect&) const = default;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr Point topLeft() const { return {left, top}; }
    constexpr bool contains(const Point& p) const {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
    constexpr Rect offsetBy(const Point& d) const {
        return {left + d.h, top + d.v, right + d.h, bottom + d.v};
    }
    // The same rectangle with left <= right and top <= bottom.
    constexpr Rect normalized() const {
        Rect r = *this;
        if (r.left > r.right) {
            r.left = right;
            r.right = left;
        }
        if (r.top > r.bottom) {
            r.top = bottom;
            r.bottom = top;
        }
        return r;
    }
};

}  // namespace brindlet
