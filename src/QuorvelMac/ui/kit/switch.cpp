#include "QuorvelMac/ui/kit/switch.hpp"

#include <QPainter>
#include <QPainterPath>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

namespace {
constexpr int textGap = 12;
}

Switch::Switch(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setAttribute(Qt::WA_Hover);
    setSizePolicy(text.isEmpty() ? QSizePolicy::Fixed : QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize Switch::sizeHint() const {
    const QSize label =
        text().isEmpty() ? QSize(0, 0) : fontMetrics().size(Qt::TextShowMnemonic, text());
    const int gap = text().isEmpty() ? 0 : textGap;
    return {label.width() + gap + trackWidth + 4, std::max(label.height(), trackHeight) + 4};
}

void Switch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    if (!text().isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, 0, width() - trackWidth - textGap, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
    }
    const QRectF track(width() - trackWidth - 2, (height() - trackHeight) / 2.0, trackWidth,
                       trackHeight);
    const bool on = isChecked();
    // Off: the separator's faint text colour, which reads on any background; hovered or
    // pressed, a shade deeper.
    QColor fill = on ? theme::accent() : theme::separator();
    if (isDown() || (underMouse() && isEnabled())) {
        if (on) {
            fill = fill.darker(112);
        } else {
            fill.setAlphaF(fill.alphaF() * 1.5);
        }
    }
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    painter.fillPath(trackPath, fill);
    if (hasFocus()) {
        QColor ring = theme::accent();
        ring.setAlphaF(0.5);
        painter.setPen(QPen(ring, 2));
        painter.drawRoundedRect(track.adjusted(-1.5, -1.5, 1.5, 1.5), trackHeight / 2.0 + 1.5,
                                trackHeight / 2.0 + 1.5);
    }
    const qreal knob = trackHeight - 4;
    const qreal knobX = on ? track.right() - 2 - knob : track.left() + 2;
    const QRectF knobRect(knobX, track.top() + 2, knob, knob);
    // The knob is white in both schemes, with a faint edge in the palette's shadow colour.
    QColor edge = palette().color(QPalette::Shadow);
    edge.setAlphaF(0.16);
    painter.setPen(QPen(edge, 0.8));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobRect);
}

}  // namespace quorvel::ui
