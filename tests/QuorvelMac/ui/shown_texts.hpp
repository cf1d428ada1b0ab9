#pragma once

// Where a window shows what a person reads: every visible text (labels, buttons, switches, group
// box titles, menu items, list rows) and every picture (labels with a picture, symbol tiles, busy
// indicators), each with the part of the window it is drawn in, less what a scrolling viewport or
// a holder hides.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStyleOptionGroupBox>
#include <QStyleOptionViewItem>
#include <QWidget>
#include <string>
#include <vector>

#include "QuorvelMac/ui/kit/busy_indicator.hpp"
#include "QuorvelMac/ui/kit/icon_chip.hpp"
#include "QuorvelMac/ui/kit/switch.hpp"

namespace quorvel::ui::testing {

struct ShownText {
    std::string what;
    const QWidget* widget;
    QRect rect;     // in the window's coordinates
    bool inactive;  // a disabled control: its look says so, its text is not required to read
    bool whole;     // not partly scrolled out of view or hidden by a holder
};

// The part of `area` (in `widget`'s coordinates) that shows inside `window`, in the window's
// coordinates: every holder up to the window clips it.
inline QRect visibleRect(const QWidget* widget, const QWidget* window, QRect area) {
    QRect shown(widget->mapTo(window, area.topLeft()), area.size());
    for (const QWidget* holder = widget->parentWidget(); holder && widget != window;
         holder = holder->parentWidget()) {
        shown &= QRect(holder->mapTo(window, QPoint(0, 0)), holder->size());
        if (holder == window) {
            break;
        }
    }
    return shown;
}

inline std::string named(const QWidget* widget, const QString& text) {
    const QString name = widget->objectName().isEmpty()
                             ? QString::fromLatin1(widget->metaObject()->className())
                             : widget->objectName();
    return (name + QStringLiteral(" \"") + text + QStringLiteral("\"")).toStdString();
}

// Where a list row draws its text, as the list's style places it (beside the row's icon, if
// any), less the margin the style keeps at each side of the text.
inline QRect rowTextRect(const QListWidget* list, const QListWidgetItem* item) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(item);
    option.text = item->text();
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    if (!item->icon().isNull()) {
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = item->icon();
        option.decorationSize = item->icon().actualSize(list->iconSize());
    }
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    return list->style()
        ->subElementRect(QStyle::SE_ItemViewItemText, &option, list)
        .adjusted(margin, 0, -margin, 0);
}

// Every text the window shows.
inline std::vector<ShownText> shownTexts(const QWidget& window) {
    std::vector<ShownText> texts;
    const auto add = [&](const QWidget* widget, const QString& text, QRect area, bool inactive) {
        const QRect rect = visibleRect(widget, &window, area);
        if (!rect.isEmpty()) {
            texts.push_back(
                {named(widget, text), widget, rect, inactive, rect.size() == area.size()});
        }
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&window) && !label->text().isEmpty()) {
            add(label, label->text(), label->contentsRect(), false);
        }
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window) || button->text().isEmpty()) {
            continue;
        }
        QRect area = button->rect();
        // A switch's text stands left of its track.
        if (qobject_cast<const Switch*>(button)) {
            area.setWidth(button->width() - Switch::trackWidth - 12);
        }
        add(button, button->text(), area, !button->isEnabled());
    }
    for (const QGroupBox* group : window.findChildren<QGroupBox*>()) {
        if (!group->isVisibleTo(&window) || group->title().isEmpty()) {
            continue;
        }
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        add(group, group->title(), title, false);
    }
    if (const auto* menu = qobject_cast<const QMenu*>(&window)) {
        for (QAction* action : menu->actions()) {
            if (action->isVisible() && !action->isSeparator()) {
                add(menu, action->text(), menu->actionGeometry(action), false);
            }
        }
    }
    for (const QListWidget* list : window.findChildren<QListWidget*>()) {
        if (!list->isVisibleTo(&window)) {
            continue;
        }
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            if (item->text().isEmpty()) {
                continue;
            }
            add(list->viewport(), item->text(), rowTextRect(list, item), false);
        }
    }
    return texts;
}

// Every text and picture of the window drawn by a widget of its own, each as a rectangle that no
// other may share.
inline std::vector<ShownText> shownBoxes(const QWidget& window) {
    std::vector<ShownText> boxes;
    const auto add = [&](const QWidget* widget, const QString& text) {
        if (!widget->isVisibleTo(&window)) {
            return;
        }
        const QRect rect = visibleRect(widget, &window, widget->rect());
        if (!rect.isEmpty()) {
            boxes.push_back(
                {named(widget, text), widget, rect, false, rect.size() == widget->size()});
        }
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() || !label->pixmap().isNull()) {
            add(label, label->text());
        }
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        add(button, button->text());
    }
    for (const IconChip* chip : window.findChildren<IconChip*>()) {
        add(chip, chip->systemImage());
    }
    for (const BusyIndicator* busy : window.findChildren<BusyIndicator*>()) {
        add(busy, QString());
    }
    return boxes;
}

}  // namespace quorvel::ui::testing
