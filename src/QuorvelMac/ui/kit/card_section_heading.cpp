#include "QuorvelMac/ui/kit/card_section_heading.hpp"

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

CardSectionHeading::CardSectionHeading(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setFont(theme::font(theme::TextStyle::title3, QFont::DemiBold));
    setContentsMargins(0, 12, 0, 0);
}

}  // namespace quorvel::ui
