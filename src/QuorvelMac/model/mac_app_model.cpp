#include "QuorvelMac/model/mac_app_model.hpp"

#include <QTimer>

#include "QuorvelMac/model/native_messaging_registrar.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel {

LocalAllowWindowStore::LocalAllowWindowStore(const std::map<std::string, Date>& initialWindows,
                                             Date now) {
    for (const auto& [id, until] : initialWindows)
        if (until > now)
            allowUntilByTargetId[id] = until;
}

std::optional<Date> LocalAllowWindowStore::allowUntil(const std::string& targetId, Date at) const {
    auto found = allowUntilByTargetId.find(targetId);
    if (found == allowUntilByTargetId.end() || !(found->second > at))
        return std::nullopt;
    return found->second;
}

std::map<std::string, Date> LocalAllowWindowStore::activeWindows(Date at) const {
    std::map<std::string, Date> result;
    for (const auto& [id, until] : allowUntilByTargetId)
        if (until > at)
            result[id] = until;
    return result;
}

const std::vector<std::string>& MacAppModel::allowedExtensionIds() {
    static const std::vector<std::string> ids = {"hfopaiemkcjnbdlgpahfkeimonjcdbla",
                                                 "opnkmjdbcgaehflipkdjacmbnoefhgal"};
    return ids;
}

namespace {

std::shared_ptr<const Clock> clockOrSystem(std::shared_ptr<const Clock> clock) {
    if (clock)
        return clock;
    return std::shared_ptr<const Clock>(&systemClock(), [](const Clock*) {});
}

// The program passes every collaborator; these fill what a caller may leave out.
MacAppModel::Dependencies withDefaults(MacAppModel::Dependencies deps) {
    deps.clock = clockOrSystem(std::move(deps.clock));
    if (!deps.userDefaults)
        deps.userDefaults =
            std::make_shared<JsonFilePreferences>(std::string(preferenceDomains::application));
    if (deps.manifestFiles.empty())
        deps.manifestFiles = NativeMessagingRegistrar::defaultManifestFiles();
    return deps;
}

}  // namespace

MacAppModel::MacAppModel(Dependencies dependencies, bool marketingFixture, QObject* parent)
    : QObject(parent),
      deps_(withDefaults(std::move(dependencies))),
      isMarketingFixture_(marketingFixture),
      authorizationStore_(AllowWindowStateStore::load(deps_.clock->now()), deps_.clock->now()),
      setupProgressStore_{deps_.userDefaults} {
    if (!deps_.manifestFiles.empty())
        connection_.nativeHostManifestPath = deps_.manifestFiles.front().string();
    if (isMarketingFixture_)
        startDemonstration();
    else
        startNormal();
}

MacAppModel::~MacAppModel() = default;

Date MacAppModel::now() const {
    return deps_.clock->now();
}

void MacAppModel::startNormal() {
    try {
        if (deps_.bridgeDaemon)
            deps_.bridgeDaemon->start();
    } catch (const std::exception& error) {
        setApplicationSelectionMessage(std::string("Bluetooth連携を開始できませんでした: ") +
                                       error.what());
    }
    installObservers();
    loadTargetsAtStart();
    bool finished = setupProgressStore_.appSelectionStepFinished();
    if (!finished)
        for (const auto& target : targets_)
            if (target.kind == MacLockTarget::Kind::macApp)
                finished = true;
    setAppSelectionStepFinished(finished);
    if (finished)
        rememberAppSelectionStepFinished();
    saveTargets();
    reloadSyncedTargets();
    installManifest();
    refreshChromeProfiles();
    loadMacLinkConfiguration();
    refreshLoginItemStatus();
    refreshAccessibilityPermission(false);
    refreshBluetoothStatus();
    for (const auto& [id, until] : authorizationStore_.activeWindows(now()))
        scheduleAuthorizationExpiry(id, until);
}

void MacAppModel::installObservers() {
    if (!deps_.notificationCenter)
        return;
    QPointer<MacAppModel> self(this);
    // Each handler only starts work on a later turn; a model gone by then does nothing.
    auto later = [self](void (MacAppModel::*operation)()) {
        return [self, operation] {
            QTimer::singleShot(0, self.data(), [self, operation] {
                if (self)
                    (self.data()->*operation)();
            });
        };
    };
    auto observe = [&](std::string_view name,
                       std::function<void()> handler) -> std::shared_ptr<void> {
        try {
            return deps_.notificationCenter->addObserver(std::string(name), std::move(handler));
        } catch (const std::exception& error) {
            // The model then learns of that change only from its own refreshes.
            reportFailure(lcModel, {"observing " + std::string(name), {}}, error.what());
            return nullptr;
        }
    };
    pairingConfigurationObserver_ =
        observe(BLELocalPairingSessionStore::configurationChangedNotification,
                later(&MacAppModel::loadMacLinkConfiguration));
    bluetoothStatusObserver_ = observe(BLELocalConnectionStore::connectionChangedNotification,
                                       later(&MacAppModel::refreshBluetoothStatus));
    targetSyncObserver_ = observe(SyncedTargetStateStore::changedNotification,
                                  later(&MacAppModel::reloadSyncedTargets));
}

