#include "QuorvelMac/ui/kit/card.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

Card::Card(std::optional<QString> caption, QWidget* parent)
    : Panel(Look::raised, theme::Ink::separator, 18, 12, parent), content_(new QVBoxLayout) {
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(0);
    body()->addLayout(content_);
    if (caption) {
        caption_ =
            theme::makeLabel(*caption, theme::TextStyle::caption, theme::Ink::tertiary, this);
        caption_->setObjectName("caption");
        body()->addWidget(caption_);
    }
}

TintedCard::TintedCard(theme::Ink tint, QWidget* parent)
    : Panel(Look::tinted, tint, 18, 12, parent) {}

}  // namespace quorvel::ui
