#pragma once
// The application's one observable model: the lock targets, the statuses of the bridge, the
// browser link and the setup, the pairing, the unlock requests and the allow windows.
//
// Lives on the main thread. Every property is compared before it is stored and its signal is
// emitted only when the value changed; a change made to one field of a record property always
// signals. Derived values (setupStatus, the browser texts, activeAllowWindows, allowUntil) signal
// when one of their sources changes.
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "QuorvelMac/model/bluetooth_status.hpp"
#include "QuorvelMac/model/collaborators.hpp"
#include "QuorvelMac/model/connection_state.hpp"
#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/model/mac_setup_status.hpp"
#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelMac/model/pairing_state.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/devicekeys/device_key_storing.hpp"
#include "QuorvelShared/policy/settings_relaxation_protection_configuration.hpp"
#include "QuorvelShared/support/application_identity.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/repeated_failure.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel {

class UnlockRequestRun;

// The in-memory allow windows, target id -> end. Readers filter by the time they pass.
class LocalAllowWindowStore {
public:
    // Keeps only the windows that end later than `now`.
    LocalAllowWindowStore(const std::map<std::string, Date>& initialWindows, Date now);
    std::optional<Date> allowUntil(const std::string& targetId, Date at) const;
    std::map<std::string, Date> activeWindows(Date at) const;
    std::map<std::string, Date> allowUntilByTargetId;
};

