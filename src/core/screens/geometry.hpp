#pragma once

namespace orvendel::screens {

// Device-independent points, origin at the top left, y growing downwards.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Line {
    Point from;
    Point to;
    friend bool operator==(const Line&, const Line&) = default;
};

} // namespace orvendel::screens
