// How the interface looks on a Linux desktop: symbols drawn from symbolic icons in their tone,
// prominent buttons whose white text reads on the fill actually drawn, a visibly disabled
// prominent button, switches, the application's own icon and the Chrome setup card's spacing.
#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/ui/kit/application_icon.hpp"
#include "QuorvelMac/ui/kit/menu_button.hpp"
#include "QuorvelMac/ui/kit/push_button.hpp"
#include "QuorvelMac/ui/kit/switch.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/panes/chrome_pane.hpp"
#include "drawn_colours.hpp"
#include "testkit/temp_xdg.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using theme::contrast;

// The fill is the colour drawn most often inside the button (its edge left out); the text is the
// drawn colour that stands out most against it.
struct ButtonColours {
    QColor fill;
    QColor text;
};

ButtonColours drawnColours(QWidget& widget) {
    widget.resize(widget.sizeHint().expandedTo(QSize(200, 44)));
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const testing::DrawnColours drawn =
        testing::drawnColours(image, image.rect().adjusted(4, 4, -4, -4));
    return {drawn.background, drawn.text};
}

// The pixels of the image that are inked (opaque enough to be seen) and those left clear.
struct Coverage {
    int inked = 0;
    int clear = 0;
};

Coverage coverage(const QImage& image) {
    Coverage counted;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = image.pixelColor(x, y).alpha();
            counted.inked += alpha >= 64;
            counted.clear += alpha == 0;
        }
    }
    return counted;
}

TEST(LookTest, EverySymbolIsASymbolicIconOfThePackagedSetOrTheUsersTheme) {
    ASSERT_FALSE(theme::symbolNames().empty());
    for (const QString& name : theme::symbolNames()) {
        const QIcon shape = theme::symbolShape(name);
        EXPECT_FALSE(shape.isNull()) << name.toStdString() << ": no theme has it";
        EXPECT_EQ(shape.name(), theme::symbolicIconName(name)) << name.toStdString();
        EXPECT_TRUE(theme::symbolicIconName(name).endsWith("-symbolic")) << name.toStdString();
        // Tinted, the drawing keeps its shape in the one colour it is given.
        const QImage image = theme::tintedSymbol(name, 32, theme::orange()).toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() >= 64) {
                    EXPECT_LT(contrast(pixel, theme::orange()), 1.1) << name.toStdString();
                }
            }
        }
        const Coverage drawn = coverage(image);
        EXPECT_GT(drawn.inked, 8) << name.toStdString();
        EXPECT_GT(drawn.clear, image.width() * image.height() / 5)
            << name.toStdString() << " is a solid disc";
    }
}

TEST(LookTest, AUsersThemeWithTheSameSymbolicIconIsPreferred) {
    // The user's theme lies in the data home's "icons", where the desktop looks for themes.
    testkit::TempXdgHome home;
    QDir root(QString::fromStdString((home.dataHome() / "icons").string()));
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
    const QString previousTheme = QIcon::themeName();
    QIcon::setThemeName("Mine");

    // The user's square, whole, where the packaged set draws a shield.
    const QImage mine = theme::tintedSymbol("shield", 32, theme::orange()).toImage();
    EXPECT_EQ(coverage(mine.copy(5, 5, 22, 22)).inked, 22 * 22);
    EXPECT_EQ(coverage(mine).inked, 24 * 24);
    // What the user's theme lacks comes from the packaged set.
    const QImage warning =
        theme::tintedSymbol("exclamationmark.triangle", 32, theme::orange()).toImage();
    EXPECT_GT(coverage(warning).inked, 32);
    EXPECT_GT(coverage(warning).clear, 32 * 32 / 5);
    QIcon::setThemeName(previousTheme);
}

TEST(LookTest, ProminentButtonsReadAndLookDisabledWhenDisabled) {
    QWidget host;
    QPushButton* prominent = makeButton("設定をゆるめる", ButtonStyle::prominent, &host);
    ASSERT_NE(qobject_cast<PushButton*>(prominent), nullptr);
    const ButtonColours enabled = drawnColours(*prominent);
    EXPECT_GE(contrast(enabled.text, enabled.fill), 4.5)
        << enabled.fill.name().toStdString() << " " << enabled.text.name().toStdString();
    EXPECT_GT(enabled.text.lightness(), 240);  // white text

    QPushButton* withSymbol = makeButton("アプリを追加…", "plus", ButtonStyle::prominent, &host);
    const ButtonColours symbol = drawnColours(*withSymbol);
    EXPECT_GE(contrast(symbol.text, symbol.fill), 4.5);

    prominent->setEnabled(false);
    const ButtonColours disabled = drawnColours(*prominent);
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
    const ButtonColours lock = drawnColours(*panel.unlockButton());
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

TEST(LookTest, MenuButtonsShowTheirSymbolWithoutTheMenuArrow) {
    // The same button with and without its menu: the menu adds nothing to the drawing.
    MenuButton bare(theme::symbol("ellipsis.circle"));
    MenuButton withMenu(theme::symbol("ellipsis.circle"));
    QMenu menu;
    menu.addAction("ロック対象から外す");
    withMenu.setMenu(&menu);
    EXPECT_EQ(withMenu.sizeHint(), bare.sizeHint());
    bare.resize(bare.sizeHint());
    withMenu.resize(withMenu.sizeHint());
    EXPECT_EQ(withMenu.grab().toImage(), bare.grab().toImage());
    // A plain tool button with the same menu draws the arrow there.
    QToolButton tool;
    tool.setIcon(theme::symbol("ellipsis.circle"));
    tool.setAutoRaise(true);
    tool.setPopupMode(QToolButton::InstantPopup);
    tool.setMenu(&menu);
    tool.resize(bare.size());
    EXPECT_NE(tool.grab().toImage(), bare.grab().toImage());
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
