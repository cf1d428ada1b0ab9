#pragma once

// A stand-in for the Bluetooth bridge daemon in a process of its own: it serves the mailbox as
// the real daemon does (a pick-up mark, then a final response), opening each request's sealed
// context with the iPhone's key to learn its target, and answers as the test's script says.
// What it saw is written beside the mailbox ("seen-<request id>.json") for the test to inspect.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/child_process.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {

// The paired iPhone: its keys and the link configuration that names them.
struct FakeIPhone {
    P256SigningPrivateKey signingKey = P256SigningPrivateKey::generate();
    P256KeyAgreementPrivateKey encryptionKey = P256KeyAgreementPrivateKey::generate();
    std::string deviceId = "ios-device-1";
    std::string macDeviceId = "mac-device-1";

    MacLinkConfiguration link(std::int64_t pollTimeoutSeconds = 600) const {
        MacLinkConfiguration configuration;
        configuration.backendBaseURL = "https://backend.invalid";
        configuration.macDeviceId = macDeviceId;
        configuration.iosDeviceId = deviceId;
        configuration.iosSigningPublicKeyBase64 =
            base64Encode(signingKey.publicKey().rawRepresentation());
        configuration.iosEncryptionPublicKeyBase64 =
            base64Encode(encryptionKey.publicKey().rawRepresentation());
        configuration.pollTimeoutSeconds = pollTimeoutSeconds;
        return configuration;
    }

    BLELocalPrototypeWireMessage approval(const std::string& requestId, Date until,
                                          std::int64_t duration = 900) const {
        BLELocalPrototypeWireMessage message;
        message.kind = BLELocalPrototypeMessageKind::unlockApproval;
        message.requestId = requestId;
        message.approvedDurationSeconds = duration;
        message.approvedUntil = until;
        message.approvalSignature =
            UnlockContextCrypto::signApproval({requestId, duration, until, deviceId}, signingKey);
        return message;
    }

    void link(BLELocalPrototypeWireMessage& approval, const std::string& linkedTargetId,
              std::int64_t revision) const {
        approval.linkedTargetId = linkedTargetId;
        approval.linkedRevision = revision;
        approval.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
            {macDeviceId, linkedTargetId, *approval.approvedUntil, deviceId, revision}, signingKey);
    }
};

// What the daemon does with one request.
struct DaemonReply {
    bool pickUp = true;
    // The final response; none leaves the request picked up (or untouched) for ever.
    std::optional<BLELocalBridgeResponse> final;
    // The final response waits until the test creates the file goFile().
    bool waitForGo = false;
};

using DaemonScript =
    std::function<DaemonReply(const BLELocalBridgeRequest&, const UnlockContextPlaintext&)>;

inline std::filesystem::path goFile() {
    return BLELocalBridgeStore::stateURL().parent_path() / "go";
}

inline std::filesystem::path seenFile(const std::string& requestId) {
    return BLELocalBridgeStore::stateURL().parent_path() / ("seen-" + requestId + ".json");
}

// Serves `requests` requests, then exits 0 (or 1 after a minute without them). Start it before
// any thread of the test process.
inline pid_t startFakeDaemon(const FakeIPhone& phone, int requests, DaemonScript script) {
    return startChild([=] {
        std::set<std::string> seen;
        std::map<std::string, BLELocalBridgeResponse> gated;
        int done = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (done < requests && std::chrono::steady_clock::now() < deadline) {
            for (const BLELocalBridgeRequest& request :
                 BLELocalBridgeStore::loadPendingRequests()) {
                if (!seen.insert(request.requestId).second)
                    continue;
                const UnlockContextPlaintext context = UnlockContextCrypto::decrypt(
                    *request.message.encryptedContext, phone.encryptionKey, request.requestId);
                Json record = Json::object();
                record["context"] = toJson(context);
                record["timeoutSeconds"] = request.timeoutSeconds;
                record["message"] = toJson(request.message);
                writeFile(seenFile(request.requestId), json::write(record, json::Style::compact));
                const DaemonReply reply = script(request, context);
                if (reply.pickUp) {
                    BLELocalBridgeStore::saveResponse({request.requestId, false, {}, {}});
                }
                if (!reply.final) {
                    ++done;
                } else if (reply.waitForGo) {
                    gated[request.requestId] = *reply.final;
                } else {
                    BLELocalBridgeStore::saveResponse(*reply.final);
                    ++done;
                }
            }
            if (!gated.empty() && std::filesystem::exists(goFile())) {
                for (const auto& [id, response] : gated)
                    BLELocalBridgeStore::saveResponse(response);
                done += static_cast<int>(gated.size());
                gated.clear();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done >= requests ? 0 : 1;
    });
}

inline BLELocalBridgeResponse completed(const BLELocalBridgeRequest& request,
                                        std::optional<BLELocalPrototypeWireMessage> message,
                                        std::optional<std::string> error = {}) {
    return {request.requestId, true, std::move(message), std::move(error)};
}

}  // namespace quorvel::testkit
