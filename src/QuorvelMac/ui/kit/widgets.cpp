#include "QuorvelMac/ui/kit/widgets.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QWidget>

#include "QuorvelMac/ui/kit/prominent_button.hpp"
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

QWidget* makeSymbolLabel(const QString& text, const QString& symbol, const QColor& colour,
                         QWidget* parent) {
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* icon = new QLabel(holder);
    icon->setPixmap(theme::tintedSymbol(symbol, 16, colour));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* label = theme::makeLabel(text, theme::TextStyle::body, colour, holder);
    label->setObjectName("message");
    row->addWidget(label, 1);
    holder->setProperty("systemImage", symbol);
    return holder;
}

QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent) {
    if (style == ButtonStyle::prominent) {
        // The accent look of the row's main action, without making it the dialog default.
        return new ProminentButton(title, parent);
    }
    auto* button = new QPushButton(title, parent);
    button->setFlat(style == ButtonStyle::plain);
    button->setAutoDefault(false);
    return button;
}

QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent) {
    QPushButton* button = makeButton(title, style, parent);
    if (auto* prominent = qobject_cast<ProminentButton*>(button)) {
        prominent->setSymbol(systemImage);
    } else {
        button->setIcon(theme::symbol(systemImage, button->palette().color(QPalette::ButtonText)));
        button->setProperty("systemImage", systemImage);
    }
    return button;
}

}  // namespace quorvel::ui
