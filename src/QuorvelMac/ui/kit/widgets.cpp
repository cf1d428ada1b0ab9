#include "QuorvelMac/ui/kit/widgets.hpp"

#include <QLayout>
#include <QPushButton>
#include <QWidget>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* nested = item->layout()) {
            clearLayout(nested);
        }
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    button->setFlat(style == ButtonStyle::plain);
    if (style == ButtonStyle::prominent) {
        // The accent look of the row's main action, without making it the dialog default.
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, theme::blue());
        palette.setColor(QPalette::ButtonText, Qt::white);
        button->setPalette(palette);
        button->setProperty("prominent", true);
    }
    button->setAutoDefault(false);
    return button;
}

QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent) {
    QPushButton* button = makeButton(title, style, parent);
    button->setIcon(theme::symbol(systemImage));
    button->setProperty("systemImage", systemImage);
    return button;
}

}  // namespace quorvel::ui
