#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "QuorvelMac/ui/relaxation/manual_alphanumeric_text_field.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::settle;

class RelaxationTest : public testing::UiTest {
protected:
    int applied = 0;

    void raise(const std::string& code) {
        PendingMacSettingsRelaxationChallenge challenge =
            PendingMacSettingsRelaxationChallenge::make("ロック対象", "電卓を外す", 16,
                                                        [this] { ++applied; });
        challenge.code = code;
        controller.setPendingChallenge(challenge);
    }

    static void type(QWidget& field, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&field, &press);
        }
    }
};

TEST_F(RelaxationTest, CodeShownInGroupsNotSelectable) {
    EXPECT_EQ(SettingsRelaxationChallengeSheet::displayedCode("ABCDEFGHJKLMNPQR"),
              "ABCD EFGH JKLM NPQR");
    EXPECT_EQ(SettingsRelaxationChallengeSheet::displayedCode("ABCDEFGHJKLMNPQRS"),
              "ABCDE FGHJ KLMN PQRS");
    raise("AbCd3fGh4jKm5nPq");
    SettingsRelaxationChallengeSheet sheet(controller);
    ASSERT_NE(sheet.codeLabel(), nullptr);
    EXPECT_EQ(sheet.codeLabel()->text(), "AbCd 3fGh 4jKm 5nPq");
    EXPECT_EQ(sheet.codeLabel()->textInteractionFlags(), Qt::NoTextInteraction);
    EXPECT_EQ(sheet.codeLabel()->contextMenuPolicy(), Qt::PreventContextMenu);
    EXPECT_EQ(sheet.codeLabel()->accessibleName(), "AbCd3fGh4jKm5nPq");
    EXPECT_EQ(sheet.width(), 480);
}

