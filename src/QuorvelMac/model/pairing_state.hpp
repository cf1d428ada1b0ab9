#pragma once
// The pairing as the views show it, and its display form.
#include <optional>
#include <string>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct PairingState {
    // Where the pairing offer stands; `connected` marks the demonstration's paired iPhone.
    enum class Status { pending, approved, expired, connected };

    // The configured iPhone's device id while a usable link configuration exists; its presence
    // means "paired" everywhere.
    std::optional<std::string> pairedIPhoneName;
    std::optional<std::string> sessionId;
    std::optional<std::string> code;
    std::optional<std::string> qrURL;
    std::optional<Date> expiresAt;
    // Pending while an offer waits.
    std::optional<Status> status;
    std::optional<std::string> error;

    // Sets only `pairedIPhoneName`: the iPhone's device id for a usable configuration, else none.
    void restorePairedDevice(const std::optional<MacLinkConfiguration>& configuration);

    friend bool operator==(const PairingState&, const PairingState&) = default;
};

struct PairingStatusPresentation {
    enum class Tone { connected, pending, expired, idle };

    std::string connectionTitle;
    std::optional<std::string> sessionTitle;
    Tone tone = Tone::idle;
    bool isSessionUsable = false;
    bool isSessionExpired = false;

    explicit PairingStatusPresentation(const PairingState& pairing);

    friend bool operator==(const PairingStatusPresentation&,
                           const PairingStatusPresentation&) = default;
};

}  // namespace quorvel
