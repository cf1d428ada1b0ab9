#pragma once

// The two reads that the refreshers need of the backend, so that they hold the client only
// through these (and tests hand them fakes). BackendAPIClient implements both.
#include <string>

#include "QuorvelShared/backend/target_sync_records.hpp"

namespace quorvel::backend {

class TargetSyncStateFetching {
public:
    virtual ~TargetSyncStateFetching() = default;
    virtual TargetSyncStateResponse fetchTargetSync(const std::string& macDeviceId) = 0;
};

class LinkedUnlockStateFetching {
public:
    virtual ~LinkedUnlockStateFetching() = default;
    virtual LinkedUnlockStateResponse fetchLinkedUnlocks(const std::string& macDeviceId) = 0;
};

}  // namespace quorvel::backend
