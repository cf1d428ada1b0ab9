// How the interface looks on a Linux desktop: symbols drawn from symbolic icons in their tone,
// prominent buttons whose white text reads on the fill actually drawn, a visibly disabled
// prominent button, switches, the application's own icon and the Chrome setup card's spacing.
#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/ui/kit/application_icon.hpp"
#include "QuorvelMac/ui/kit/prominent_button.hpp"
#include "QuorvelMac/ui/kit/switch.hpp"
#include "QuorvelMac/ui/kit/symbolic_icons.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/panes/chrome_pane.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

double luminance(QColor colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(QColor a, QColor b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The fill is the colour drawn most often inside the button; the text is the drawn colour that
// stands out most against it.
struct DrawnColours {
    QColor fill;
    QColor text;
};

DrawnColours drawnColours(QWidget& widget) {
    widget.resize(widget.sizeHint().expandedTo(QSize(200, 44)));
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            ++counts[image.pixel(x, y)];
    QRgb fill = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most)
            most = count, fill = colour;
    QColor text = QColor::fromRgb(fill);
    for (const auto& [colour, count] : counts)
        if (contrast(QColor::fromRgb(colour), QColor::fromRgb(fill)) >
            contrast(text, QColor::fromRgb(fill)))
            text = QColor::fromRgb(colour);
    return {QColor::fromRgb(fill), text};
}

TEST(LookTest, EverySymbolIsASymbolicIconOfThePackagedSetOrTheUsersTheme) {
    ASSERT_FALSE(theme::symbolNames().empty());
    for (const QString& name : theme::symbolNames()) {
        const QString file = theme::symbolFile(name);
        EXPECT_TRUE(file.endsWith(theme::symbolicIconName(name) + ".svg"))
            << name.toStdString() << " " << file.toStdString();
        EXPECT_TRUE(theme::symbolicIconName(name).endsWith("-symbolic")) << name.toStdString();
        // Tinted, the drawing keeps its shape in the one colour it is given.
        const QImage image = theme::tintedSymbol(name, 32, theme::orange()).toImage();
        int inked = 0, clear = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 0) {
                    ++clear;
                } else if (pixel.alpha() >= 64) {
                    ++inked;
                    EXPECT_LT(contrast(pixel, theme::orange()), 1.1) << name.toStdString();
                }
            }
        }
        EXPECT_GT(inked, 8) << name.toStdString();
        EXPECT_GT(clear, image.width() * image.height() / 5)
            << name.toStdString() << " is a solid disc";
    }
}

