#include "QuorvelMac/ui/kit/panel.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

namespace {
constexpr double radius = 12.0;
}

Panel::Panel(Look look, theme::Ink tint, int padding, int spacing, QWidget* parent)
    : QWidget(parent), look_(look), tint_(tint), body_(new QVBoxLayout(this)) {
    // Room for the one-point shadow below the raised panel.
    const int shadow = look == Look::raised ? 2 : 0;
    body_->setContentsMargins(padding, padding, padding, padding + shadow);
    body_->setSpacing(spacing);
    body_->setAlignment(Qt::AlignTop);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int shadow = look_ == Look::raised ? 2 : 0;
    const QRectF shape = QRectF(rect()).adjusted(0, 0, 0, -shadow);
    QPainterPath path;
    path.addRoundedRect(shape, radius, radius);
    if (look_ == Look::raised) {
        QPainterPath shadowPath;
        shadowPath.addRoundedRect(shape.translated(0, 1).adjusted(-0.5, 0, 0.5, 1), radius, radius);
        QColor shade = palette().color(QPalette::Shadow);
        shade.setAlphaF(0.05);
        painter.fillPath(shadowPath, shade);
        painter.fillPath(path, theme::controlBackground());
        QColor border = theme::separator();
        border.setAlphaF(0.4 * border.alphaF() + 0.1);
        painter.setPen(QPen(border, 1));
    } else {
        QColor fill = theme::colour(tint_);
        fill.setAlphaF(0.09);
        painter.fillPath(path, fill);
        QColor border = theme::colour(tint_);
        border.setAlphaF(0.35);
        painter.setPen(QPen(border, 1));
    }
    // Stroked inside the edge, so the line does not grow the shape.
    QPainterPath inner;
    inner.addRoundedRect(shape.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.drawPath(inner);
}

}  // namespace quorvel::ui
