#include "QuorvelMac/shell/lock_overlay_status_row.hpp"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace {
// The capsule is the quaternary fill at this opacity again.
constexpr double capsuleOpacity = 0.6;
}  // namespace

LockOverlayStatusRow::LockOverlayStatusRow(QWidget* leading, const QString& text, int gap,
                                           QWidget* parent)
    : QWidget(parent), leading_(leading), label_(new QLabel(this)), gap_(gap) {
    leading_->setParent(this);
    leading_->show();
    // Texts from data (a failure) are shown as they stand, never as markup.
    label_->setTextFormat(Qt::PlainText);
    label_->setText(text);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignCenter);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void LockOverlayStatusRow::setMaximumTextWidth(int width) {
    maximumTextWidth_ = width;
    updateGeometry();
}

void LockOverlayStatusRow::setCapsule(const QMargins& padding) {
    capsule_ = true;
    padding_ = padding;
    updateGeometry();
}

int LockOverlayStatusRow::textWidth(int width) const {
    const int room = width - padding_.left() - padding_.right() - leading_->width() - gap_;
    // One pixel more than the text's advance, so that a text that fits is never wrapped.
    const int natural = label_->fontMetrics().horizontalAdvance(label_->text()) + 1;
    return std::max(1, std::min({natural, room, maximumTextWidth_}));
}

QRect LockOverlayStatusRow::block(int width) const {
    const int text = textWidth(width);
    const int inner = std::max(leading_->height(), label_->heightForWidth(text));
    const QSize size(padding_.left() + leading_->width() + gap_ + text + padding_.right(),
                     padding_.top() + inner + padding_.bottom());
    return {QPoint((width - size.width()) / 2, 0), size};
}

int LockOverlayStatusRow::heightForWidth(int width) const {
    return block(width).height();
}

QSize LockOverlayStatusRow::sizeHint() const {
    const int natural = label_->fontMetrics().horizontalAdvance(label_->text()) + 1;
    const int width = padding_.left() + leading_->width() + gap_ +
                      std::min(natural, maximumTextWidth_) + padding_.right();
    return {width, heightForWidth(width)};
}

void LockOverlayStatusRow::resizeEvent(QResizeEvent*) {
    QRect area = block(width());
    // The block is centred in the row's height too (the row may be given more).
    area.moveTop((height() - area.height()) / 2);
    const QRect inside = area.marginsRemoved(padding_);
    const int text = textWidth(width());
    leading_->move(inside.left(), inside.top() + (inside.height() - leading_->height()) / 2);
    label_->setGeometry(inside.right() + 1 - text, inside.top(), text, inside.height());
}

void LockOverlayStatusRow::paintEvent(QPaintEvent*) {
    if (!capsule_) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF area = block(width());
    area.moveTop((height() - area.height()) / 2.0);
    QColor fill = ui::theme::colour(ui::theme::Ink::quaternary);
    fill.setAlphaF(fill.alphaF() * capsuleOpacity);
    QPainterPath capsule;
    capsule.addRoundedRect(area, area.height() / 2, area.height() / 2);
    painter.fillPath(capsule, fill);
}

}  // namespace quorvel
