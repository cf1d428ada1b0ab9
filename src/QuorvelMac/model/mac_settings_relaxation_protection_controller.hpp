#pragma once

// Holds back edits that weaken locking (removing a locked application, switching its lock off)
// while the user has the protection on: the edit waits as a challenge until its random code is
// typed, and a correct code opens an editing session in which further such edits run at once.
// One instance for the whole application: the shell owns it and feeds it the configuration, the
// views raise challenges and end sessions, so it lives beside the model, below both.
#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "QuorvelShared/policy/settings_relaxation_protection_configuration.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel {

struct PendingMacSettingsRelaxationChallenge {
    Uuid id;
    std::string title;              // the views use "ロック対象"
    std::string changeDescription;  // e.g. the target's name + "を外す"
    std::string code;
    std::function<void()> apply;  // the held-back edit

    // A fresh id and a code of the configured length.
    static PendingMacSettingsRelaxationChallenge make(std::string title,
                                                      std::string changeDescription,
                                                      std::int64_t codeLength,
                                                      std::function<void()> apply);
};

class MacSettingsRelaxationProtectionController final : public QObject {
    Q_OBJECT
public:
    explicit MacSettingsRelaxationProtectionController(QObject* parent = nullptr);

    const SettingsRelaxationProtectionConfiguration& configuration() const {
        return configuration_;
    }
    bool isEffectiveEnabled() const { return isEffectiveEnabled_; }
    bool isEditingSessionActive() const { return isEditingSessionActive_; }
    const std::optional<PendingMacSettingsRelaxationChallenge>& pendingChallenge() const {
        return pendingChallenge_;
    }

    // Stores the configuration and puts the protection in force exactly when it is enabled;
    // turning it off ends the session and drops the pending challenge unapplied.
    void updateConfiguration(const SettingsRelaxationProtectionConfiguration& configuration);
    // True, after dropping the challenge, opening the session and applying the held-back edit,
    // when `code` is exactly the pending challenge's code; false and nothing changes otherwise.
    bool confirm(const std::string& code);

    void setConfiguration(const SettingsRelaxationProtectionConfiguration& value);
    void setEffectiveEnabled(bool value);
    void setEditingSessionActive(bool value);
    // A new challenge replaces the old one, whose edit is then never applied. Challenges are told
    // apart by id, so raising a new one always notifies.
    void setPendingChallenge(std::optional<PendingMacSettingsRelaxationChallenge> value);

    // Whether a weakening edit must first be confirmed now.
    bool needsChallenge() const { return isEffectiveEnabled_ && !isEditingSessionActive_; }

Q_SIGNALS:
    void configurationChanged();
    void isEffectiveEnabledChanged();
    void isEditingSessionActiveChanged();
    void pendingChallengeChanged();

private:
    SettingsRelaxationProtectionConfiguration configuration_{false, 16};
    bool isEffectiveEnabled_ = false;
    bool isEditingSessionActive_ = false;
    std::optional<PendingMacSettingsRelaxationChallenge> pendingChallenge_;
};

}  // namespace quorvel
