#pragma once
#include <gtest/gtest.h>

// State files and messages shared by the host's tests.
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel::testkit {

inline SyncedWebTarget webTarget(std::string id, std::optional<std::string> linked = {},
                                 bool enabled = true, std::int64_t warning = 60) {
    SyncedWebTarget target;
    target.domain = id + ".example";
    target.displayName = "Site " + id;
    target.id = std::move(id);
    target.enabled = enabled;
    target.linkedTargetId = std::move(linked);
    target.policy.warningBeforeEndSeconds = warning;
    return target;
}

inline void storeSyncedList(std::int64_t version, std::vector<SyncedWebTarget> targets) {
    SyncedTargetList list;
    list.version = version;
    list.webTargets = std::move(targets);
    SyncedTargetStateStore::save(list);
}

inline ExtensionToMacMessage targetsSyncMessage(std::string profile = "p1") {
    return {ExtensionToMacMessage::TargetsSync{std::move(profile)}};
}
inline ExtensionToMacMessage subscribeMessage(std::string profile = "p1") {
    return {ExtensionToMacMessage::EventsSubscribe{std::move(profile)}};
}
inline ExtensionToMacMessage unlockMessage(std::string target, std::string profile = "p1") {
    return {ExtensionToMacMessage::UnlockRequested{std::move(profile), std::move(target),
                                                   TargetType::webDomain, "Site"}};
}

// The message as the case the test expects; a failure and an empty value otherwise.
template <class T>
T as(const std::optional<MacToExtensionMessage>& message) {
    if (!message) {
        ADD_FAILURE() << "no message";
        return T{};
    }
    const T* value = std::get_if<T>(&message->value);
    if (!value) {
        ADD_FAILURE() << "another message: " << encodeMacToExtensionMessage(*message);
        return T{};
    }
    return *value;
}

}  // namespace quorvel::testkit
