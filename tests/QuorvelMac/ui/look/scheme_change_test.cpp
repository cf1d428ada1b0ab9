// A change of scheme while the program runs (the desktop switching to dark and back) redraws what
// is already on screen in the new colours: a pane's labels, pills, symbols and cards, and the lock
// panel's card, status and icon; and the texts still read afterwards. The tray menu's status lines
// read while a disabled request item keeps its dimmed look.
#include <gmock/gmock.h>

#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "drawn_colours.hpp"
#include "schemes.hpp"
#include "testkit/qt_wait.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::drawnColours;
using ::testing::IsEmpty;
using testing::SchemeScope;

// The drawn colours of a widget's rectangle in a picture of `window`.
testing::DrawnColours seen(const QImage& image, const QWidget& window, const QWidget* widget) {
    return drawnColours(image, testing::visibleRect(widget, &window, widget->rect()));
}

QImage picture(QWidget& window) {
    testing::settle();
    return window.grab().toImage();
}

class SchemeChangeTest : public testing::UiTest {};

TEST_F(SchemeChangeTest, APaneOnScreenIsRedrawnInTheNewColours) {
    auto model = makeUiModel(true);
    MainWindow window(*model, controller, services);
    window.resize(980, 700);
    window.selection().set(SidebarItem::targets);
    window.show();
    QWidget* pane = window.pane(SidebarItem::targets);
    const auto* layout = pane->findChild<PaneLayout*>();
    ASSERT_NE(layout, nullptr);
    // Texts and pictures the kit coloured: subtitle (secondary), a pill's text, a tinted symbol
    // (the sidebar's), a card's caption (tertiary).
    const QWidget* watched[] = {
        layout->subtitleLabel(),
        pane->findChildren<StatusPill*>().front()->findChild<QLabel*>("pillText"),
        window.sidebar()->itemWidget(window.sidebar()->item(0))->findChild<QLabel*>(),
        pane->findChild<QLabel*>("note"),
    };
    for (const QWidget* widget : watched)
        ASSERT_NE(widget, nullptr);

    const QImage light = picture(window);
    std::vector<testing::DrawnColours> before;
    for (const QWidget* widget : watched)
        before.push_back(seen(light, window, widget));
    {
        SchemeScope dark(testing::darkPalette());
        const QImage after = picture(window);
        for (std::size_t i = 0; i < std::size(watched); ++i) {
            const testing::DrawnColours now = seen(after, window, watched[i]);
            const std::string name =
                watched[i]->objectName().toStdString() + " " + std::to_string(i);
            EXPECT_NE(now.background, before[i].background) << name;
            // Light ink on a dark ground now, where it was dark ink on a light one.
            EXPECT_LT(before[i].text.lightness(), before[i].background.lightness()) << name;
            EXPECT_GT(now.text.lightness(), now.background.lightness()) << name;
        }
        // The pane's canvas is the dark window colour.
        EXPECT_EQ(after.pixelColor(layout->mapTo(&window, QPoint(4, 4))),
                  testing::darkPalette().color(QPalette::Window));
        EXPECT_THAT(testing::unreadableTexts(window, after), IsEmpty());
    }
    // And back.
    const QImage again = picture(window);
    for (std::size_t i = 0; i < std::size(watched); ++i) {
        EXPECT_EQ(seen(again, window, watched[i]).text, before[i].text) << i;
    }
}

TEST_F(SchemeChangeTest, TheLockPanelOnScreenIsRedrawnInTheNewColours) {
    LockOverlayView panel(
        [](const MacLockTarget&) { return MacApplicationIconProvider::genericApplicationIcon(); });
    panel.setState(
        {testing::appTarget("com.example.mail", "メール"), LockOverlayState::Status::locked()},
        [] {});
    panel.resize(800, 600);
    panel.show();
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return !panel.statusBlock()->findChild<QPropertyAnimation*>(); }));
    const QWidget* card = panel.findChild<QWidget*>("mac-lock-card");
    const QWidget* pill = panel.statusBlock()->findChild<QLabel*>("mac-lock-status-title");
    const QWidget* message = panel.statusBlock()->findChild<QLabel*>("mac-lock-status-message");
    const QWidget* watched[] = {pill, message, panel.iconLabel()};
    for (const QWidget* widget : watched)
        ASSERT_NE(widget, nullptr);

    const QImage light = picture(panel);
    std::vector<testing::DrawnColours> before;
    for (const QWidget* widget : watched)
        before.push_back(seen(light, panel, widget));
    const QColor lightCard = light.pixelColor(card->geometry().center().x(), card->y() + 8);
    SchemeScope dark(testing::darkPalette());
    const QImage after = picture(panel);
    EXPECT_EQ(after.pixelColor(4, 4), testing::darkPalette().color(QPalette::Window));
    const QColor darkCard = after.pixelColor(card->geometry().center().x(), card->y() + 8);
    EXPECT_NE(darkCard, lightCard);
    EXPECT_EQ(darkCard, testing::darkPalette().color(QPalette::Base));
    for (std::size_t i = 0; i < std::size(watched); ++i) {
        const testing::DrawnColours now = seen(after, panel, watched[i]);
        EXPECT_LT(before[i].text.lightness(), before[i].background.lightness()) << i;
        EXPECT_GT(now.text.lightness(), now.background.lightness()) << i;
    }
    EXPECT_THAT(testing::unreadableTexts(panel, after), IsEmpty());
}

TEST_F(SchemeChangeTest, TrayStatusLinesReadWhileADisabledRequestItemLooksDisabled) {
    auto model = makeUiModel(true);  // "動画" unlocked: a status line and a disabled request
    for (const testing::Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        TrayMenu menu(
            *model, services, [] {}, [] {});
        menu.popup(QPoint(0, 0));
        const QImage image = picture(menu);
        int statusLines = 0;
        for (QAction* action : menu.actions()) {
            if (action->isSeparator() || action->isEnabled())
                continue;
            ++statusLines;
            const auto drawn = drawnColours(image, menu.actionGeometry(action));
            EXPECT_GE(drawn.contrast(), 4.5) << scheme.name << " " << action->text().toStdString();
        }
        EXPECT_EQ(statusLines, 2) << scheme.name;

        QMenu* requests = menu.requestMenu();
        ASSERT_NE(requests, nullptr);
        requests->popup(QPoint(0, 0));
        const QImage submenu = picture(*requests);
        QAction* disabled = nullptr;
        QAction* enabled = nullptr;
        for (QAction* action : requests->actions())
            (action->isEnabled() ? enabled : disabled) = action;
        ASSERT_NE(disabled, nullptr);
        ASSERT_NE(enabled, nullptr);
        const auto dimmed = drawnColours(submenu, requests->actionGeometry(disabled));
        const auto active = drawnColours(submenu, requests->actionGeometry(enabled));
        EXPECT_LT(dimmed.contrast(), active.contrast() - 2.0) << scheme.name;
        requests->close();
        menu.close();
    }
}

}  // namespace
}  // namespace quorvel::ui
