#include "QuorvelNativeHost/host/message_handling.hpp"

#include <exception>

#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel::host {
namespace {

SyncedWebTargetSummary summaryOf(const SyncedWebTarget& target) {
    return SyncedWebTargetSummary{
        target.id,      target.domain,         target.displayName,
        target.enabled, target.linkedTargetId, target.policy.warningBeforeEndSeconds};
}

// Counts the open of a blocked target against its linked target when the synced list names one,
// so that the iPhone sees opens of one of its applications whichever site showed them.
void countRemoteOpen(const ExtensionToMacMessage::TargetBlocked& blocked) {
    std::string reportTargetId = blocked.targetLocalId;
    if (const auto list = loadSyncedListOrNone()) {
        for (const SyncedWebTarget& target : list->webTargets) {
            if (target.id == blocked.targetLocalId) {
                if (target.linkedTargetId)
                    reportTargetId = *target.linkedTargetId;
                break;
            }
        }
    }
    // The extension is answered alike: the count is best effort.
    static RepeatedFailure failure;
    runReportingFailure(lcHost, failure, {"counting an open of " + reportTargetId, {}},
                        [&](OperationStep& step) {
                            step.file = RemoteOpenEventStore::defaultFilePath();
                            (void)RemoteOpenEventStore(step.file).recordImpression(
                                blocked.profileId, reportTargetId, systemClock().now());
                        });
}

}  // namespace

std::optional<SyncedTargetList> loadSyncedListOrNone() {
    static RepeatedFailure failure;
    return loadReportingFailure(lcHost, failure, "reading the synced targets",
                                SyncedTargetStateStore::filePath, SyncedTargetStateStore::load);
}

void recordProfileConnected(const std::string& profileId) {
    // The sighting is refreshed again with the next message or stream pass.
    static RepeatedFailure failure;
    runReportingFailure(lcHost, failure, {"recording the sighting of profile " + profileId, {}},
                        [&](OperationStep& step) {
                            step.file = ChromeProfileConnectionStore::filePath();
                            ChromeProfileConnectionStore::recordConnected(profileId, std::nullopt,
                                                                          systemClock().now());
                        });
}

MacToExtensionMessage targetsState() {
    MacToExtensionMessage::TargetsState state;
    if (const auto list = loadSyncedListOrNone()) {
        state.version = list->version;
        state.managed = true;
        for (const SyncedWebTarget& target : list->webTargets) {
            state.targets.push_back(summaryOf(target));
        }
    }
    return MacToExtensionMessage{std::move(state)};
}

const std::string& profileIdOf(const ExtensionToMacMessage& message) {
    return std::visit([](const auto& m) -> const std::string& { return m.profileId; },
                      message.value);
}

std::optional<MacToExtensionMessage> answerAtOnce(const ExtensionToMacMessage& message) {
    using In = ExtensionToMacMessage;
    using Out = MacToExtensionMessage;
    recordProfileConnected(profileIdOf(message));
    if (std::holds_alternative<In::UnlockRequested>(message.value))
        return std::nullopt;
    if (const auto* blocked = std::get_if<In::TargetBlocked>(&message.value)) {
        countRemoteOpen(*blocked);
        return Out{Out::LockRequired{blocked->targetLocalId}};
    }
    if (std::holds_alternative<In::TargetsSync>(message.value))
        return targetsState();
    return Out{Out::PolicyUpdated{}};
}

}  // namespace quorvel::host
