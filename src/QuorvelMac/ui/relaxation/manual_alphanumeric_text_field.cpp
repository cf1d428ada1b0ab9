#include "QuorvelMac/ui/relaxation/manual_alphanumeric_text_field.hpp"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

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
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            menu->removeAction(action);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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
