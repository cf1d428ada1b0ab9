#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"

#include "QuorvelShared/policy/random_alphanumeric_challenge.hpp"

namespace quorvel {

PendingMacSettingsRelaxationChallenge PendingMacSettingsRelaxationChallenge::make(
    std::string title, std::string changeDescription, std::int64_t codeLength,
    std::function<void()> apply) {
    return {Uuid::random(), std::move(title), std::move(changeDescription),
            RandomAlphanumericChallenge::generate(codeLength), std::move(apply)};
}

MacSettingsRelaxationProtectionController::MacSettingsRelaxationProtectionController(
    QObject* parent)
    : QObject(parent) {}

void MacSettingsRelaxationProtectionController::updateConfiguration(
    const SettingsRelaxationProtectionConfiguration& configuration) {
    setConfiguration(configuration);
    setEffectiveEnabled(configuration.isEnabled);
    if (!isEffectiveEnabled_) {
        setEditingSessionActive(false);
        setPendingChallenge(std::nullopt);
    }
}

bool MacSettingsRelaxationProtectionController::confirm(const std::string& code) {
    if (!pendingChallenge_ || pendingChallenge_->code != code)
        return false;
    // The session opens before the edit runs, so an edit that itself checks again passes.
    const auto apply = pendingChallenge_->apply;
    setPendingChallenge(std::nullopt);
    setEditingSessionActive(true);
    if (apply)
        apply();
    return true;
}

void MacSettingsRelaxationProtectionController::setConfiguration(
    const SettingsRelaxationProtectionConfiguration& value) {
    if (configuration_ == value)
        return;
    configuration_ = value;
    Q_EMIT configurationChanged();
}

void MacSettingsRelaxationProtectionController::setEffectiveEnabled(bool value) {
    if (isEffectiveEnabled_ == value)
        return;
    isEffectiveEnabled_ = value;
    Q_EMIT isEffectiveEnabledChanged();
}

void MacSettingsRelaxationProtectionController::setEditingSessionActive(bool value) {
    if (isEditingSessionActive_ == value)
        return;
    isEditingSessionActive_ = value;
    Q_EMIT isEditingSessionActiveChanged();
}

void MacSettingsRelaxationProtectionController::setPendingChallenge(
    std::optional<PendingMacSettingsRelaxationChallenge> value) {
    const auto id = [](const auto& challenge) {
        return challenge ? std::optional(challenge->id) : std::nullopt;
    };
    if (id(pendingChallenge_) == id(value))
        return;
    pendingChallenge_ = std::move(value);
    Q_EMIT pendingChallengeChanged();
}

}  // namespace quorvel
