// Geometry value types of the toolkit. Pixels, y downward.
#pragma once

#include <climits>

namespace forms {

// Controls and forms keep every position within -kMaxCoordinate..kMaxCoordinate
// and every size within 0..kMaxCoordinate, as a desktop keeps window
// coordinates in a bounded range: so a position plus a size plus the offsets of
// a few nested containers never overflows an int, whatever a caller asks for.
inline constexpr int kMaxCoordinate = 1 << 24;

// A wide intermediate result held to the int range.
constexpr int ClampToInt(long long value) {
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

struct Point {
    int X = 0;
    int Y = 0;
    constexpr Point() = default;
    constexpr Point(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int Width = 0;
    int Height = 0;
    constexpr Size() = default;
    constexpr Size(int width, int height) : Width(width), Height(height) {}
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct SizeF {
    float Width = 0;
    float Height = 0;
    constexpr SizeF() = default;
    constexpr SizeF(float width, float height) : Width(width), Height(height) {}
    friend constexpr bool operator==(const SizeF&, const SizeF&) = default;
};

struct Rectangle {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    constexpr Rectangle() = default;
    constexpr Rectangle(int x, int y, int width, int height) : X(x), Y(y), Width(width), Height(height) {}
    constexpr Rectangle(Point location, Size size)
        : X(location.X), Y(location.Y), Width(size.Width), Height(size.Height) {}
    // Right and Bottom saturate at the int range rather than overflow.
    constexpr int Right() const { return ClampToInt(static_cast<long long>(X) + Width); }
    constexpr int Bottom() const { return ClampToInt(static_cast<long long>(Y) + Height); }
    constexpr Point Location() const { return {X, Y}; }
    constexpr forms::Size Size() const { return {Width, Height}; }
    constexpr bool Contains(Point p) const { return p.X >= X && p.X < Right() && p.Y >= Y && p.Y < Bottom(); }
    constexpr bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    constexpr Rectangle Offset(int dx, int dy) const {
        return {ClampToInt(static_cast<long long>(X) + dx), ClampToInt(static_cast<long long>(Y) + dy), Width, Height};
    }
    static constexpr Rectangle Intersect(const Rectangle& a, const Rectangle& b) {
        const int x = a.X > b.X ? a.X : b.X;
        const int y = a.Y > b.Y ? a.Y : b.Y;
        const int r = a.Right() < b.Right() ? a.Right() : b.Right();
        const int bottom = a.Bottom() < b.Bottom() ? a.Bottom() : b.Bottom();
        if (r <= x || bottom <= y) return {x, y, 0, 0};
        return {x, y, ClampToInt(static_cast<long long>(r) - x), ClampToInt(static_cast<long long>(bottom) - y)};
    }
    friend constexpr bool operator==(const Rectangle&, const Rectangle&) = default;
};

// Space around (Margin) or inside (Padding) a control, in the order left, top, right, bottom.
struct Padding {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr Padding() = default;
    constexpr explicit Padding(int all) : Left(all), Top(all), Right(all), Bottom(all) {}
    constexpr Padding(int left, int top, int right, int bottom) : Left(left), Top(top), Right(right), Bottom(bottom) {}
    constexpr int Horizontal() const { return ClampToInt(static_cast<long long>(Left) + Right); }
    constexpr int Vertical() const { return ClampToInt(static_cast<long long>(Top) + Bottom); }
    friend constexpr bool operator==(const Padding&, const Padding&) = default;
};

// One monitor, in the coordinates of the virtual screen: all of it, and the part
// that windows may use (without task bars and docked tool bars).
struct Screen {
    Rectangle Bounds;
    Rectangle WorkingArea;
    friend constexpr bool operator==(const Screen&, const Screen&) = default;
};

}  // namespace forms
