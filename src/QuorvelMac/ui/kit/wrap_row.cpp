#include "QuorvelMac/ui/kit/wrap_row.hpp"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>

namespace quorvel::ui {

WrapRow::WrapRow(int spacing, QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

WrapRow::~WrapRow() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

void WrapRow::addLeading(QWidget* widget) {
    addChildWidget(widget);
    items_.insert(leading_++, new QWidgetItem(widget));
    invalidate();
}

void WrapRow::addTrailing(QWidget* widget) {
    addChildWidget(widget);
    items_.append(new QWidgetItem(widget));
    invalidate();
}

void WrapRow::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* WrapRow::takeAt(int index) {
    if (index < 0 || index >= items_.size()) {
        return nullptr;
    }
    if (index < leading_) {
        --leading_;
    }
    return items_.takeAt(index);
}

int WrapRow::heightForWidth(int width) const {
    return arrange(QRect(0, 0, width, 0), false);
}

QSize WrapRow::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) {
            continue;
        }
        width += (width > 0 ? spacing() : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    return {width, height};
}

// Narrower than the widest widget it cannot go.
QSize WrapRow::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty()) {
            size = size.expandedTo(item->sizeHint());
        }
    }
    return size;
}

void WrapRow::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrapRow::arrange(const QRect& rect, bool place) const {
    struct Line {
        QList<QLayoutItem*> items;
        int width = 0;
        int height = 0;
        bool trailingAtEnd = false;
    };
    QList<Line> lines;
    const auto add = [&](QLayoutItem* item) {
        const QSize size = item->sizeHint();
        if (lines.isEmpty() || (!lines.last().items.isEmpty() &&
                                lines.last().width + spacing() + size.width() > rect.width())) {
            lines.append(Line{});
        }
        Line& line = lines.last();
        line.width += (line.items.isEmpty() ? 0 : spacing()) + size.width();
        line.height = std::max(line.height, size.height());
        line.items.append(item);
    };
    QList<QLayoutItem*> trailing;
    int trailingWidth = 0;
    for (int index = 0; index < items_.size(); ++index) {
        QLayoutItem* item = items_[index];
        if (item->isEmpty()) {
            continue;
        }
        if (index < leading_) {
            add(item);
        } else {
            trailingWidth += (trailing.isEmpty() ? 0 : spacing()) + item->sizeHint().width();
            trailing.append(item);
        }
    }
    if (!trailing.isEmpty()) {
        const bool fitsBeside =
            !lines.isEmpty() && lines.last().width + spacing() + trailingWidth <= rect.width();
        if (fitsBeside) {
            Line& line = lines.last();
            line.trailingAtEnd = true;
            for (QLayoutItem* item : trailing) {
                line.height = std::max(line.height, item->sizeHint().height());
                line.items.append(item);
            }
        } else {
            lines.append(Line{});
            for (QLayoutItem* item : trailing) {
                add(item);
            }
        }
    }

    int y = rect.y();
    for (const Line& line : lines) {
        if (place) {
            int x = rect.x();
            for (QLayoutItem* item : line.items) {
                const QSize size = item->sizeHint();
                if (line.trailingAtEnd && item == trailing.first()) {
                    // The trailing block starts where it ends flush with the right edge.
                    x = rect.right() + 1 - trailingWidth;
                }
                item->setGeometry(QRect(QPoint(x, y + (line.height - size.height()) / 2), size));
                x += size.width() + spacing();
            }
        }
        y += line.height + spacing();
    }
    return lines.isEmpty() ? 0 : y - spacing() - rect.y();
}

}  // namespace quorvel::ui
