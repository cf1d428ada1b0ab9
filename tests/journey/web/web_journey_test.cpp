// The browser's journey through both real programs: the native-messaging host driven through its
// frames as the extension drives it, the bridge daemon started as the application starts it,
// the fake bluetoothd and the phone; no screen, since neither program shows anything. The phone
// has synced web targets, two of them linked to an application target; an unlock request for one
// of those reaches the phone, and its approval opens every web target of the link.
#include <QProcess>

#include "QuorvelNativeHost/host/host_fixture.hpp"
#include "QuorvelNativeHost/host/host_process.hpp"
#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "bluez/daemon_process.hpp"
#include "journey/phone_journey_fixture.hpp"

namespace quorvel::journeytest {
namespace {

using Out = MacToExtensionMessage;
using WebJourneyTest = PhoneJourneyTest;

TEST_F(WebJourneyTest, AWebTargetsRequestReachesThePhoneAndItsApprovalOpensEveryLinkedWebTarget) {
    // The Mac's device keys, as pairing left them in the keyring: the phone seals the target list
    // for them, and the daemon opens it with them.
    KeychainDeviceKeyStore keys(std::make_shared<SecretServiceKeychain>(),
                                "app.quorvel.device-keys");
    const std::string macEncryptionKey =
        keys.loadOrCreateDeviceKeys(macDeviceId).publicKeys().encryptionPublicKeyBase64;

    QProcess daemon;
    daemon.setProcessEnvironment(sanitizers.applyTo(QProcessEnvironment::systemEnvironment()));
    ASSERT_TRUE(testing::startBridgeDaemon(daemon, QStringLiteral(QUORVEL_NATIVE_HOST)));
    ASSERT_TRUE(runLoopUntil([&] { return bluez.application() && bluez.advertisement(); }));
    phone.subscribe();
    ASSERT_TRUE(runLoopUntil([&] { return received(Kind::stateRefreshRequest) > 0; }));

    // The phone syncs its web targets: news and video go with the editor application.
    SyncedTargetList list;
    list.version = 7;
    list.generatedAt = wholeSecondsFromNow(0);
    list.webTargets = {testkit::webTarget("w-news", editorId, true, 120),
                       testkit::webTarget("w-video", editorId), testkit::webTarget("w-shop")};
    EXPECT_TRUE(allAccepted(
        send(testing::phone::targetSync(identity, "sync-1", list, macEncryptionKey, macDeviceId))));
    ASSERT_TRUE(runLoopUntil([&] { return received(Kind::targetSyncReceipt) > 0; }));
    ASSERT_EQ(SyncedTargetStateStore::load(), list);

    // The extension subscribes to the event stream, then asks to unlock the news site.
    sanitizers.applyToOwnEnvironment();
    testkit::HostProcess host;
    std::vector<Out> answers;
    const auto pump = [&] {
        while (host.hasOutput()) {
            auto message = host.readMessage();
            if (!message)
                return;
            answers.push_back(*message);
        }
    };
    host.send(testkit::subscribeMessage());
    host.send(ExtensionToMacMessage{
        ExtensionToMacMessage::UnlockRequested{"p1", "w-news", TargetType::webDomain, "News"}});

    const auto request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    const auto context = openContext(request);
    EXPECT_EQ(context.targetLocalId, "w-news");
    EXPECT_EQ(context.targetType, TargetType::webDomain);
    EXPECT_EQ(context.targetDisplayName, "News");
    EXPECT_EQ(context.policySnapshot,
              UnlockContextPlaintext::PolicySnapshot::forUnlock(list.webTargets[0].policy));

    // The phone confirms the delivery and approves for the whole link.
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
    const Date approvedUntil = wholeSecondsFromNow(900);
    auto approval =
        testing::phone::unlockApproval(identity, *request.requestId, 900, approvedUntil);
    testing::phone::linkApproval(identity, approval, macDeviceId, editorId, 3);
    EXPECT_TRUE(allAccepted(send(approval)));

    const auto approved = [&] {
        for (const auto& answer : answers) {
            if (const auto* value = std::get_if<Out::UnlockApproved>(&answer.value))
                return value->targetLocalId == "w-news" && value->allowUntil == approvedUntil;
        }
        return false;
    };
    ASSERT_TRUE(runLoopUntil([&] {
        pump();
        return approved();
    })) << "no unlock.approved";
    for (const auto& answer : answers)
        EXPECT_FALSE(std::holds_alternative<Out::UnlockDenied>(answer.value))
            << encodeMacToExtensionMessage(answer);

    const auto windows = AllowWindowStateStore::load(systemClock().now());
    EXPECT_EQ(windows, (AllowWindowMap{{"w-news", approvedUntil}, {"w-video", approvedUntil}}));
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath())
                  .at(editorId),
              3);

    // The stream pushes the new allow state.
    const auto pushed = [&] {
        for (const auto& answer : answers) {
            const auto* state = std::get_if<Out::AllowState>(&answer.value);
            if (state && state->allows.size() == 2) {
                bool both = true;
                for (const auto& allow : state->allows)
                    both =
                        both && windows.count(allow.targetId) && allow.allowUntil == approvedUntil;
                if (both)
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(runLoopUntil([&] {
        pump();
        return pushed();
    })) << "no allow.state with both linked web targets";

    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    daemon.closeWriteChannel();
    EXPECT_TRUE(daemon.waitForFinished(60'000));
    EXPECT_EQ(daemon.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(daemon.exitCode(), 0);
}

}  // namespace
}  // namespace quorvel::journeytest
