#pragma once

// The part of a focused window that the lock panel covers: the window less the strip at its top
// that holds the window's own buttons, so that closing or minimising it stays possible. On X11
// the window manager's top frame extent (the title bar) stands for those buttons, and both the
// window system and the panel use root coordinates with y growing downwards.
#include <cmath>
#include <vector>

namespace quorvel::windows {

struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    bool isNull() const {
        return std::isnan(x) || std::isnan(y) || std::isnan(width) || std::isnan(height);
    }
    bool isEmpty() const { return isNull() || !(width > 0) || !(height > 0); }
    bool intersects(const ScreenRect& other) const;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

namespace FocusedWindowFrameResolver {

// The window rectangle with the strip of its title-bar controls cut off its top: the strip is as
// deep below the controls as the gap above them. Controls that are empty or lie outside the
// window are passed over; with none left, or when the cut would be deeper than a third of the
// window or than 96, or would leave at most one unit of window, the whole window is returned.
ScreenRect blockingAccessibilityFrame(const ScreenRect& windowFrame,
                                      const std::vector<ScreenRect>& titleBarControlFrames);

// True when a window of this size can be covered at all (both sides larger than 1).
bool isCoverableSize(double width, double height);

}  // namespace FocusedWindowFrameResolver
}  // namespace quorvel::windows
