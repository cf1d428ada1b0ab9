// A stand-in for the Bluetooth bridge daemon in the application model's tests: it serves one
// unlock request of the shared mailbox the way the daemon does (pick-up mark, optionally the
// iPhone's receipt, then the completed answer) and plays the iPhone's answer itself, signed with
// the key the test gives it. It posts no notification: the application polls the mailbox.
//
//   quorvel-fake-bridge-daemon --answer MODE --signing-key BASE64 --ios-device-id ID
//       --mac-device-id ID [--receipt] [--allow-seconds N] [--answer-delay-ms N]
//       [--linked-target ID --linked-revision N] [--record FILE] [--request-index N]
//
// MODE: approve, wrong-id, bad-signature, cancel, empty, error:WORD, revision-only, pickup-only.
// --request-index N serves the N-th unlock request of the mailbox (oldest first, from 0).
// Exits 0 after answering, 2 on bad arguments, 3 when no request came within 60 seconds.
#include <chrono>
#include <cmath>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_writer.hpp"

using namespace quorvel;

namespace {

std::map<std::string, std::string> parseArguments(int argc, char** argv,
                                                  std::set<std::string>& flags) {
    std::map<std::string, std::string> values;
    for (int i = 1; i < argc; ++i) {
        std::string key = argv[i];
        if (key == "--receipt") {
            flags.insert(key);
        } else if (i + 1 < argc) {
            values[key] = argv[++i];
        }
    }
    return values;
}

std::optional<BLELocalBridgeRequest> waitForUnlockRequest(int index) {
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUpAt) {
        int seen = 0;
        for (const auto& request : BLELocalBridgeStore::loadPendingRequests())
            if (request.message.kind == BLELocalPrototypeMessageKind::unlockRequest &&
                seen++ == index)
                return request;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return std::nullopt;
}

BLELocalPrototypeWireMessage messageOf(BLELocalPrototypeMessageKind kind,
                                       const std::string& requestId) {
    BLELocalPrototypeWireMessage message;
    message.kind = kind;
    message.requestId = requestId;
    return message;
}

}  // namespace

int main(int argc, char** argv) {
    std::set<std::string> flags;
    auto args = parseArguments(argc, argv, flags);
    const std::string mode = args["--answer"];
    if (mode.empty() || args["--signing-key"].empty()) {
        std::cerr << "usage: see the head of fake_bridge_daemon.cpp\n";
        return 2;
    }
    const auto request = waitForUnlockRequest(
        args["--request-index"].empty() ? 0 : std::stoi(args["--request-index"]));
    if (!request)
        return 3;
    const std::string& requestId = request->requestId;
    if (!args["--record"].empty())
        files::writeAtomically(args["--record"],
                               json::write(toJson(*request), json::Style::prettySorted));

    BLELocalBridgeStore::saveResponse({requestId, false, std::nullopt, std::nullopt});
    if (mode == "pickup-only")
        return 0;
    if (flags.count("--receipt"))
        BLELocalBridgeStore::saveResponse(
            {requestId, false, messageOf(BLELocalPrototypeMessageKind::unlockReceipt, requestId),
             std::nullopt});
    if (!args["--answer-delay-ms"].empty())
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::stoi(args["--answer-delay-ms"])));

    if (mode == "empty") {
        BLELocalBridgeStore::saveResponse({requestId, true, std::nullopt, std::nullopt});
        return 0;
    }
    if (mode.rfind("error:", 0) == 0) {
        BLELocalBridgeStore::saveResponse(
            {requestId, true, messageOf(BLELocalPrototypeMessageKind::unlockApproval, requestId),
             mode.substr(6)});
        return 0;
    }
    if (mode == "cancel") {
        BLELocalBridgeStore::saveResponse(
            {requestId, true,
             messageOf(BLELocalPrototypeMessageKind::unlockCancellation, "req_other"),
             std::nullopt});
        return 0;
    }

    const auto key =
        P256SigningPrivateKey::fromRawRepresentation(*base64Decode(args["--signing-key"]));
    const std::int64_t seconds =
        args["--allow-seconds"].empty() ? 1200 : std::stoll(args["--allow-seconds"]);
    const Date until{std::floor(systemClock().now().secondsSinceReferenceDate) +
                     static_cast<double>(seconds)};
    const std::string answeredId = mode == "wrong-id" ? "req_someone-else" : requestId;
    auto approval = messageOf(BLELocalPrototypeMessageKind::unlockApproval, answeredId);
    approval.approvedDurationSeconds = seconds;
    approval.approvedUntil = until;
    approval.approvalSignature = UnlockContextCrypto::signApproval(
        {answeredId, seconds, mode == "bad-signature" ? until.addingSeconds(1) : until,
         args["--ios-device-id"]},
        key);
    if (!args["--linked-target"].empty()) {
        approval.linkedTargetId = args["--linked-target"];
        approval.linkedRevision = std::stoll(args["--linked-revision"]);
        approval.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
            {args["--mac-device-id"], *approval.linkedTargetId, until, args["--ios-device-id"],
             *approval.linkedRevision},
            key);
    }
    if (mode == "revision-only")
        approval.linkedRevision = 4;
    BLELocalBridgeStore::saveResponse({requestId, true, approval, std::nullopt});
    return 0;
}
