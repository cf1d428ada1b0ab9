// The main window and the settings window as a person handles them: the sidebar's selection
// cleared by Ctrl+click, its divider dragged, the window closed and opened again.
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QSplitter>

#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/user_interface.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::settle;

class MainWindowTest : public testing::UiTest {
protected:
    static void click(QWidget* target, QPoint at, Qt::KeyboardModifiers modifiers) {
        const QPointF point(at);
        const QPointF global(target->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(target, &release);
    }
    static void clickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers) {
        click(list->viewport(), list->visualItemRect(list->item(row)).center(), modifiers);
    }
};

TEST_F(MainWindowTest, CtrlClickOnTheSelectedRowShowsTheOverview) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.show();
    settle();
    clickRow(window.sidebar(), 3, Qt::NoModifier);
    ASSERT_EQ(window.selection().value(), SidebarItem::pairing);
    ASSERT_EQ(window.shownPane(), window.pane(SidebarItem::pairing));

    clickRow(window.sidebar(), 3, Qt::ControlModifier);
    EXPECT_TRUE(window.sidebar()->selectedItems().isEmpty());
    EXPECT_EQ(window.selection().value(), std::nullopt);
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::overview));
    EXPECT_EQ(window.windowTitle(), "概要");

    clickRow(window.sidebar(), 1, Qt::NoModifier);
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::targets));
    EXPECT_EQ(window.windowTitle(), "ロック対象");
}

TEST_F(MainWindowTest, SidebarKeepsItsWidthWhenDraggedNarrow) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.show();
    settle();
    auto* split = window.findChild<QSplitter*>();
    ASSERT_NE(split, nullptr);
    QWidget* side = split->widget(0);
    QSplitterHandle* handle = split->handle(1);
    // Drag the divider to the window's left edge.
    const QPoint grip = handle->rect().center();
    const QPointF start(grip);
    QMouseEvent press(QEvent::MouseButtonPress, start, handle->mapToGlobal(start), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &press);
    const QPointF end(grip.x() - handle->mapTo(&window, grip).x(), grip.y());
    QMouseEvent move(QEvent::MouseMove, end, handle->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, handle->mapToGlobal(end), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &release);
    settle();
    // Collapsed, the splitter would give the sidebar no room at all (its widget keeps its
    // minimum width, drawn under the pane).
    EXPECT_EQ(split->sizes().value(0), 180);
    EXPECT_GE(handle->x(), 180);
    EXPECT_EQ(side->width(), 180);
}

TEST_F(MainWindowTest, ReopenedWindowStartsAtTheOverview) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.show();
    settle();
    window.selection().set(SidebarItem::chrome);
    ASSERT_EQ(window.windowTitle(), "Chrome");
    window.close();
    window.show();
    settle();
    EXPECT_EQ(window.selection().value(), SidebarItem::overview);
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::overview));
    EXPECT_EQ(window.sidebar()->currentRow(), 0);
    EXPECT_EQ(window.windowTitle(), "概要");
}

TEST_F(MainWindowTest, SettingsWindowIs520Wide) {
    auto model = makeUiModel();
    UserInterface views(services);
    views.showSettings(*model);
    settle();
    SettingsWindow* settings = views.settingsWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->width(), 520);
    settings->resize(900, settings->height());
    EXPECT_EQ(settings->width(), 520);
    settings->resize(300, settings->height());
    EXPECT_EQ(settings->width(), 520);
}

}  // namespace
}  // namespace quorvel::ui
