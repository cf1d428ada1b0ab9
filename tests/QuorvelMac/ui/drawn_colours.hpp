#pragma once

// What a person sees of a text: its colour and the colour behind it, read from the pixels drawn
// in the text's own rectangle. The background is the colour drawn most often there; the text is
// the colour that stands out most against it once a small share of the pixels drawn on it is
// counted (so not a stray pixel).
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "QuorvelMac/ui/kit/palette_colours.hpp"
#include "shown_texts.hpp"

namespace quorvel::ui::testing {

struct DrawnColours {
    QColor background;
    QColor text;
    double contrast() const { return theme::contrast(text, background); }
};

inline DrawnColours drawnColours(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xff000000u];
        }
    }
    // The background may be a gradient (a style's button): its shades are counted together, in
    // buckets of 16 levels a channel, and the commonest colour of the fullest bucket stands for it.
    const auto bucket = [](QRgb colour) { return (colour >> 4) & 0x0f0f0f; };
    std::map<QRgb, int> buckets;
    for (const auto& [colour, count] : counts) {
        buckets[bucket(colour)] += count;
    }
    const QRgb fullest =
        std::max_element(buckets.begin(), buckets.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    QRgb background = 0;
    int most = 0;
    for (const auto& [colour, count] : counts) {
        if (bucket(colour) == fullest && count > most) {
            most = count;
            background = colour;
        }
    }
    // What is drawn on the background, leaving out its own shades (a gradient, a faint edge),
    // from the strongest colour down: the text's colour is where the strongest 2% (and 3 pixels)
    // are reached, so a few stray pixels decide nothing, while the core of thin anti-aliased
    // glyphs, which covers few pixels in one exact colour, still counts.
    DrawnColours drawn{QColor::fromRgb(background), QColor::fromRgb(background)};
    std::vector<std::pair<double, QRgb>> drawnOn;
    int others = 0;
    for (const auto& [colour, count] : counts) {
        const double against = theme::contrast(QColor::fromRgb(colour), drawn.background);
        if (against >= 1.25) {
            drawnOn.emplace_back(against, colour);
            others += count;
        }
    }
    std::sort(drawnOn.begin(), drawnOn.end(), std::greater<>());
    const int strongest = std::max(3, others * 2 / 100);
    int reached = 0;
    for (const auto& [against, colour] : drawnOn) {
        reached += counts[colour];
        if (reached >= strongest) {
            drawn.text = QColor::fromRgb(colour);
            break;
        }
    }
    return drawn;
}

// The texts of the window that read below 4.5:1 in `image`, the window's picture (in device
// pixels). A disabled control's text is exempt: its dimmed look is what tells it is disabled. A
// text partly scrolled out of view is measured where it is seen whole.
inline std::vector<std::string> unreadableTexts(const QWidget& window, const QImage& image) {
    const double scale = double(image.width()) / window.width();
    std::vector<std::string> unreadable;
    for (const ShownText& text : shownTexts(window)) {
        if (text.inactive || !text.whole) {
            continue;
        }
        const QRect area(
            QPoint(std::lround(text.rect.left() * scale), std::lround(text.rect.top() * scale)),
            QPoint(std::lround((text.rect.right() + 1) * scale) - 1,
                   std::lround((text.rect.bottom() + 1) * scale) - 1));
        const DrawnColours drawn = drawnColours(image, area);
        if (drawn.contrast() < 4.5) {
            unreadable.push_back(text.what + " " + drawn.text.name().toStdString() + " on " +
                                 drawn.background.name().toStdString() + " at " +
                                 std::to_string(drawn.contrast()));
        }
    }
    return unreadable;
}

}  // namespace quorvel::ui::testing
