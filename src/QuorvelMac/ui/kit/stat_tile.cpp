#include "QuorvelMac/ui/kit/stat_tile.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

StatTile::StatTile(const QString& value, const QString& label, QColor colour, QWidget* parent)
    : Panel(Look::raised, QColor(), 16, 4, parent), value_(new QLabel(this)),
      label_(theme::makeLabel(label, theme::TextStyle::caption, theme::secondary(), this)) {
    value_->setTextFormat(Qt::PlainText);
    value_->setFont(theme::systemFont(28, QFont::Bold));
    value_->setObjectName("value");
    label_->setObjectName("label");
    body()->addWidget(value_);
    body()->addWidget(label_);
    set(value, colour);
}

void StatTile::set(const QString& value, QColor colour) {
    colour_ = colour;
    value_->setText(value);
    theme::setForeground(value_, colour);
}

QString StatTile::value() const { return value_->text(); }
QString StatTile::label() const { return label_->text(); }

}  // namespace quorvel::ui
