#pragma once

// The two synchronous halves of a web-target unlock request: building the sealed request for the
// iPhone, and turning the iPhone's answer into the allow windows it grants. Between them the
// request travels through the bridge daemon (bridge_exchange.hpp). Neither half throws: every
// failure becomes an "unlock.denied" answer whose reason names it, and a line on standard error
// that names its cause.
#include <exception>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/bridge/unlock_request_sealing.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel::host {

namespace DenialReason {
inline constexpr const char* notConfigured = "native_host_not_configured";
inline constexpr const char* configIncomplete = "native_host_config_incomplete";
inline constexpr const char* approvalIncomplete = "approval_incomplete";
inline constexpr const char* signatureInvalid = "approval_signature_invalid";
inline constexpr const char* linkedInvalidOrStale = "linked_approval_invalid_or_stale";
inline constexpr const char* cancelled = "request_cancelled";
}  // namespace DenialReason

struct PreparedUnlock {
    std::string targetLocalId;
    MacLinkConfiguration configuration;
    std::string requestId;
    SealedUnlockRequest sealed;
};

// Every denial of an unlock request is made here: the answer for the extension, whose reason
// stays a fixed word, and one line on standard error naming the target, the reason and its
// `cause`, which the extension never sees.
MacToExtensionMessage denyUnlock(const std::string& targetLocalId, const std::string& reason,
                                 std::string_view cause);
// The denial for an error thrown at `step`: its reason is the error's fixed word, the line names
// the step, its file and the error's own text.
MacToExtensionMessage denyForError(const std::string& targetLocalId, const OperationStep& step,
                                   const std::exception_ptr& error);

// Loads the link, freezes the remote-open counts, resolves the target's policy and seals the
// request. Either the request to send or the answer that ends it here.
std::variant<PreparedUnlock, MacToExtensionMessage> prepareUnlock(
    const std::string& targetLocalId, TargetType targetType, const std::string& targetDisplayName,
    Date now);

// Checks the iPhone's answer and, for a valid approval, opens the allow windows, keeps the
// receipt and acknowledges the sent batches.
MacToExtensionMessage finishUnlock(const PreparedUnlock& request,
                                   const BLELocalPrototypeWireMessage& answer, Date now);

// The web targets one plain approval of `targetId` opens: every synced web target that shares
// its linked target, in list order, or just `targetId`. Never empty.
std::vector<std::string> webTargetIdsOpenedWith(const std::string& targetId);

}  // namespace quorvel::host
