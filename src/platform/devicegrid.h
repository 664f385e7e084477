// How a picture box's logical pixels fall on the device pixels of a screen
// that scales (a desktop scaling by 1.25, 1.5, 2 ..., or a program that asks
// for a scale factor of its own).
//
// The toolkit places a child widget whose top left corner lies at logical
// point (X, Y) of its window on device pixel (round(X * ratio), round(Y *
// ratio)), halves rounded up, and lets it cover the device pixels up to
// round((X + width) * ratio). Drawings that follow the same rounding, counted
// from the window's corner, meet their neighbours without a gap or an
// overlap, and a colour band that ends on one logical row in one picture ends
// on the same device row in every other.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

namespace vb {

// Device pixel of logical coordinate `v` (counted from the window's corner).
inline int toDevicePixel(int v, double ratio)
{
    return static_cast<int>(std::floor(v * ratio + 0.5));
}

struct DeviceGrid {
    double ratio = 1.0;
    QPoint origin;  // the box's top left corner in its window, logical pixels

    // Device column / row of the box's logical column / row `v`, counted from
    // the box's first device column / row.
    int x(int v) const { return toDevicePixel(origin.x() + v, ratio) - toDevicePixel(origin.x(), ratio); }
    int y(int v) const { return toDevicePixel(origin.y() + v, ratio) - toDevicePixel(origin.y(), ratio); }

    // The device pixels covered by `logical` pixels of the box.
    QSize size(QSize logical) const { return {x(logical.width()), y(logical.height())}; }
    QRect rect(const QRect& logical) const
    {
        return QRect(QPoint(x(logical.left()), y(logical.top())),
                     QPoint(x(logical.right() + 1) - 1, y(logical.bottom() + 1) - 1));
    }

    // True when the box's pixels fall on the device pixels in the same way
    // as on `other`, only shifted by whole device pixels: the same ratio, and
    // a move that is a whole number of device pixels across and down (a step
    // of ten at 2.4 or 4.8). A canvas drawn for one serves the other.
    bool sameLayout(const DeviceGrid& other) const
    {
        auto whole = [this](int logical) {
            const double device = logical * ratio;
            return std::abs(device - std::round(device)) < 1e-6;
        };
        return ratio == other.ratio && whole(origin.x() - other.origin.x()) && whole(origin.y() - other.origin.y());
    }
};

}  // namespace vb
