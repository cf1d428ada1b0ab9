#include "QuorvelMac/ui/kit/palette_colours.hpp"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace quorvel::ui::theme {

namespace {

// A little above the rules' 4.5, so that the edges of drawn glyphs still reach it.
constexpr double textContrast = 4.8;
constexpr double secondaryContrast = 7.0;
constexpr double tertiaryContrast = textContrast;
// The opacity of the orange behind the editing session's banner.
constexpr double bannerOpacity = 0.12;
// Faint fills: the text at this opacity; the lock panel's capsule takes it at 0.6 again.
constexpr double quaternaryOpacity = 0.1;
constexpr double capsuleOpacity = 0.6;

constexpr std::size_t inkCount = static_cast<std::size_t>(Ink::onAccent) + 1;

double channel(double value) {
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

QColor mix(const QColor& from, const QColor& to, double share) {
    const auto blend = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()),
                            blend(from.blueF(), to.blueF()));
}

QColor withOpacity(QColor colour, double opacity) {
    colour.setAlphaF(opacity);
    return colour;
}

// The lowest contrast of `ink` against the backgrounds and against its own capsule on each.
double worstContrast(const QColor& ink, const std::vector<QColor>& backgrounds, bool ownFill) {
    double worst = 21.0;
    for (const QColor& background : backgrounds) {
        worst = std::min(worst, contrast(ink, background));
        if (ownFill) {
            worst =
                std::min(worst, contrast(ink, over(withOpacity(ink, pillFillOpacity), background)));
        }
    }
    return worst;
}

// A tone moved away from the backgrounds (darker in a light scheme, lighter in a dark one) until
// it reads on them and on its own capsule.
QColor readableTone(QColor tone, const std::vector<QColor>& backgrounds, bool dark) {
    const QColor away = dark ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step < 40 && worstContrast(tone, backgrounds, true) < textContrast; ++step) {
        tone = mix(tone, away, 0.05);
    }
    return tone;
}

// The text colour moved towards the window as far as it can go while keeping `target` (its
// emphasis) against the plain surfaces, and reading against the tinted ones it also stands on
// and, with `ownFill`, on its own capsule; the text itself when even it falls short.
QColor fadedText(const QColor& text, const QColor& window, const std::vector<QColor>& surfaces,
                 double target, const std::vector<QColor>& tinted, bool ownFill) {
    const auto holds = [&](const QColor& ink) {
        return worstContrast(ink, surfaces, false) >= target &&
               worstContrast(ink, surfaces, ownFill) >= textContrast &&
               worstContrast(ink, tinted, false) >= textContrast;
    };
    double reached = 0.0;
    double beyond = 1.0;
    for (int step = 0; step < 24; ++step) {
        const double middle = (reached + beyond) / 2;
        if (holds(mix(text, window, middle))) {
            reached = middle;
        } else {
            beyond = middle;
        }
    }
    return mix(text, window, reached);
}

// The highlight deepened (or lightened, under dark highlighted text) until its text reads on it.
QColor readableFill(QColor fill, const QColor& text) {
    const QColor away = luminance(text) > luminance(fill) ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 0; step < 40 && contrast(fill, text) < textContrast; ++step) {
        fill = mix(fill, away, 0.05);
    }
    return fill;
}

struct Tones {
    QColor green, orange, red, blue;
};

// Where the tones start: deep shades on light windows, bright ones on dark windows.
Tones startingTones(bool dark) {
    if (dark) {
        return {QColor(0x30, 0xd1, 0x58), QColor(0xff, 0x9f, 0x0a), QColor(0xff, 0x45, 0x3a),
                QColor(0x40, 0x9c, 0xff)};
    }
    return {QColor(0x24, 0x8a, 0x3d), QColor(0xc9, 0x34, 0x00), QColor(0xd7, 0x00, 0x15),
            QColor(0x00, 0x40, 0xdd)};
}

// The colours of every ink in one palette, and whether that palette is a dark one.
struct Scheme {
    std::array<QColor, inkCount> inks;
    bool dark = false;
};

QColor& at(Scheme& scheme, Ink ink) {
    return scheme.inks[static_cast<std::size_t>(ink)];
}

Scheme derive(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::WindowText);
    const bool dark = luminance(window) < luminance(text);
    Scheme scheme;
    scheme.dark = dark;

    const std::vector<QColor> surfaces{window, base};
    const Tones start = startingTones(dark);
    at(scheme, Ink::green) = readableTone(start.green, surfaces, dark);
    at(scheme, Ink::orange) = readableTone(start.orange, surfaces, dark);
    at(scheme, Ink::red) = readableTone(start.red, surfaces, dark);
    at(scheme, Ink::blue) = readableTone(start.blue, surfaces, dark);

    at(scheme, Ink::primary) = text;
    at(scheme, Ink::separator) = withOpacity(text, 0.2);
    at(scheme, Ink::quaternary) = withOpacity(text, quaternaryOpacity);
    at(scheme, Ink::gray) = mix(text, window, 0.5);
    // Secondary text also stands on the banner's orange, on the lock panel's capsule and on its
    // own capsule (the neutral pill); tertiary only on the window and on cards.
    const std::vector<QColor> tinted{
        over(withOpacity(at(scheme, Ink::orange), bannerOpacity), window),
        over(withOpacity(text, quaternaryOpacity * capsuleOpacity), base)};
    at(scheme, Ink::secondary) = fadedText(text, window, surfaces, secondaryContrast, tinted, true);
    at(scheme, Ink::tertiary) = fadedText(text, window, surfaces, tertiaryContrast, {}, false);

    at(scheme, Ink::onAccent) = palette.color(QPalette::HighlightedText);
    at(scheme, Ink::accent) =
        readableFill(palette.color(QPalette::Highlight), at(scheme, Ink::onAccent));
    return scheme;
}

// Worked out again whenever the application's palette is another one.
const Scheme& current() {
    static qint64 key = 0;
    static bool derived = false;
    static Scheme scheme;
    const QPalette palette = QGuiApplication::palette();
    if (!derived || palette.cacheKey() != key) {
        scheme = derive(palette);
        key = palette.cacheKey();
        derived = true;
    }
    return scheme;
}

}  // namespace

QColor colour(Ink ink) {
    return current().inks[static_cast<std::size_t>(ink)];
}

Ink inkOf(Tone tone) {
    switch (tone) {
        case Tone::positive:
            return Ink::green;
        case Tone::warning:
            return Ink::orange;
        case Tone::critical:
            return Ink::red;
        case Tone::neutral:
            break;
    }
    return Ink::secondary;
}

bool isDarkScheme() {
    return current().dark;
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor over(const QColor& fill, const QColor& background) {
    return mix(background, QColor::fromRgbF(fill.redF(), fill.greenF(), fill.blueF()),
               fill.alphaF());
}

}  // namespace quorvel::ui::theme