class MacAppModel final : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        // Absent: the system clock.
        std::shared_ptr<const Clock> clock;
        // The application's user defaults (the setup progress). Absent: the application's own
        // domain (preferenceDomains::application).
        std::shared_ptr<Preferences> userDefaults;
        std::shared_ptr<DeviceKeyStoring> deviceKeyStore;
        std::shared_ptr<BridgeDaemonLauncher> bridgeDaemon;
        std::shared_ptr<DistributedNotificationCenter> notificationCenter;
        std::shared_ptr<AccessibilityProbe> accessibility;
        std::shared_ptr<LoginItem> loginItem;
        std::shared_ptr<UserNotificationCenter> userNotifications;
        // Where the browser manifests go (the first is the one whose presence is reported; none
        // given: NativeMessagingRegistrar::defaultManifestFiles()) and the absolute path of the
        // native-messaging host they name (empty: QuorvelNativeHost beside the running program).
        std::vector<std::filesystem::path> manifestFiles;
        std::string nativeHostPath;
        // Our own desktop-entry id: never a lock target.
        std::string ownBundleIdentifier = std::string(macApplicationId);
        // The name the iPhone shows for this computer.
        std::string hostDisplayName = "Mac";
    };

    // The two extension identifiers the browser manifest allows, in this order.
    static const std::vector<std::string>& allowedExtensionIds();
    // The identifier of a target's re-lock warning notification.
    static std::string warningIdentifier(const std::string& targetId);

    // Normal mode starts the daemon, installs the observers, loads and saves the targets, writes
    // the browser manifests, refreshes every status and re-arms open allow windows.
    // Demonstration mode fills example data and starts nothing.
    explicit MacAppModel(Dependencies dependencies, bool marketingFixture = false,
                         QObject* parent = nullptr);
    ~MacAppModel() override;

    // --- properties ---
    bool isMarketingFixture() const { return isMarketingFixture_; }
    const ConnectionState& connection() const { return connection_; }
    const PairingState& pairing() const { return pairing_; }
    const std::vector<ChromeProfile>& chromeProfiles() const { return chromeProfiles_; }
    const std::vector<MacLockTarget>& targets() const { return targets_; }
    const std::vector<RecentUnlock>& recentUnlocks() const { return recentUnlocks_; }
    const std::optional<LockOverlayState>& overlay() const { return overlay_; }
    bool accessibilityPermissionGranted() const { return accessibilityPermissionGranted_; }
    const std::optional<std::string>& applicationSelectionMessage() const {
        return applicationSelectionMessage_;
    }
    long long authorizationRevision() const { return authorizationRevision_; }
    const std::optional<MacLinkConfiguration>& macLinkConfiguration() const {
        return macLinkConfiguration_;
    }
    const std::optional<std::string>& targetStoreError() const { return targetStoreError_; }
    const std::optional<std::string>& nativeHostInstallError() const {
        return nativeHostInstallError_;
    }
    bool loginItemEnabled() const { return loginItemEnabled_; }
    const std::optional<std::string>& loginItemError() const { return loginItemError_; }
    // "not registered", "enabled", "requires approval", "not found" or "unknown".
    const std::string& loginItemStatusText() const { return loginItemStatusText_; }
    bool webTargetsManagedByIOS() const { return webTargetsManagedByIOS_; }
    const std::optional<long long>& targetSyncVersion() const { return targetSyncVersion_; }
    const std::optional<std::string>& targetSyncError() const { return targetSyncError_; }
    const SettingsRelaxationProtectionConfiguration& settingsRelaxationConfiguration() const {
        return settingsRelaxationConfiguration_;
    }
    const BluetoothStatus& bluetoothStatus() const { return bluetoothStatus_; }
    bool appSelectionStepFinished() const { return appSelectionStepFinished_; }
    const std::map<std::string, Date>& marketingAllowWindows() const {
        return marketingAllowWindows_;
    }

    // Derived.
    MacSetupStatus setupStatus() const;
    std::string chromeConnectionSummary() const;
    std::string chromeConnectionDetail() const;
    std::optional<Date> allowUntil(const std::string& targetId) const;
    std::map<std::string, Date> activeAllowWindows() const;

    // Setters for the shell and the views: the lock decision sets the overlay, the target list
    // edits targets in place (and then calls saveTargets()), the views write the sync error.
    void setOverlay(const std::optional<LockOverlayState>& overlay);
    void setTargets(const std::vector<MacLockTarget>& targets);
    void setTargetSyncError(const std::optional<std::string>& error);
    void setApplicationSelectionMessage(const std::optional<std::string>& value);

    // --- status refreshers and setup ---
    void refreshBluetoothStatus();
    void refreshChromeProfiles();
    void refreshLoginItemStatus();
    void setLoginItemEnabled(bool enabled);
    bool refreshAccessibilityPermission(bool prompt);
    void refreshNativeHostStatus();
    void openAccessibilitySettings();

    // --- targets ---
    // The operations below take their arguments by value: they emit change signals on the way,
    // and a caller's argument may live in something a receiver of those signals replaces (a
    // view's copy of a target, the model's own list, a callback that is swapped).
    void saveTargets();
    void addMacApplicationTargets(std::vector<MacApplicationDescriptor> descriptors);
    void finishAppSelectionStep();
    void removeMacAppTarget(std::string id);
    void setMacAppTargetEnabled(std::string id, bool enabled);

    // --- pairing ---
    void startPairing();
    void refreshPairingStatus();
    // "quorvel://pair?session=…&code=…", or "quorvel://pair" when no URL can be formed.
    static std::string localPairingQRCodeURL(const std::string& sessionId, const std::string& code);

    // --- unlock and allow windows ---
    // Shows the target as requesting, adds a history row and starts the request on a later turn.
    // The lock panel's own callback is replaced while this runs (the overlay's change shows the
    // panel again), so the target is this call's own copy.
    void requestUnlock(MacLockTarget target);
    void applyApproval(std::string targetId, Date allowUntil,
                       std::optional<std::string> linkedTargetId);

Q_SIGNALS:
    void connectionChanged();
    void pairingChanged();
    void chromeProfilesChanged();
    void targetsChanged();
    void recentUnlocksChanged();
    void overlayChanged();
    void accessibilityPermissionGrantedChanged();
    void applicationSelectionMessageChanged();
    void authorizationRevisionChanged();
    void macLinkConfigurationChanged();
    void targetStoreErrorChanged();
    void nativeHostInstallErrorChanged();
    void loginItemEnabledChanged();
    void loginItemErrorChanged();
    void loginItemStatusTextChanged();
    void webTargetsManagedByIOSChanged();
    void targetSyncVersionChanged();
    void targetSyncErrorChanged();
    void settingsRelaxationConfigurationChanged();
    void bluetoothStatusChanged();
    void appSelectionStepFinishedChanged();
    void marketingAllowWindowsChanged();
    // Derived values.
    void setupStatusChanged();
    void chromeConnectionChanged();
    void allowWindowsChanged();

