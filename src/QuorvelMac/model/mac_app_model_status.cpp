// Status refreshers: the bridge's status file, the browser profiles, the login item, the
// accessibility check and the browser manifest.
#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/support/files.hpp"

namespace quorvel {

namespace {

constexpr double profileConnectedWithinSeconds = 10.0;

const char* loginItemStatusWord(LoginItem::Status status) {
    switch (status) {
        case LoginItem::Status::notRegistered:
            return "not registered";
        case LoginItem::Status::enabled:
            return "enabled";
        case LoginItem::Status::requiresApproval:
            return "requires approval";
        case LoginItem::Status::notFound:
            return "not found";
    }
    return "unknown";
}

}  // namespace

void MacAppModel::refreshBluetoothStatus() {
    // A status that cannot be read is shown as not yet known.
    const std::optional<BLELocalConnectionSnapshot> snapshot =
        loadReportingFailure(lcModel, bluetoothStatusFailure_, "reading the Bluetooth status",
                             BLELocalConnectionStore::filePath, BLELocalConnectionStore::load);
    if (!snapshot) {
        setBluetoothStatus({});
        return;
    }
    setBluetoothStatus({snapshot->status, snapshot->detail});
}

void MacAppModel::refreshChromeProfiles() {
    // Profiles that cannot be read are shown as none connected.
    const std::vector<ChromeProfileConnection> records = loadReportingFailure(
        lcModel, chromeProfilesFailure_, "reading the browser profiles",
        ChromeProfileConnectionStore::filePath, ChromeProfileConnectionStore::load);
    std::vector<ChromeProfile> profiles;
    for (const auto& record : records)
        profiles.push_back({record.profileId, record.displayName,
                            record.isConnected(now(), profileConnectedWithinSeconds),
                            record.lastSeenAt});
    setChromeProfiles(profiles);
}

void MacAppModel::refreshLoginItemStatus() {
    if (!deps_.loginItem) {
        setLoginItemEnabledValue(false);
        setLoginItemStatusText("unknown");
        return;
    }
    const LoginItem::Status status = deps_.loginItem->status();
    setLoginItemEnabledValue(status == LoginItem::Status::enabled);
    setLoginItemStatusText(loginItemStatusWord(status));
}

void MacAppModel::setLoginItemEnabled(bool enabled) {
    try {
        if (!deps_.loginItem)
            throw std::runtime_error("ログイン項目を変更できません");
        if (enabled)
            deps_.loginItem->registerItem();
        else
            deps_.loginItem->unregisterItem();
        setLoginItemError(std::nullopt);
    } catch (const std::exception& error) {
        setLoginItemError(std::string(error.what()));
    }
    refreshLoginItemStatus();
}

bool MacAppModel::refreshAccessibilityPermission(bool prompt) {
    if (isMarketingFixture_) {
        setAccessibilityPermissionGranted(true);
        return true;
    }
    setAccessibilityPermissionGranted(deps_.accessibility &&
                                      deps_.accessibility->isTrusted(prompt));
    return accessibilityPermissionGranted_;
}

void MacAppModel::refreshNativeHostStatus() {
    // Changes of a field in place: observers hear of them even when nothing differs.
    connection_.nativeHostManifestPath =
        deps_.manifestFiles.empty() ? std::string() : deps_.manifestFiles.front().string();
    connection_.nativeHostInstalled =
        !deps_.manifestFiles.empty() && files::exists(deps_.manifestFiles.front());
    Q_EMIT connectionChanged();
    Q_EMIT chromeConnectionChanged();
}

void MacAppModel::openAccessibilitySettings() {
    if (deps_.accessibility)
        deps_.accessibility->openSettings();
}

}  // namespace quorvel
