#pragma once

// Finds the texts of a shown window that are not shown whole: a label lower than its wrapped
// text, a one-line label or a button narrower than its text (a button that wraps its title:
// lower than its lines), a list row whose text is elided, or any of them reaching outside a
// widget that holds it (a scroll area's viewport only sideways, since it scrolls up and down);
// and the texts and pictures drawn over one another.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <string>
#include <vector>

#include "shown_texts.hpp"

namespace quorvel::ui::testing {

inline std::string describe(const QWidget* widget, const QString& text) {
    const QString name = widget->objectName().isEmpty()
                             ? QString::fromLatin1(widget->metaObject()->className())
                             : widget->objectName();
    return (name + QStringLiteral(" \"") + text + QStringLiteral("\" ") +
            QStringLiteral("%1x%2").arg(widget->width()).arg(widget->height()))
        .toStdString();
}

// Whether the widget's rectangle lies inside every widget that holds it, up to `top`.
inline std::string clippedBy(const QWidget* widget, const QWidget* top) {
    for (const QWidget* holder = widget->parentWidget(); holder && widget != top;
         holder = holder->parentWidget()) {
        const QRect inHolder(widget->mapTo(holder, QPoint(0, 0)), widget->size());
        const bool scrolls =
            qobject_cast<const QAbstractScrollArea*>(holder->parentWidget()) &&
            holder == static_cast<const QAbstractScrollArea*>(holder->parentWidget())->viewport();
        const QRect room = holder->rect();
        const bool fits = scrolls
                              ? inHolder.left() >= room.left() && inHolder.right() <= room.right()
                              : room.contains(inHolder);
        if (!fits) {
            return " reaches outside " + describe(holder, QString());
        }
        // Past a scroll area's viewport the text is reached by scrolling, not cut.
        if (holder == top || scrolls) {
            break;
        }
    }
    return {};
}

inline std::vector<std::string> cutTexts(const QWidget& window) {
    QApplication::processEvents();
    std::vector<std::string> cut;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty()) {
            continue;
        }
        const QRect room = label->contentsRect();
        const QFontMetrics metrics = label->fontMetrics();
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            if (label->height() < needed) {
                cut.push_back(describe(label, label->text()) + " needs height " +
                              std::to_string(needed));
            }
        } else {
            const QRect text =
                metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft, label->text());
            if (room.width() < text.width() || room.height() < metrics.height()) {
                cut.push_back(describe(label, label->text()) + " needs " +
                              std::to_string(text.width()) + "x" +
                              std::to_string(metrics.height()));
            }
        }
        if (const std::string outside = clippedBy(label, &window); !outside.empty()) {
            cut.push_back(describe(label, label->text()) + outside);
        }
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window) || button->text().isEmpty()) {
            continue;
        }
        if (button->hasHeightForWidth()) {
            if (button->height() < button->heightForWidth(button->width())) {
                cut.push_back(describe(button, button->text()) + " needs height " +
                              std::to_string(button->heightForWidth(button->width())));
            }
        } else if (const int needed =
                       button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
                   button->width() < needed ||
                   button->width() < button->minimumSizeHint().width()) {
            cut.push_back(describe(button, button->text()) + " needs width " +
                          std::to_string(std::max(needed, button->minimumSizeHint().width())));
        }
        if (const std::string outside = clippedBy(button, &window); !outside.empty()) {
            cut.push_back(describe(button, button->text()) + outside);
        }
    }
    for (const QListWidget* list : window.findChildren<QListWidget*>()) {
        if (!list->isVisibleTo(&window)) {
            continue;
        }
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            if (list->fontMetrics().horizontalAdvance(item->text()) >
                rowTextRect(list, item).width()) {
                cut.push_back(describe(list, item->text()) + " row elided");
            }
        }
    }
    return cut;
}

// The pairs of texts and pictures whose drawn rectangles share pixels (a widget holding another
// is no overlap).
inline std::vector<std::string> overlappingTexts(const QWidget& window) {
    QApplication::processEvents();
    const std::vector<ShownText> boxes = shownBoxes(window);
    std::vector<std::string> overlaps;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const ShownText& a = boxes[i];
            const ShownText& b = boxes[j];
            if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget)) {
                continue;
            }
            if (a.rect.intersects(b.rect)) {
                overlaps.push_back(a.what + " over " + b.what);
            }
        }
    }
    return overlaps;
}

}  // namespace quorvel::ui::testing
