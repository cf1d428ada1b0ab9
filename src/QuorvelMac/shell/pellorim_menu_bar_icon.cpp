#include "QuorvelMac/shell/pellorim_menu_bar_icon.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <utility>

#include "QuorvelMac/ui/kit/drawn_icon.hpp"
#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel::PellorimMenuBarIcon {

State state(const MacSetupStatus& setup, const std::map<std::string, Date>& activeAllowWindows) {
    if (!setup.accessibilityPermissionGranted || !setup.iPhonePaired ||
        !setup.appSelectionStepFinished) {
        return State::attention;
    }
    return activeAllowWindows.empty() ? State::normal : State::allowing;
}

namespace {

constexpr qreal side = 18;

// Points in the drawing's own frame (origin lower left, y up) to Qt's (origin upper left).
QPointF at(qreal x, qreal y) {
    return {x, side - y};
}

void strokeArc(QPainter& painter, qreal cx, qreal cy, qreal fromDegrees, qreal toDegrees) {
    const qreal r = 6.25;
    QPainterPath path;
    const QRectF box(cx - r, side - cy - r, 2 * r, 2 * r);
    // Qt's angles run counter-clockwise on screen too, from the positive x axis.
    path.arcMoveTo(box, fromDegrees);
    path.arcTo(box, fromDegrees, toDegrees - fromDegrees);
    painter.setPen(QPen(painter.pen().color(), 2.25, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(path);
}

void strokeLine(QPainter& painter, QPointF from, QPointF to) {
    painter.setPen(QPen(painter.pen().color(), 1.7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
}

}  // namespace

QImage image(State state, qreal devicePixelRatio, QColor ink) {
    const int pixels = qRound(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(ink);
    painter.setBrush(Qt::NoBrush);
    const qreal cx = side / 2, cy = side / 2;
    strokeArc(painter, cx, cy, 8, 172);
    strokeArc(painter, cx, cy, 188, 352);
    if (state == State::attention) {
        strokeLine(painter, at(cx, cy + 2.5), at(cx, cy - 0.8));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        // The dot's rectangle: origin (cx - 0.85, cy - 3.5), 1.7 by 1.7, y up.
        painter.drawEllipse(QRectF(at(cx - 0.85, cy - 3.5 + 1.7), QSizeF(1.7, 1.7)));
    } else if (state == State::allowing) {
        strokeLine(painter, at(cx - 2.25, cy - 2.25), at(cx + 2.25, cy + 2.25));
    }
    return image;
}

QString iconName(State state) {
    switch (state) {
        case State::normal:
            return QString::fromUtf8(macApplicationId) + QStringLiteral("-symbolic");
        case State::attention:
            return QString::fromUtf8(macApplicationId) + QStringLiteral("-attention-symbolic");
        case State::allowing:
            return QString::fromUtf8(macApplicationId) + QStringLiteral("-allowing-symbolic");
    }
    return QString::fromUtf8(macApplicationId) + QStringLiteral("-symbolic");
}

QIcon icon(State state, QColor ink) {
    // Drawn at the scale that fills the asked size, then handed over without a ratio.
    auto draw = [state, ink](const QSize& size, QIcon::Mode) {
        const qreal scale = std::min(size.width(), size.height()) / side;
        QPixmap drawn = QPixmap::fromImage(image(state, scale, ink));
        drawn.setDevicePixelRatio(1.0);
        return drawn;
    };
    return ui::drawnIcon(QStringLiteral("pellorim-tray"), iconName(state), std::move(draw),
                         {QSize(18, 18), QSize(22, 22), QSize(36, 36), QSize(44, 44)});
}

}  // namespace quorvel::PellorimMenuBarIcon
