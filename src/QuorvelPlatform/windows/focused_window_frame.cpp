#include "QuorvelPlatform/windows/focused_window_frame.hpp"

#include <algorithm>

namespace quorvel::windows {

bool ScreenRect::intersects(const ScreenRect& other) const {
    if (isEmpty() || other.isEmpty())
        return false;
    return minX() < other.maxX() && other.minX() < maxX() && minY() < other.maxY() &&
           other.minY() < maxY();
}

namespace FocusedWindowFrameResolver {

ScreenRect blockingAccessibilityFrame(const ScreenRect& windowFrame,
                                      const std::vector<ScreenRect>& titleBarControlFrames) {
    std::vector<ScreenRect> kept;
    for (const auto& control : titleBarControlFrames) {
        if (!control.isNull() && !control.isEmpty() && control.intersects(windowFrame)) {
            kept.push_back(control);
        }
    }
    if (kept.empty())
        return windowFrame;

    double topGap = kept.front().minY() - windowFrame.minY();
    if (!(topGap >= 0))
        topGap = 0;  // negative or NaN
    double controlsBottom = kept.front().maxY();
    for (const auto& control : kept)
        controlsBottom = std::max(controlsBottom, control.maxY());

    const double cutLine = controlsBottom + topGap;
    const double depth = cutLine - windowFrame.minY();
    const double third = windowFrame.height / 3;
    const double limit = std::isnan(third) ? 96.0 : std::min(third, 96.0);
    if (depth > 0 && depth <= limit && cutLine < windowFrame.maxY() - 1) {
        return ScreenRect{windowFrame.minX(), cutLine, windowFrame.width,
                          windowFrame.maxY() - cutLine};
    }
    return windowFrame;
}

bool isCoverableSize(double width, double height) {
    return width > 1 && height > 1;
}

}  // namespace FocusedWindowFrameResolver
}  // namespace quorvel::windows
