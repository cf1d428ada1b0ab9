#include "QuorvelMac/shell/pellorim_menu_bar_icon.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <utility>

#include "QuorvelMac/ui/kit/drawn_icon.hpp"
#include "QuorvelMac/ui/kit/palette_colours.hpp"
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

// How far the halo reaches past the glyph's edges, in points: over a pixel at the tray's sizes,
// so that the glyph's outline reads on a tray of any shade.
constexpr qreal haloWidth = 1.25;

// The glyph in one colour; `grow` widens every stroke and the dot by that much on each side.
void drawGlyph(QPainter& painter, State state, const QColor& colour, qreal grow) {
    const qreal cx = side / 2, cy = side / 2;
    const auto arc = [&](qreal fromDegrees, qreal toDegrees) {
        const qreal r = 6.25;
        QPainterPath path;
        const QRectF box(cx - r, side - cy - r, 2 * r, 2 * r);
        // Qt's angles run counter-clockwise on screen too, from the positive x axis.
        path.arcMoveTo(box, fromDegrees);
        path.arcTo(box, fromDegrees, toDegrees - fromDegrees);
        painter.setPen(QPen(colour, 2.25 + 2 * grow, Qt::SolidLine, Qt::FlatCap));
        painter.drawPath(path);
    };
    const auto line = [&](QPointF from, QPointF to) {
        painter.setPen(QPen(colour, 1.7 + 2 * grow, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, to);
    };
    painter.setBrush(Qt::NoBrush);
    arc(8, 172);
    arc(188, 352);
    if (state == State::attention) {
        line(at(cx, cy + 2.5), at(cx, cy - 0.8));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        // The dot's rectangle: origin (cx - 0.85, cy - 3.5), 1.7 by 1.7, y up.
        const QRectF dot(at(cx - 0.85, cy - 3.5 + 1.7), QSizeF(1.7, 1.7));
        painter.drawEllipse(dot.adjusted(-grow, -grow, grow, grow));
    } else if (state == State::allowing) {
        line(at(cx - 2.25, cy - 2.25), at(cx + 2.25, cy + 2.25));
    }
}

}  // namespace

QImage image(State state, qreal devicePixelRatio, QColor ink, QColor halo) {
    const int pixels = qRound(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (halo.alpha() > 0)
        drawGlyph(painter, state, halo, haloWidth);
    drawGlyph(painter, state, ink, 0);
    return image;
}

QColor haloFor(const QColor& ink, const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    return ui::theme::contrast(ink, window) >= ui::theme::contrast(ink, text) ? window : text;
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

QIcon icon(State state, QColor ink, QColor halo) {
    // Drawn at the scale that fills the asked size, then handed over without a ratio.
    auto draw = [state, ink, halo](const QSize& size, QIcon::Mode) {
        const qreal scale = std::min(size.width(), size.height()) / side;
        QPixmap drawn = QPixmap::fromImage(image(state, scale, ink, halo));
        drawn.setDevicePixelRatio(1.0);
        return drawn;
    };
    return ui::drawnIcon(QStringLiteral("pellorim-tray"), iconName(state), std::move(draw),
                         {QSize(18, 18), QSize(22, 22), QSize(36, 36), QSize(44, 44)});
}

}  // namespace quorvel::PellorimMenuBarIcon