private:
    friend class UnlockRequestRun;

    void startNormal();
    void startDemonstration();
    void installObservers();
    void loadTargetsAtStart();
    void installManifest();
    void loadMacLinkConfiguration();
    void reloadSyncedTargets();
    void applySyncedTargets(const SyncedTargetList& list);
    std::vector<std::string> linkedWebTargetIds(const std::string& targetId) const;
    void startLocalBluetoothPairing();
    void rememberAppSelectionStepFinished();

    void grantAuthorization(const std::vector<std::string>& targetIds, Date until);
    // The allow windows' file, shared with the browser's host. The model's own windows stand
    // whatever the file does: a failed write is reported.
    void storeAllowWindow(const std::string& targetId, Date until);
    void removeStoredAllowWindow(const std::string& targetId);
    void scheduleAuthorizationExpiry(const std::string& targetId, Date allowUntil);
    void authorizationDidExpire(std::string targetId);
    void cancelExpiry(const std::string& targetId);
    bool windowStillEndsAt(const std::string& targetId, Date allowUntil) const;
    void scheduleWarning(const MacLockTarget& target, Date allowUntil,
                         long long warningBeforeEndSeconds);
    void withdrawWarning(const std::string& targetId);
    void raiseAuthorizationRevision();

    void updateOverlay(const MacLockTarget& target, const LockOverlayState::Status& status);
    void acknowledgeRemoteOpenBatches(const std::string& requestId);
    void forgetRequest(const std::string& requestId);

    void setConnection(const ConnectionState& value);
    void setPairing(const PairingState& value);
    void setChromeProfiles(const std::vector<ChromeProfile>& value);
    void setRecentUnlocks(const std::vector<RecentUnlock>& value);
    void setAccessibilityPermissionGranted(bool value);
    void setMacLinkConfiguration(const std::optional<MacLinkConfiguration>& value);
    void setTargetStoreError(const std::optional<std::string>& value);
    void setNativeHostInstallError(const std::optional<std::string>& value);
    void setLoginItemEnabledValue(bool value);
    void setLoginItemError(const std::optional<std::string>& value);
    void setLoginItemStatusText(const std::string& value);
    void setWebTargetsManagedByIOS(bool value);
    void setTargetSyncVersion(const std::optional<long long>& value);
    void setSettingsRelaxationConfiguration(const SettingsRelaxationProtectionConfiguration& value);
    void setBluetoothStatus(const BluetoothStatus& value);
    void setAppSelectionStepFinished(bool value);
    void insertRecentUnlock(const std::string& targetName, const std::string& status);
    Date now() const;

    Dependencies deps_;
    const bool isMarketingFixture_;
    ConnectionState connection_;
    PairingState pairing_;
    std::vector<ChromeProfile> chromeProfiles_;
    std::vector<MacLockTarget> targets_;
    std::vector<RecentUnlock> recentUnlocks_;
    std::optional<LockOverlayState> overlay_;
    bool accessibilityPermissionGranted_ = false;
    std::optional<std::string> applicationSelectionMessage_;
    long long authorizationRevision_ = 0;
    std::optional<MacLinkConfiguration> macLinkConfiguration_;
    std::optional<std::string> targetStoreError_;
    std::optional<std::string> nativeHostInstallError_;
    bool loginItemEnabled_ = false;
    std::optional<std::string> loginItemError_;
    std::string loginItemStatusText_ = "unknown";
    bool webTargetsManagedByIOS_ = false;
    std::optional<long long> targetSyncVersion_;
    std::optional<std::string> targetSyncError_;
    SettingsRelaxationProtectionConfiguration settingsRelaxationConfiguration_;
    BluetoothStatus bluetoothStatus_;
    // The status files are read every few seconds: each failure is reported once per change.
    RepeatedFailure bluetoothStatusFailure_;
    RepeatedFailure chromeProfilesFailure_;
    bool appSelectionStepFinished_ = false;
    LocalAllowWindowStore authorizationStore_;
    MacSetupProgressStore setupProgressStore_;
    std::shared_ptr<void> pairingConfigurationObserver_;
    std::shared_ptr<void> bluetoothStatusObserver_;
    std::shared_ptr<void> targetSyncObserver_;
    std::map<std::string, std::string> pendingUnlockTargetsByRequestId_;
    std::map<std::string, std::set<std::string>> pendingRemoteOpenBatchIdsByRequestId_;
    // The allow windows' ends, one deadline per target, all on one boot-clock timer.
    BootClockDeadlines* expiryDeadlines_ = new BootClockDeadlines(this);
    std::map<std::string, BootClockDeadlines::Id> authorizationExpiryTasks_;
    std::map<std::string, Date> marketingAllowWindows_;
};

}  // namespace quorvel
