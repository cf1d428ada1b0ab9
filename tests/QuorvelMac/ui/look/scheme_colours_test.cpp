// The colours by meaning, worked out from the palette: in the light scheme, in the dark one and in
// a palette of neither kind, every text ink reads at 4.5:1 or more on every background the views
// put it on, and primary, secondary and tertiary text keep their order.
#include <gtest/gtest.h>

#include <functional>

#include "QuorvelMac/ui/kit/theme.hpp"
#include "schemes.hpp"

namespace quorvel::ui {
namespace {

using theme::colour;
using theme::contrast;
using theme::Ink;
using theme::over;

QColor opacity(QColor colour, double alpha) {
    colour.setAlphaF(colour.alphaF() * alpha);
    return colour;
}

std::vector<testing::Scheme> palettes() {
    auto all = testing::schemes();
    // Warm paper and brown ink, a yellow selection under dark text: no preset of ours.
    QPalette sepia = testing::schemes().front().palette;
    sepia.setColor(QPalette::Window, QColor("#f4ecd8"));
    sepia.setColor(QPalette::Base, QColor("#fbf6ea"));
    sepia.setColor(QPalette::WindowText, QColor("#3b2f1e"));
    sepia.setColor(QPalette::Highlight, QColor("#e8c547"));
    sepia.setColor(QPalette::HighlightedText, QColor("#2a2000"));
    all.push_back({"sepia", sepia});
    return all;
}

TEST(SchemeColoursTest, EveryTextInkReadsOnEveryBackgroundItStandsOn) {
    for (const testing::Scheme& scheme : palettes()) {
        testing::SchemeScope scope(scheme.palette);
        const QColor window = scheme.palette.color(QPalette::Window);
        const QColor base = scheme.palette.color(QPalette::Base);
        struct Case {
            const char* what;
            Ink ink;
            QColor background;
        };
        std::vector<Case> cases;
        for (const Ink ink : {Ink::primary, Ink::secondary, Ink::tertiary, Ink::green, Ink::orange,
                              Ink::red, Ink::blue}) {
            cases.push_back({"on the window", ink, window});
            cases.push_back({"on a card", ink, base});
        }
        for (const Ink ink : {Ink::green, Ink::orange, Ink::red, Ink::secondary}) {
            const QColor capsule = opacity(colour(ink), theme::pillFillOpacity);
            cases.push_back({"on its pill on the window", ink, over(capsule, window)});
            cases.push_back({"on its pill on a card", ink, over(capsule, base)});
        }
        cases.push_back({"on the session banner", Ink::secondary,
                         over(opacity(colour(Ink::orange), 0.12), window)});
        cases.push_back({"on the lock panel's capsule", Ink::secondary,
                         over(opacity(colour(Ink::quaternary), 0.6), base)});
        cases.push_back({"on the accent", Ink::onAccent, colour(Ink::accent)});
        for (const Case& c : cases) {
            EXPECT_GE(contrast(colour(c.ink), c.background), 4.5)
                << scheme.name << " ink " << int(c.ink) << " " << c.what << ": "
                << colour(c.ink).name().toStdString() << " on "
                << c.background.name().toStdString();
        }
    }
}

TEST(SchemeColoursTest, TextEmphasisFallsFromPrimaryToTertiaryAndComesFromThePalette) {
    for (const testing::Scheme& scheme : palettes()) {
        testing::SchemeScope scope(scheme.palette);
        const QColor window = scheme.palette.color(QPalette::Window);
        EXPECT_EQ(colour(Ink::primary), scheme.palette.color(QPalette::WindowText)) << scheme.name;
        // Each step down is plain to see, not a shade apart.
        EXPECT_LT(contrast(colour(Ink::secondary), window),
                  0.7 * contrast(colour(Ink::primary), window))
            << scheme.name;
        EXPECT_GT(contrast(colour(Ink::secondary), window),
                  contrast(colour(Ink::tertiary), window) + 1.0)
            << scheme.name;
        // Secondary text is the text colour moved towards the window, not a fixed grey.
        const QColor text = colour(Ink::primary);
        const QColor secondary = colour(Ink::secondary);
        const auto between = [](double a, double b, double value) {
            return value >= std::min(a, b) - 0.01 && value <= std::max(a, b) + 0.01;
        };
        EXPECT_TRUE(between(text.redF(), window.redF(), secondary.redF()) &&
                    between(text.greenF(), window.greenF(), secondary.greenF()) &&
                    between(text.blueF(), window.blueF(), secondary.blueF()))
            << scheme.name << " " << secondary.name().toStdString();
        EXPECT_EQ(colour(Ink::onAccent), scheme.palette.color(QPalette::HighlightedText))
            << scheme.name;
        // The accent keeps the highlight's hue.
        EXPECT_NEAR(colour(Ink::accent).hslHueF(),
                    scheme.palette.color(QPalette::Highlight).hslHueF(), 0.03)
            << scheme.name;
        EXPECT_EQ(theme::isDarkScheme(), scheme.name == "dark") << scheme.name;
    }
}

}  // namespace
}  // namespace quorvel::ui
