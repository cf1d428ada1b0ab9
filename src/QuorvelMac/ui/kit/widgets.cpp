#include "QuorvelMac/ui/kit/widgets.hpp"

#include <QHBoxLayout>
#include <QLabel>
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

QWidget* makeSymbolLabel(const QString& text, const QString& symbol, theme::Ink ink,
                         QWidget* parent) {
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* icon = new QLabel(holder);
    theme::setSymbol(icon, symbol, 16, ink);
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* label = theme::makeLabel(text, theme::TextStyle::body, ink, holder);
    label->setObjectName("message");
    row->addWidget(label, 1);
    holder->setProperty("systemImage", symbol);
    return holder;
}

QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent) {
    return new PushButton(title, style, parent);
}

QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent) {
    auto* button = new PushButton(title, style, parent);
    button->setSymbol(systemImage);
    return button;
}

}  // namespace quorvel::ui
