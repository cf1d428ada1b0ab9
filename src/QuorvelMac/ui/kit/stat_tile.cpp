#include "QuorvelMac/ui/kit/stat_tile.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

StatTile::StatTile(const QString& value, const QString& label, theme::Ink ink, QWidget* parent)
    : Panel(Look::raised, theme::Ink::separator, 16, 4, parent),
      value_(new QLabel(this)),
      label_(theme::makeLabel(label, theme::TextStyle::caption, theme::Ink::secondary, this)) {
    value_->setTextFormat(Qt::PlainText);
    value_->setFont(theme::systemFont(28, QFont::Bold));
    value_->setObjectName("value");
    label_->setObjectName("label");
    body()->addWidget(value_);
    body()->addWidget(label_);
    set(value, ink);
}

void StatTile::set(const QString& value, theme::Ink ink) {
    ink_ = ink;
    value_->setText(value);
    theme::setForeground(value_, ink);
}

QString StatTile::value() const {
    return value_->text();
}
QString StatTile::label() const {
    return label_->text();
}

}  // namespace quorvel::ui
