#pragma once

// A row of widgets that wraps instead of being cut: leading widgets from the left, trailing ones
// at the right end of the same line while there is room for all of them, else on lines of their
// own below, from the left. Every widget keeps its preferred size; each line is as high as its
// tallest widget, the widgets centred in it.
#include <QLayout>
#include <QList>

namespace quorvel::ui {

class WrapRow : public QLayout {
public:
    explicit WrapRow(int spacing, QWidget* parent = nullptr);
    ~WrapRow() override;

    void addLeading(QWidget* widget);
    void addTrailing(QWidget* widget);

    void addItem(QLayoutItem* item) override;
    int count() const override { return items_.size(); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (when `place`) and answers the height they take.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
    int leading_ = 0;  // how many of the items lead
};

}  // namespace quorvel::ui
