#include "QuorvelMac/ui/kit/status_pill.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

QColor StatusPill::colour(Tone tone) {
    return theme::colour(theme::inkOf(tone));
}

StatusPill::StatusPill(const QString& text, Tone tone, std::optional<QString> systemImage,
                       QWidget* parent)
    : QWidget(parent), tone_(tone), icon_(new QLabel(this)), label_(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(9, 4, 9, 4);
    row->setSpacing(5);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addWidget(label_, 0, Qt::AlignVCenter);
    label_->setTextFormat(Qt::PlainText);
    label_->setFont(theme::font(theme::TextStyle::caption, QFont::Medium));
    label_->setObjectName("pillText");
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    set(text, tone, std::move(systemImage));
}

void StatusPill::set(const QString& text, Tone tone, std::optional<QString> systemImage) {
    text_ = text;
    tone_ = tone;
    systemImage_ = std::move(systemImage);
    label_->setText(text);
    theme::setForeground(label_, theme::inkOf(tone));
    if (systemImage_) {
        const int side = label_->fontMetrics().height() * 4 / 5;
        theme::setSymbol(icon_, *systemImage_, side, theme::inkOf(tone));
        icon_->show();
    } else {
        theme::setPicture(icon_, [] { return QPixmap(); });
        icon_->hide();
    }
    setAccessibleName(text);
    update();
}

namespace {
std::optional<QString> symbolOf(const PillContent& content) {
    if (!content.systemImage) {
        return std::nullopt;
    }
    return QString::fromStdString(*content.systemImage);
}
}  // namespace

StatusPill::StatusPill(const PillContent& content, QWidget* parent)
    : StatusPill(QString::fromStdString(content.text), content.tone, symbolOf(content), parent) {}

void StatusPill::set(const PillContent& content) {
    set(QString::fromStdString(content.text), content.tone, symbolOf(content));
}

void StatusPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = colour(tone_);
    fill.setAlphaF(theme::pillFillOpacity);
    QPainterPath capsule;
    const QRectF shape(rect());
    capsule.addRoundedRect(shape, shape.height() / 2, shape.height() / 2);
    painter.fillPath(capsule, fill);
}

}  // namespace quorvel::ui
