#pragma once

// Finds the texts of a shown window that are not shown whole: a label lower than its wrapped
// text, a one-line label or a button narrower than its text, or any of them reaching outside a
// widget that holds it (a scroll area's viewport only sideways, since it scrolls up and down).
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

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
        const int needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
        if (button->width() < needed || button->width() < button->minimumSizeHint().width()) {
            cut.push_back(describe(button, button->text()) + " needs width " +
                          std::to_string(std::max(needed, button->minimumSizeHint().width())));
        }
        if (const std::string outside = clippedBy(button, &window); !outside.empty()) {
            cut.push_back(describe(button, button->text()) + outside);
        }
    }
    return cut;
}

}  // namespace quorvel::ui::testing
