#pragma once

// One line of the lock panel's status block: a leading picture (a symbol, or the busy indicator)
// and a text beside it, centred together as one row. The text keeps its natural width as far as
// the row (and the row's maximum text width) allows and wraps there, its lines centred; the
// picture stays right beside it, centred on the text's height. With a capsule the row is padded
// and drawn on the lock panel's faint capsule.
#include <QMargins>
#include <QWidget>

class QLabel;

namespace quorvel {

class LockOverlayStatusRow final : public QWidget {
    Q_OBJECT
public:
    LockOverlayStatusRow(QWidget* leading, const QString& text, int gap, QWidget* parent);

    QLabel* label() const { return label_; }
    void setMaximumTextWidth(int width);
    void setCapsule(const QMargins& padding);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The width the text takes in a row `width` wide, and the rectangle of the whole padded
    // block (picture, gap, text) centred in it.
    int textWidth(int width) const;
    QRect block(int width) const;

    QWidget* leading_;
    QLabel* label_;
    int gap_;
    int maximumTextWidth_ = QWIDGETSIZE_MAX;
    bool capsule_ = false;
    QMargins padding_;
};

}  // namespace quorvel
