// Assistive technology reads the interface as it is seen: every sidebar row, button and label
// carries the text it shows as its accessible name, and the lock panel's button its title (its
// object name stays for the program's own use).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QListWidget>

#include "QuorvelMac/shell/lock_overlay_presentation.hpp"
#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

QString accessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// A button's title as it is read: without the "&" that marks a shortcut.
QString readTitle(const QAbstractButton* button) {
    QString title = button->text();
    return title.replace(QLatin1String("&&"), QLatin1String("\x01"))
        .remove('&')
        .replace('\x01', '&');
}

class AccessibleNamesTest : public testing::UiTest {};

TEST_F(AccessibleNamesTest, EveryRowButtonAndLabelOfTheMainWindowIsNamedByItsText) {
    auto model = makeUiModel(true);
    MainWindow window(*model, controller, services);
    window.resize(980, 700);
    window.show();
    const char* titles[] = {"概要", "ロック対象", "Chrome", "ペアリング"};
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.sidebar());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->childCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(list->child(row)->text(QAccessible::Name), titles[row]) << row;
    }
    for (const SidebarItem item :
         {SidebarItem::overview, SidebarItem::targets, SidebarItem::chrome, SidebarItem::pairing}) {
        window.selection().set(item);
        testing::settle();
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                EXPECT_EQ(accessibleName(label), label->text()) << label->text().toStdString();
            }
        }
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !button->text().isEmpty()) {
                EXPECT_EQ(accessibleName(button), readTitle(button))
                    << button->text().toStdString();
            }
        }
    }
}

TEST_F(AccessibleNamesTest, TheLockPanelsButtonIsNamedByItsTitle) {
    using Status = LockOverlayState::Status;
    LockOverlayView panel([](const MacLockTarget&) { return QIcon(); });
    panel.resize(800, 600);
    panel.show();
    for (const Status& status : {Status::locked(), Status::requesting(), Status::failed("x")}) {
        panel.setState({testing::appTarget("com.example.mail", "メール"), status}, [] {});
        EXPECT_EQ(accessibleName(panel.unlockButton()),
                  QString::fromStdString(LockOverlayActionPresentation(status).title));
        EXPECT_EQ(panel.unlockButton()->objectName(), "mac-lock-unlock-request-button");
    }
}

}  // namespace
}  // namespace quorvel::ui
