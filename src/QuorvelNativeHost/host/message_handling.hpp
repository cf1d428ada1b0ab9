#pragma once

// The host's answers to the extension's messages that need no trip to the iPhone, and the state
// of the synced web-target list as the extension sees it. Nothing here throws: a store that
// cannot be read counts as empty, a count or record that cannot be written is skipped. Each such
// failure is reported (quorvel.host) once per change of its text: the stream of every connected
// profile meets it again every two seconds.
#include <optional>
#include <string>

#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::host {

// The stored synced list; none when there is no file or it cannot be read or decoded.
std::optional<SyncedTargetList> loadSyncedListOrNone();

// Notes the profile's sighting in the browser-profile file; a failure is reported only.
void recordProfileConnected(const std::string& profileId);

// "targets.state" of the stored synced list: version 0, unmanaged and empty without one.
MacToExtensionMessage targetsState();

// The profile id every message carries.
const std::string& profileIdOf(const ExtensionToMacMessage& message);

// Records the profile, then answers. No value for "unlock.requested", which is answered by a
// WebTargetUnlock (after recordProfileConnected).
std::optional<MacToExtensionMessage> answerAtOnce(const ExtensionToMacMessage& message);

}  // namespace quorvel::host