TEST(LookTest, AUsersThemeWithTheSameSymbolicIconIsPreferred) {
    QTemporaryDir icons;
    QDir root(icons.path());
    ASSERT_TRUE(root.mkpath("Mine/scalable/status"));
    QFile index(root.filePath("Mine/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=Mine\nInherits=hicolor\nDirectories=scalable/status\n\n"
        "[scalable/status]\nSize=16\nType=Scalable\n");
    index.close();
    QFile icon(root.filePath("Mine/scalable/status/security-high-symbolic.svg"));
    ASSERT_TRUE(icon.open(QIODevice::WriteOnly));
    icon.write(
        "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'><rect x='2' y='2' "
        "width='12' height='12'/></svg>");
    icon.close();
    const QStringList paths{icons.path(), "/usr/share/icons"};
    EXPECT_EQ(theme::findThemeIcon("security-high-symbolic", "Mine", paths), icon.fileName());
    // What the user's theme lacks comes from the packaged set.
    EXPECT_TRUE(theme::findThemeIcon("dialog-warning-symbolic", "Mine", paths).isEmpty());
    EXPECT_TRUE(theme::findThemeIcon("dialog-warning-symbolic", theme::packagedSymbolTheme, paths)
                    .endsWith("/Adwaita/scalable/status/dialog-warning-symbolic.svg"));
}

TEST(LookTest, ProminentButtonsReadAndLookDisabledWhenDisabled) {
    QWidget host;
    QPushButton* prominent = makeButton("設定をゆるめる", ButtonStyle::prominent, &host);
    ASSERT_NE(qobject_cast<ProminentButton*>(prominent), nullptr);
    const DrawnColours enabled = drawnColours(*prominent);
    EXPECT_GE(contrast(enabled.text, enabled.fill), 4.5)
        << enabled.fill.name().toStdString() << " " << enabled.text.name().toStdString();
    EXPECT_GT(enabled.text.lightness(), 240);  // white text

    QPushButton* withSymbol = makeButton("アプリを追加…", "plus", ButtonStyle::prominent, &host);
    const DrawnColours symbol = drawnColours(*withSymbol);
    EXPECT_GE(contrast(symbol.text, symbol.fill), 4.5);

    prominent->setEnabled(false);
    const DrawnColours disabled = drawnColours(*prominent);
    EXPECT_GT(contrast(disabled.fill, enabled.fill), 2.0) << "the disabled fill is not the accent";
    EXPECT_LT(disabled.text.lightness(), 200) << "the disabled text is not white";

    // The lock panel's button: white on its own blue.
    LockOverlayView panel([](const MacLockTarget&) { return QIcon(); });
    panel.setState(
        {testing::appTarget("com.example.mail", "メール"), LockOverlayState::Status::locked()},
        [] {});
    panel.resize(800, 600);
    panel.show();
    testing::settle();
    const DrawnColours lock = drawnColours(*panel.unlockButton());
    EXPECT_GE(contrast(lock.text, lock.fill), 4.5)
        << lock.fill.name().toStdString() << " " << lock.text.name().toStdString();
}

TEST(LookTest, SwitchesAreDrawnAsSwitches) {
    Switch on("ログイン時に起動");
    on.setChecked(true);
    on.resize(on.sizeHint());
    const QImage image = on.grab().toImage();
    // The track's accent fill lies at the right edge, where a check box has nothing.
    // Left of the knob, which stands at the right end while on.
    const int trackLeft = image.width() - 2 - Switch::trackWidth;
    const QColor track = image.pixelColor(trackLeft + 5, image.height() / 2);
    EXPECT_LT(contrast(track, theme::accent()), 1.3) << track.name().toStdString();
    on.setChecked(false);
    const QImage off = on.grab().toImage();
    EXPECT_GT(contrast(off.pixelColor(off.width() - 2 - Switch::trackWidth / 2, off.height() / 2),
                       theme::accent()),
              1.5);
}

TEST(LookTest, TheApplicationHasItsOwnIcon) {
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(64, 64).toImage();
    EXPECT_EQ(image.size(), QSize(64, 64));
    // Blue tile with a white ring.
    EXPECT_GT(image.pixelColor(32, 6).blue(), 180);
    EXPECT_EQ(image.pixelColor(32, 6).red() < 120, true);
}

class ChromeSpacingTest : public testing::UiTest {};

TEST_F(ChromeSpacingTest, SetupCardLeavesTheKitsTwelveUnderItsRowWithoutAnError) {
    auto model = makeUiModel();
    ChromePane pane(*model);
    pane.resize(700, 700);
    pane.show();
    testing::settle();
    const QLabel* feature = nullptr;
    for (const QLabel* label : pane.findChildren<QLabel*>())
        if (label->text() == "Chromeとの連携機能")
            feature = label;
    const QLabel* caption = nullptr;
    for (const QLabel* label : pane.findChildren<QLabel*>("caption"))
        if (label->text().startsWith("連携の準備"))
            caption = label;
    ASSERT_NE(feature, nullptr);
    ASSERT_NE(caption, nullptr);
    const QWidget* card = caption->parentWidget();
    const int rowBottom = feature->parentWidget() == card
                              ? feature->geometry().bottom()
                              : feature->mapTo(card, QPoint(0, feature->height() - 1)).y();
    // The row is as high as its pill; the gap is measured from the row's lowest widget.
    int lowest = rowBottom;
    for (const QWidget* child : card->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child != caption && child->isVisible() && child->y() < caption->y())
            lowest = std::max(lowest, child->geometry().bottom());
    EXPECT_EQ(caption->y() - lowest - 1, 12);
}

}  // namespace
}  // namespace quorvel::ui
