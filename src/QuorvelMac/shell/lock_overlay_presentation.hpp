#pragma once

// The texts and symbols of the lock panel for each status of an unlock request: the status
// block (title, optional message, whether the title is drawn prominently) and the one button.
#include <optional>
#include <string>

#include "QuorvelMac/model/overlay_state.hpp"

namespace quorvel {

struct LockOverlayActionPresentation {
    std::string title;
    std::string symbol;  // the name of the symbol drawn before the caption
    bool isEnabled = false;

    explicit LockOverlayActionPresentation(const LockOverlayState::Status& status);
    LockOverlayActionPresentation(std::string title, std::string symbol, bool isEnabled)
        : title(std::move(title)), symbol(std::move(symbol)), isEnabled(isEnabled) {}
    friend bool operator==(const LockOverlayActionPresentation&,
                           const LockOverlayActionPresentation&) = default;
};

struct LockOverlayStatusPresentation {
    std::string title;
    std::optional<std::string> message;
    bool isTitleProminent = false;

    explicit LockOverlayStatusPresentation(const LockOverlayState::Status& status);
    LockOverlayStatusPresentation(std::string title, std::optional<std::string> message,
                                  bool isTitleProminent)
        : title(std::move(title)),
          message(std::move(message)),
          isTitleProminent(isTitleProminent) {}
    friend bool operator==(const LockOverlayStatusPresentation&,
                           const LockOverlayStatusPresentation&) = default;
};

// True while a request is on its way (requesting, confirming delivery, waiting for the iPhone):
// the icon is drawn desaturated then.
bool isRequestInFlight(const LockOverlayState::Status& status);

}  // namespace quorvel