void MacAppModel::reloadSyncedTargets() {
    // A list that cannot be read leaves the targets as they are until it reads again.
    const std::optional<SyncedTargetList> list =
        loadReportingFailure(lcModel, "reading the synced targets",
                             SyncedTargetStateStore::filePath, SyncedTargetStateStore::load);
    if (list)
        applySyncedTargets(*list);
}

void MacAppModel::loadTargetsAtStart() {
    std::vector<MacLockTarget> loaded;
    OperationStep step{"reading the lock targets", {}};
    try {
        step.file = MacTargetStore::filePath();
        loaded = MacTargetStore::load();
    } catch (const std::exception& error) {
        // The defaults are about to be written over the file: keep the user's list beside it.
        std::string outcome = error.what();
        try {
            outcome +=
                "; kept aside as " +
                MacTargetStore::moveAside(MacTargetStore::filePath(), now().unixSeconds()).string();
        } catch (const std::exception& failure) {
            outcome += std::string("; keeping it aside failed: ") + failure.what();
        }
        reportFailure(lcModel, step, outcome);
    }
    setTargets(loaded.empty() ? defaultTargets() : loaded);
}

void MacAppModel::installManifest() {
    try {
        NativeMessagingRegistrar::installManifest(allowedExtensionIds(), deps_.nativeHostPath,
                                                  deps_.manifestFiles);
    } catch (const std::exception& error) {
        setNativeHostInstallError(std::string(error.what()));
        refreshNativeHostStatus();
        return;
    }
    refreshNativeHostStatus();
    setNativeHostInstallError(std::nullopt);
}

void MacAppModel::loadMacLinkConfiguration() {
    // A configuration that cannot be read leaves the pairing shown as it is until it reads again.
    std::optional<MacLinkConfiguration> configuration;
    const bool read = runReportingFailure(lcModel, {"reading the link configuration", {}},
                                          [&](OperationStep& step) {
                                              step.file = MacLinkConfigurationStore::filePath();
                                              configuration = MacLinkConfigurationStore::load();
                                          });
    if (!read)
        return;
    setMacLinkConfiguration(configuration);
    PairingState next = pairing_;
    next.restorePairedDevice(configuration);
    if (configuration && configuration->isUsableForUnlockRequests()) {
        next.sessionId.reset();
        next.code.reset();
        next.qrURL.reset();
        next.expiresAt.reset();
        next.status.reset();
    }
    setPairing(next);
    ConnectionState connection = connection_;
    connection.webSocket = ServiceConnectionStatus::disconnected;
    // An in-place change of a field: observers hear of it even when nothing differs.
    connection_ = connection;
    Q_EMIT connectionChanged();
    Q_EMIT chromeConnectionChanged();
    reloadSyncedTargets();
}

void MacAppModel::startDemonstration() {
    const Date start = now();
    auto demoApp = [](std::string id, std::string name, std::string bundle, std::string path) {
        MacLockTarget target;
        target.id = std::move(id);
        target.kind = MacLockTarget::Kind::macApp;
        target.displayName = std::move(name);
        target.identifier = std::move(bundle);
        target.applicationURLPath = std::move(path);
        return target;
    };
    setTargets({demoApp("marketing-mail", "メール", "org.gnome.Evolution",
                        "/usr/share/applications/org.gnome.Evolution.desktop"),
                demoApp("marketing-video", "動画", "org.gnome.Totem",
                        "/usr/share/applications/org.gnome.Totem.desktop"),
                demoApp("marketing-chat", "チャット", "org.gnome.Polari",
                        "/usr/share/applications/org.gnome.Polari.desktop")});
    setRecentUnlocks(
        {RecentUnlock{Uuid::random(), "動画", "20分解除", start.addingSeconds(-1080)},
         RecentUnlock{Uuid::random(), "チャット", "5分解除", start.addingSeconds(-3720)}});
    marketingAllowWindows_ = {{"marketing-video", start.addingSeconds(755)}};
    Q_EMIT marketingAllowWindowsChanged();
    Q_EMIT allowWindowsChanged();
    setAccessibilityPermissionGranted(true);
    setAppSelectionStepFinished(true);
    PairingState pairing = pairing_;
    pairing.pairedIPhoneName = "iPhone";
    pairing.status = PairingState::Status::connected;
    setPairing(pairing);
    setBluetoothStatus({BluetoothLinkState::connected, "接続済み"});
    setChromeProfiles({ChromeProfile{"marketing", "Chrome", true, start}});
    connection_.nativeHostInstalled = true;
    Q_EMIT connectionChanged();
    Q_EMIT chromeConnectionChanged();
}

// --- derived values ---

MacSetupStatus MacAppModel::setupStatus() const {
    MacSetupStatus status;
    status.accessibilityPermissionGranted = accessibilityPermissionGranted_;
    status.iPhonePaired = pairing_.pairedIPhoneName.has_value();
    status.appSelectionStepFinished = appSelectionStepFinished_;
    for (const auto& profile : chromeProfiles_)
        status.chromeConnected = status.chromeConnected || profile.connected;
    return status;
}