TEST_F(RelaxationTest, ConfirmEnabledOnlyForTheExactCode) {
    raise("AbCd3fGh4jKm5nPq");
    SettingsRelaxationChallengeSheet sheet(controller);
    sheet.show();
    EXPECT_FALSE(sheet.confirmButton()->isEnabled());
    type(*sheet.input(), "AbCd 3fGh 4jKm 5nPq");  // the spaces make it wrong
    EXPECT_FALSE(sheet.confirmButton()->isEnabled());
    sheet.input()->clear();
    type(*sheet.input(), "abCd3fGh4jKm5nPq");  // one letter in the wrong case
    EXPECT_FALSE(sheet.confirmButton()->isEnabled());
    sheet.input()->clear();
    type(*sheet.input(), "AbCd3fGh4jKm5nPq");
    EXPECT_TRUE(sheet.confirmButton()->isEnabled());
    sheet.confirmButton()->click();
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(controller.pendingChallenge().has_value());
    EXPECT_TRUE(controller.isEditingSessionActive());
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(RelaxationTest, CancelDropsTheChange) {
    raise("AbCd3fGh4jKm5nPq");
    SettingsRelaxationChallengeSheet sheet(controller);
    sheet.show();
    sheet.cancelButton()->click();
    EXPECT_EQ(applied, 0);
    EXPECT_FALSE(controller.pendingChallenge().has_value());
    EXPECT_FALSE(controller.isEditingSessionActive());
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(RelaxationTest, SheetIgnoresEscapeAndTheCloseButton) {
    raise("AbCd3fGh4jKm5nPq");
    SettingsRelaxationChallengeSheet sheet(controller);
    sheet.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&sheet, &escape);
    EXPECT_TRUE(sheet.isVisible());
    sheet.close();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(controller.pendingChallenge().has_value());
}

TEST_F(RelaxationTest, EmptySheetWithoutChallenge) {
    SettingsRelaxationChallengeSheet sheet(controller);
    EXPECT_EQ(sheet.codeLabel(), nullptr);
    EXPECT_EQ(sheet.width(), 480);
    EXPECT_EQ(sheet.layout()->contentsMargins(), QMargins(24, 24, 24, 24));
}

TEST_F(RelaxationTest, FieldRefusesPasteByEveryRoute) {
    ManualAlphanumericTextField field("ここに入力");
    field.show();
    EXPECT_EQ(field.placeholderText(), "ここに入力");
    QApplication::clipboard()->setText("PASTED");

    QKeyEvent ctrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "v");
    QApplication::sendEvent(&field, &ctrlV);
    QKeyEvent shiftInsert(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);
    QApplication::sendEvent(&field, &shiftInsert);
    EXPECT_EQ(field.text(), "");

    const QPointF centre(field.width() / 2.0, field.height() / 2.0);
    QMouseEvent middlePress(QEvent::MouseButtonPress, centre, field.mapToGlobal(centre),
                            Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
    QMouseEvent middleRelease(QEvent::MouseButtonRelease, centre, field.mapToGlobal(centre),
                              Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &middlePress);
    QApplication::sendEvent(&field, &middleRelease);
    EXPECT_EQ(field.text(), "");

    EXPECT_FALSE(field.acceptDrops());

    QInputMethodEvent bulk;
    bulk.setCommitString("PASTED");
    QApplication::sendEvent(&field, &bulk);
    EXPECT_EQ(field.text(), "");

    // Typing one by one works, and what is typed is not filtered.
    type(field, "Ab3 -");
    EXPECT_EQ(field.text(), "Ab3 -");
    QInputMethodEvent single;
    single.setCommitString("x");
    QApplication::sendEvent(&field, &single);
    EXPECT_EQ(field.text(), "Ab3 -x");
}

// Every action of the field's real context menu, submenus included, is triggered in turn with
// text on the clipboard and part of the typed text selected: none may put anything else into the
// field.
TEST_F(RelaxationTest, ContextMenuInsertsNothing) {
    ManualAlphanumericTextField field("ここに入力");
    field.show();
    const QString typed = "xyz";

    // Opens the field's menu as a right click does and hands its actions, submenus' included, to
    // `use` while it is open.
    const auto withMenu = [&](const std::function<void(const std::vector<QAction*>&)>& use) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* menu = qobject_cast<QMenu*>(widget);
                if (!menu || !menu->isVisible() || menu->parentWidget() != &field)
                    continue;
                opened = true;
                std::vector<QAction*> actions;
                std::function<void(QMenu*)> collect = [&](QMenu* m) {
                    for (QAction* action : m->actions()) {
                        if (action->menu())
                            collect(action->menu());
                        else if (!action->isSeparator())
                            actions.push_back(action);
                    }
                };
                collect(menu);
                use(actions);
                menu->close();
            }
        });
        QContextMenuEvent context(QContextMenuEvent::Mouse, field.rect().center(),
                                  field.mapToGlobal(field.rect().center()));
        QApplication::sendEvent(&field, &context);
        settle();
        ASSERT_TRUE(opened);
    };

    std::size_t count = 0;
    withMenu([&](const std::vector<QAction*>& actions) { count = actions.size(); });
    ASSERT_GT(count, 0u);
    for (std::size_t i = 0; i < count; ++i) {
        // Cut and Copy put typed text on the clipboard: the next action finds the foreign text.
        QApplication::clipboard()->setText("PASTED");
        field.clear();
        type(field, typed);
        field.setSelection(1, 1);
        QString title;
        withMenu([&](const std::vector<QAction*>& actions) {
            ASSERT_EQ(actions.size(), count);
            title = actions[i]->text();
            actions[i]->trigger();
        });
        for (const QChar c : field.text()) {
            EXPECT_TRUE(typed.contains(c))
                << "after \"" << title.toStdString() << "\": " << field.text().toStdString();
        }
    }
}

TEST_F(RelaxationTest, BannerEndsTheSession) {
    controller.setEditingSessionActive(true);
    SettingsRelaxationSessionBanner banner(controller);
    banner.endButton()->click();
    EXPECT_FALSE(controller.isEditingSessionActive());
}

}  // namespace
}  // namespace quorvel::ui
