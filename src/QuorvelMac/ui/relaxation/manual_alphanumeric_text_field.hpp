#pragma once

// The field the confirmation code is typed into. It takes no text the user did not type, by any
// route: the paste key commands, the context menu (which offers nothing that inserts), the X11
// middle-click selection, drag and drop. What is typed is not filtered: a wrong character simply
// makes the code wrong.
#include <QLineEdit>

class QMenu;

namespace quorvel::ui {

class ManualAlphanumericTextField : public QLineEdit {
public:
    explicit ManualAlphanumericTextField(const QString& placeholder, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QMenu* createContextMenu();
};

}  // namespace quorvel::ui
