#pragma once

#include <QLabel>

namespace quorvel::ui {

// The heading above a group of cards: title-3, semibold, 12 of space above it only.
class CardSectionHeading : public QLabel {
public:
    explicit CardSectionHeading(const QString& text, QWidget* parent = nullptr);
};

}  // namespace quorvel::ui
