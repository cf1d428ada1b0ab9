#include "QuorvelMac/ui/kit/busy_indicator.hpp"

#include <QPainter>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

BusyIndicator::BusyIndicator(int side, QWidget* parent) : QWidget(parent) {
    setFixedSize(side, side);
    timer_.setInterval(1000 / spokes);
    connect(&timer_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % spokes;
        update();
    });
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(width(), height()) / 2.0;
    painter.translate(width() / 2.0, height() / 2.0);
    QColor ink = theme::secondary();
    const qreal opacity = ink.alphaF();
    for (int spoke = 0; spoke < spokes; ++spoke) {
        // The leading spoke in full, those behind it fading to a quarter.
        const int behind = (phase_ - spoke + spokes) % spokes;
        ink.setAlphaF(opacity * (1.0 - 0.75 * behind / (spokes - 1)));
        painter.setPen(QPen(ink, radius / 4.5, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * spoke / spokes);
        painter.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius * 0.85));
        painter.restore();
    }
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

}  // namespace quorvel::ui
