#include "QuorvelMac/ui/relaxation/manual_alphanumeric_text_field.hpp"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleHints>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

ManualAlphanumericTextField::ManualAlphanumericTextField(const QString& placeholder,
                                                         QWidget* parent)
    : QLineEdit(parent) {
    setPlaceholderText(placeholder);
    setFont(theme::monospacedFont(theme::font(theme::TextStyle::body).pointSizeF(), QFont::Normal));
    setAcceptDrops(false);
    setDragEnabled(false);
    // No completion or prediction: the code is read from the sheet and typed.
    setCompleter(nullptr);
    setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase | Qt::ImhSensitiveData);
}

void ManualAlphanumericTextField::keyPressEvent(QKeyEvent* event) {
    // QKeySequence::Paste covers Ctrl+V and Shift+Insert on this desktop.
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ManualAlphanumericTextField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// Qt's standard menu of a line edit offers Paste, and Qt 6.4 gives its actions no names, so Paste
// cannot be picked out of it reliably (nor anything that inserts in a later Qt). This menu is
// built instead from the standard actions that only undo, copy or remove what was typed, under
// Qt's own (translated) titles.
QMenu* ManualAlphanumericTextField::createContextMenu() {
    auto* menu = new QMenu(this);
    const auto add = [this, menu](const char* title, QKeySequence::StandardKey key, bool enabled,
                                  auto slot) {
        QString text = QLineEdit::tr(title);
        if (key != QKeySequence::UnknownKey &&
            QGuiApplication::styleHints()->showShortcutsInContextMenus()) {
            text += QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
        }
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    const bool selected = hasSelectedText();
    add(QT_TRANSLATE_NOOP("QLineEdit", "&Undo"), QKeySequence::Undo, isUndoAvailable(),
        [this] { undo(); });
    add(QT_TRANSLATE_NOOP("QLineEdit", "&Redo"), QKeySequence::Redo, isRedoAvailable(),
        [this] { redo(); });
    menu->addSeparator();
    add(QT_TRANSLATE_NOOP("QLineEdit", "Cu&t"), QKeySequence::Cut, selected, [this] { cut(); });
    add(QT_TRANSLATE_NOOP("QLineEdit", "&Copy"), QKeySequence::Copy, selected, [this] { copy(); });
    add(QT_TRANSLATE_NOOP("QLineEdit", "Delete"), QKeySequence::UnknownKey, selected, [this] {
        if (hasSelectedText())
            del();
    });
    menu->addSeparator();
    add(QT_TRANSLATE_NOOP("QLineEdit", "Select All"), QKeySequence::SelectAll,
        !text().isEmpty() && selectedText() != text(), [this] { selectAll(); });
    return menu;
}

// The middle button pastes the X11 primary selection on release; it is swallowed on both edges.
void ManualAlphanumericTextField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void ManualAlphanumericTextField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// An input method commits what the user composed key by key; a commit of many characters at
// once with nothing being composed is how some input methods deliver a paste, so it is refused.
void ManualAlphanumericTextField::inputMethodEvent(QInputMethodEvent* event) {
    if (event->preeditString().isEmpty() && event->commitString().size() > 1 &&
        event->replacementLength() == 0) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

}  // namespace quorvel::ui
