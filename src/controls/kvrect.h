#pragma once

#include <QRect>

#include <algorithm>

// A rectangle as the drawing code counts it: right and bottom are exclusive,
// so the width is Right - Left. (QRect's right() is inclusive; convert with
// ToQRect and FromQRect only.)
struct TKvRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }

    // The part inside `other`; an empty result is (0, 0, 0, 0).
    constexpr TKvRect Intersected(const TKvRect &other) const
    {
        const TKvRect r{std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
                        std::min(Bottom, other.Bottom)};
        return r.IsEmpty() ? TKvRect{} : r;
    }

    // Moved inwards by n on every side (outwards for a negative n).
    constexpr TKvRect Shrunk(int n) const { return TKvRect{Left + n, Top + n, Right - n, Bottom - n}; }
    constexpr TKvRect Translated(int dx, int dy) const
    {
        return TKvRect{Left + dx, Top + dy, Right + dx, Bottom + dy};
    }

    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    static TKvRect FromQRect(const QRect &r)
    {
        return TKvRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }

    friend constexpr bool operator==(const TKvRect &, const TKvRect &) = default;
};
