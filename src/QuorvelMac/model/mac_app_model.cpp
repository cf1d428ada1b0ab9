#include "QuorvelMac/model/mac_app_model.hpp"

#include "QuorvelPlatform/timers/boot_clock_timer.hpp"

namespace quorvel {

LocalAllowWindowStore::LocalAllowWindowStore(const std::map<std::string, Date>& initialWindows, Date now) {
    for (const auto& [id, until] : initialWindows)
        if (until > now) allowUntilByTargetId[id] = until;
}

std::optional<Date> LocalAllowWindowStore::allowUntil(const std::string& targetId, Date at) const {
    auto found = allowUntilByTargetId.find(targetId);
    if (found == allowUntilByTargetId.end() || !(found->second > at)) return std::nullopt;
    return found->second;
}

std::map<std::string, Date> LocalAllowWindowStore::activeWindows(Date at) const {
    std::map<std::string, Date> result;
    for (const auto& [id, until] : allowUntilByTargetId)
        if (until > at) result[id] = until;
    return result;
}

const std::vector<std::string>& MacAppModel::allowedExtensionIds() {
    static const std::vector<std::string> ids = {"hfopaiemkcjnbdlgpahfkeimonjcdbla",
                                                 "opnkmjdbcgaehflipkdjacmbnoefhgal"};
    return ids;
}

MacAppModel::MacAppModel(Dependencies dependencies, bool marketingFixture, QObject* parent)
    : QObject(parent),
      deps_(std::move(dependencies)),
      isMarketingFixture_(marketingFixture),
      authorizationStore_({}, Date{}),
      setupProgressStore_{deps_.userDefaults} {}

MacAppModel::~MacAppModel() = default;

Date MacAppModel::now() const { return deps_.clock ? deps_.clock->now() : systemClock().now(); }
MacSetupStatus MacAppModel::setupStatus() const { return {}; }
std::string MacAppModel::chromeConnectionSummary() const { return {}; }
std::string MacAppModel::chromeConnectionDetail() const { return {}; }
std::optional<Date> MacAppModel::allowUntil(const std::string&) const { return std::nullopt; }
std::map<std::string, Date> MacAppModel::activeAllowWindows() const { return {}; }
void MacAppModel::setOverlay(const std::optional<LockOverlayState>&) {}
void MacAppModel::setTargets(const std::vector<MacLockTarget>&) {}
void MacAppModel::setTargetSyncError(const std::optional<std::string>&) {}
void MacAppModel::refreshBluetoothStatus() {}
void MacAppModel::refreshChromeProfiles() {}
void MacAppModel::refreshLoginItemStatus() {}
void MacAppModel::setLoginItemEnabled(bool) {}
bool MacAppModel::refreshAccessibilityPermission(bool) { return false; }
void MacAppModel::refreshNativeHostStatus() {}
void MacAppModel::openAccessibilitySettings() {}
void MacAppModel::saveTargets() {}
void MacAppModel::addMacApplicationTargets(const std::vector<MacApplicationDescriptor>&) {}
void MacAppModel::finishAppSelectionStep() {}
void MacAppModel::removeMacAppTarget(const std::string&) {}
void MacAppModel::setMacAppTargetEnabled(const std::string&, bool) {}
void MacAppModel::startPairing() {}
void MacAppModel::refreshPairingStatus() {}
std::string MacAppModel::localPairingQRCodeURL(const std::string&, const std::string&) { return "quorvel://pair"; }
void MacAppModel::requestUnlock(const MacLockTarget&) {}
void MacAppModel::applyApproval(const std::string&, Date, const std::optional<std::string>&) {}

}  // namespace quorvel
