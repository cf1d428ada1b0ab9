#include "QuorvelShared/backend/synced_target_refresh_service.hpp"

#include <string>

#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"

namespace quorvel::backend {

SyncedTargetRefreshError::SyncedTargetRefreshError(std::int64_t backendVersion,
                                                   std::int64_t payloadVersion)
    : Error(SyncedTargetRefreshErrorCode::versionMismatch,
            "the synced target list is version " + std::to_string(payloadVersion) +
                " but the backend states version " + std::to_string(backendVersion)),
      backendVersion_(backendVersion),
      payloadVersion_(payloadVersion) {}

std::optional<SyncedTargetList> SyncedTargetRefreshService::refresh(
    const MacLinkConfiguration& configuration) const {
    const std::string& macDeviceId = configuration.macDeviceId;
    const TargetSyncStateResponse response = fetcher->fetchTargetSync(macDeviceId);

    std::optional<SyncedTargetList> local = SyncedTargetStateStore::load(stateFilePath);
    if (!response.state) {
        return local;
    }
    const TargetSyncStateResponse::State& state = *response.state;
    if (local && local->version >= state.version) {
        return local;
    }

    const DeviceKeyPair keys = deviceKeyStore->loadOrCreateDeviceKeys(macDeviceId);
    SyncedTargetList list =
        TargetSyncCrypto::decrypt(state.encryptedPayload, keys.encryptionPrivateKey, macDeviceId);
    if (list.version != state.version) {
        throw SyncedTargetRefreshError(state.version, list.version);
    }
    // Posts the change notification exactly when this is the shared default file.
    SyncedTargetStateStore::save(list, stateFilePath);
    return list;
}

}  // namespace quorvel::backend
