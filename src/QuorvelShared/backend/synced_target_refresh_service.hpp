#pragma once

// Pulls the synced target list that the iPhone left sealed on the backend for this Mac. A local
// list at least as new as the backend's is kept untouched (nothing is opened or written);
// otherwise the backend's list is opened with the Mac's key-agreement key, must carry the version
// the backend states, and replaces the local file whole. Writing the shared default file is
// announced with the synced-target change notification, as a Bluetooth sync announces it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "QuorvelShared/backend/backend_fetching.hpp"
#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/devicekeys/device_key_storing.hpp"
#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::backend {

enum class SyncedTargetRefreshErrorCode { versionMismatch };

// The sealed list's own version differs from the one the backend states for it.
class SyncedTargetRefreshError : public Error<SyncedTargetRefreshErrorCode> {
public:
    SyncedTargetRefreshError(std::int64_t backendVersion, std::int64_t payloadVersion);

    std::int64_t backendVersion() const { return backendVersion_; }
    std::int64_t payloadVersion() const { return payloadVersion_; }

    friend bool operator==(const SyncedTargetRefreshError& a, const SyncedTargetRefreshError& b) {
        return a.backendVersion_ == b.backendVersion_ && a.payloadVersion_ == b.payloadVersion_;
    }

private:
    std::int64_t backendVersion_;
    std::int64_t payloadVersion_;
};

struct SyncedTargetRefreshService {
    std::shared_ptr<TargetSyncStateFetching> fetcher;
    std::shared_ptr<DeviceKeyStoring> deviceKeyStore;
    // Normally SyncedTargetStateStore::filePath(); its folder must exist.
    std::filesystem::path stateFilePath;

    // The list now in force (the local one or the backend's), or no value when there is none
    // anywhere. Only the configuration's macDeviceId is read. Every failure is thrown and leaves
    // the local file as it was: the fetch's errors, an unreadable or undecodable local file, the
    // key store's and the opening's errors, SyncedTargetRefreshError, the write's errors.
    std::optional<SyncedTargetList> refresh(const MacLinkConfiguration& configuration) const;
};

}  // namespace quorvel::backend
