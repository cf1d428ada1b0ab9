#pragma once

#include <optional>
#include <string>

namespace quorvel::ui {

// The four colours of a status: green, orange, red, the grey of secondary text.
enum class Tone { positive, warning, critical, neutral };

// What a status pill shows, worked out by the panes' pure rules and drawn by `StatusPill`.
struct PillContent {
    std::string text;
    Tone tone = Tone::neutral;
    std::optional<std::string> systemImage;

    friend bool operator==(const PillContent&, const PillContent&) = default;
};

}  // namespace quorvel::ui