std::string MacAppModel::chromeConnectionSummary() const {
    return setupStatus().chromeConnected ? "Chrome拡張とMacアプリは接続済み"
                                         : "Chrome拡張とMacアプリは未接続";
}

std::string MacAppModel::chromeConnectionDetail() const {
    if (setupStatus().chromeConnected)
        return "Chromeから解除申請を受け取れる状態です。";
    if (connection_.nativeHostInstalled)
        return "Chromeを開き、Pellorim拡張を一度開いてください。";
    return "Chrome連携の準備が完了していません。Macアプリを再起動してください。";
}

// --- setters: store and signal only on a change ---

namespace {
template <class T>
bool store(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}
}  // namespace

void MacAppModel::setConnection(const ConnectionState& value) {
    if (!store(connection_, value))
        return;
    Q_EMIT connectionChanged();
    Q_EMIT chromeConnectionChanged();
}
void MacAppModel::setPairing(const PairingState& value) {
    if (!store(pairing_, value))
        return;
    Q_EMIT pairingChanged();
    Q_EMIT setupStatusChanged();
}
void MacAppModel::setChromeProfiles(const std::vector<ChromeProfile>& value) {
    if (!store(chromeProfiles_, value))
        return;
    Q_EMIT chromeProfilesChanged();
    Q_EMIT setupStatusChanged();
    Q_EMIT chromeConnectionChanged();
}
void MacAppModel::setTargets(const std::vector<MacLockTarget>& value) {
    if (store(targets_, value))
        Q_EMIT targetsChanged();
}
void MacAppModel::setRecentUnlocks(const std::vector<RecentUnlock>& value) {
    if (store(recentUnlocks_, value))
        Q_EMIT recentUnlocksChanged();
}
void MacAppModel::setOverlay(const std::optional<LockOverlayState>& value) {
    if (store(overlay_, value))
        Q_EMIT overlayChanged();
}
void MacAppModel::setAccessibilityPermissionGranted(bool value) {
    if (!store(accessibilityPermissionGranted_, value))
        return;
    Q_EMIT accessibilityPermissionGrantedChanged();
    Q_EMIT setupStatusChanged();
}
void MacAppModel::setApplicationSelectionMessage(const std::optional<std::string>& value) {
    if (store(applicationSelectionMessage_, value))
        Q_EMIT applicationSelectionMessageChanged();
}
void MacAppModel::setMacLinkConfiguration(const std::optional<MacLinkConfiguration>& value) {
    if (store(macLinkConfiguration_, value))
        Q_EMIT macLinkConfigurationChanged();
}
void MacAppModel::setTargetStoreError(const std::optional<std::string>& value) {
    if (store(targetStoreError_, value))
        Q_EMIT targetStoreErrorChanged();
}
void MacAppModel::setNativeHostInstallError(const std::optional<std::string>& value) {
    if (store(nativeHostInstallError_, value))
        Q_EMIT nativeHostInstallErrorChanged();
}
void MacAppModel::setLoginItemEnabledValue(bool value) {
    if (store(loginItemEnabled_, value))
        Q_EMIT loginItemEnabledChanged();
}
void MacAppModel::setLoginItemError(const std::optional<std::string>& value) {
    if (store(loginItemError_, value))
        Q_EMIT loginItemErrorChanged();
}
void MacAppModel::setLoginItemStatusText(const std::string& value) {
    if (store(loginItemStatusText_, value))
        Q_EMIT loginItemStatusTextChanged();
}
void MacAppModel::setWebTargetsManagedByIOS(bool value) {
    if (store(webTargetsManagedByIOS_, value))
        Q_EMIT webTargetsManagedByIOSChanged();
}
void MacAppModel::setTargetSyncVersion(const std::optional<long long>& value) {
    if (store(targetSyncVersion_, value))
        Q_EMIT targetSyncVersionChanged();
}
void MacAppModel::setTargetSyncError(const std::optional<std::string>& value) {
    if (store(targetSyncError_, value))
        Q_EMIT targetSyncErrorChanged();
}
void MacAppModel::setSettingsRelaxationConfiguration(
    const SettingsRelaxationProtectionConfiguration& value) {
    if (store(settingsRelaxationConfiguration_, value))
        Q_EMIT settingsRelaxationConfigurationChanged();
}
void MacAppModel::setBluetoothStatus(const BluetoothStatus& value) {
    if (store(bluetoothStatus_, value))
        Q_EMIT bluetoothStatusChanged();
}
void MacAppModel::setAppSelectionStepFinished(bool value) {
    if (!store(appSelectionStepFinished_, value))
        return;
    Q_EMIT appSelectionStepFinishedChanged();
    Q_EMIT setupStatusChanged();
}

void MacAppModel::insertRecentUnlock(const std::string& targetName, const std::string& status) {
    recentUnlocks_.insert(recentUnlocks_.begin(),
                          RecentUnlock{Uuid::random(), targetName, status, now()});
    Q_EMIT recentUnlocksChanged();
}

}  // namespace quorvel
