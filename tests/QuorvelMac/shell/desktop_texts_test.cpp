// What the shell shows of data, and the language of Qt's own texts: the lock panel and the
// application picker show names and failures verbatim, and Qt's standard texts are Japanese.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTimer>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/shell/mac_application_picker.hpp"
#include "QuorvelMac/shell/qt_translations.hpp"
#include "QuorvelMac/ui/relaxation/manual_alphanumeric_text_field.hpp"
#include "shell_x11_fixture.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using namespace shelltest;
using Status = LockOverlayState::Status;

TEST(LockPanelTexts, MarkupInTheNameAndTheFailureIsShownAsText) {
    MacLockTarget target = editorTarget();
    target.displayName = "<b>Editor</b>";
    const std::string failure = "<i>iPhone</i>に届きませんでした & <a href='x'>もう一度</a>";
    LockOverlayView view({});
    view.setState(LockOverlayState{target, Status::failed(failure)}, [] {});
    auto* name = view.findChild<QLabel*>("mac-lock-name");
    auto* status = view.statusBlock()->findChild<QLabel*>("mac-lock-status-title");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(name->text().toStdString(), target.displayName);
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
    EXPECT_EQ(status->text().toStdString(), failure);
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

class PickerTexts : public ShellX11Test {};

TEST_F(PickerTexts, AnIdThatLooksLikeMarkupIsShownVerbatimInItsToolTip) {
    writeEntry("a<b>c", "[Desktop Entry]\nType=Application\nName=<b>Editor</b>\n");
    MacApplicationPickerDialog dialog(*index);
    QListWidgetItem* item = nullptr;
    for (int row = 0; row < dialog.list()->count(); ++row) {
        if (dialog.list()->item(row)->text() == "<b>Editor</b>")
            item = dialog.list()->item(row);
    }
    ASSERT_NE(item, nullptr);
    // As a tool tip reads it: rich text when it looks like markup.
    const QString tip = item->toolTip();
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    EXPECT_EQ(shown.toPlainText(), "a<b>c");
}

TEST(QtTranslations, QtsOwnTextsAreJapanese) {
    ASSERT_TRUE(installJapaneseQtTranslations(*QCoreApplication::instance()))
        << "qt6-translations-l10n is not installed";
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "キャンセル");

    // The code field's context menu, as a right click opens it.
    ui::ManualAlphanumericTextField field("ここに入力");
    field.show();
    QStringList titles;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(widget);
            if (!menu || !menu->isVisible() || menu->parentWidget() != &field)
                continue;
            for (const QAction* action : menu->actions()) {
                if (!action->isSeparator())
                    titles << action->text().section(QLatin1Char('\t'), 0, 0);
            }
            menu->close();
        }
    });
    QContextMenuEvent context(QContextMenuEvent::Mouse, field.rect().center(),
                              field.mapToGlobal(field.rect().center()));
    QApplication::sendEvent(&field, &context);
    testkit::drainLoop();
    ASSERT_FALSE(titles.isEmpty());
    for (const QString& title : titles) {
        // Japanese: not one Latin letter outside the mnemonic's parentheses.
        QString letters = title;
        letters.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        EXPECT_FALSE(letters.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << title.toStdString();
    }
}

}  // namespace
}  // namespace quorvel
