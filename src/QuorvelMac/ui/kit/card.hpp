#pragma once

// The panels that hold a pane's content: `Card` (raised, with an optional caption below the
// content) and `TintedCard` (tinted, content only). Both pad 18 and space their content 12.
#include <optional>

#include <QString>

#include "QuorvelMac/ui/kit/panel.hpp"

class QLabel;

namespace quorvel::ui {

class Card : public Panel {
    Q_OBJECT

public:
    explicit Card(std::optional<QString> caption = std::nullopt, QWidget* parent = nullptr);

    // Where the caller puts the card's content; the caption, if any, stays below it.
    QVBoxLayout* content() const { return content_; }
    // Null without a caption.
    QLabel* captionLabel() const { return caption_; }

private:
    QVBoxLayout* content_;
    QLabel* caption_ = nullptr;
};

class TintedCard : public Panel {
public:
    explicit TintedCard(theme::Ink tint, QWidget* parent = nullptr);
    QVBoxLayout* content() const { return body(); }
};

}  // namespace quorvel::ui
