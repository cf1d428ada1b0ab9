// The unlock road against a fake bridge daemon: a second program that serves the mailbox and
// answers as the iPhone, signing with the iPhone's key.
#include <QProcess>
#include <sstream>
#include <string>
#include <vector>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "model_fixture.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel::modeltest {
namespace {

using Kind = LockOverlayState::Status::Kind;

const std::string bridgeNotRunningText =
    "MacアプリのBluetooth連携が起動していません。Macアプリを開き直してください";

class UnlockTest : public ModelTest {
protected:
    DeviceKeyPair iPhone{P256SigningPrivateKey::generate(), P256KeyAgreementPrivateKey::generate()};
    std::unique_ptr<QProcess> fakeDaemon;
    std::vector<LockOverlayState::Status> statuses;
    std::unique_ptr<MacAppModel> model;

    void TearDown() override {
        if (fakeDaemon) {
            fakeDaemon->waitForFinished(30000);
            fakeDaemon->kill();
            fakeDaemon->waitForFinished(5000);
        }
    }

    void pair(std::int64_t pollTimeoutSeconds = 0, bool withEncryptionKey = true) {
        MacLinkConfiguration configuration;
        configuration.backendBaseURL = "https://backend.example";
        configuration.macDeviceId = "dev_mac";
        configuration.iosDeviceId = "ios-device";
        configuration.iosSigningPublicKeyBase64 = iPhone.publicKeys().signingPublicKeyBase64;
        configuration.iosEncryptionPublicKeyBase64 =
            withEncryptionKey ? iPhone.publicKeys().encryptionPublicKeyBase64 : "";
        configuration.pollTimeoutSeconds = pollTimeoutSeconds;
        MacLinkConfigurationStore::save(configuration);
    }

    void startModel() {
        model = makeModel();
        QObject::connect(model.get(), &MacAppModel::overlayChanged, [this] {
            if (model->overlay())
                statuses.push_back(model->overlay()->status);
        });
    }

    void startFakeDaemon(const QStringList& extra) {
        fakeDaemon = std::make_unique<QProcess>();
        fakeDaemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args = {
            "--signing-key",
            QString::fromStdString(base64Encode(iPhone.signingPrivateKey.rawRepresentation())),
            "--ios-device-id",
            "ios-device",
            "--mac-device-id",
            "dev_mac",
            "--record",
            QString::fromStdString((home.root() / "request.json").string())};
        fakeDaemon->start(QUORVEL_FAKE_BRIDGE_DAEMON, args + extra);
        ASSERT_TRUE(fakeDaemon->waitForStarted(30000));
    }

    const MacLockTarget& target() const { return model->targets()[0]; }

    // Requests the first target's unlock from its lock panel and waits for the road's end;
    // what the program wrote on standard error meanwhile goes to `errors`.
    void requestAndWait() {
        model->setOverlay(LockOverlayState{target(), LockOverlayState::Status::locked()});
        statuses.clear();
        ::testing::internal::CaptureStderr();
        model->requestUnlock(target());
        const bool ended = runLoopUntil(
            [&] { return !model->overlay() || model->overlay()->status.kind == Kind::failed; });
        errors = ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ended);
    }

    // The one line on standard error that reports how the first target's request ended;
    // empty (and a failure) when there is not exactly one.
    std::string endLine() const {
        const std::string head = "quorvel.model: unlock request ";
        std::vector<std::string> found;
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with(head) &&
                line.find(" for " + target().id + " ") != std::string::npos)
                found.push_back(line);
        }
        EXPECT_EQ(found.size(), 1u) << "standard error:\n" << errors;
        return found.size() == 1 ? found[0] : std::string();
    }

    std::string errors;

    BLELocalBridgeRequest recordedRequest() const {
        return bleLocalBridgeRequestFromJson(
            json::parse(testkit::readFile(home.root() / "request.json")), "");
    }
};

TEST_F(UnlockTest, ConfigurationWithoutTheEncryptionKeyFailsAtOnceAndTouchesNoMailbox) {
    pair(0, false);
    startModel();
    requestAndWait();
    EXPECT_EQ(model->overlay()->status,
              LockOverlayState::Status::failed("iPhoneとのBluetoothペアリングが必要です"));
    EXPECT_FALSE(files::exists(BLELocalBridgeStore::stateURL()));
    ASSERT_EQ(model->recentUnlocks().size(), 1u);
    EXPECT_EQ(model->recentUnlocks()[0].status, "承認待ち");
    EXPECT_EQ(endLine(), "quorvel.model: unlock request (not made) for " + target().id +
                             " failed: taking the link configuration (" +
                             MacLinkConfigurationStore::filePath().string() +
                             "): iPhoneとのBluetoothペアリングが必要です");
}

TEST_F(UnlockTest, NoPickUpWithinFiveSecondsMeansTheBridgeIsNotRunning) {
    pair();
    startModel();
    requestAndWait();
    EXPECT_EQ(model->overlay()->status, LockOverlayState::Status::failed(bridgeNotRunningText));
    EXPECT_EQ(BLELocalBridgeStore::loadPendingRequests().size(), 1u);
    EXPECT_FALSE(model->allowUntil(target().id));
    const std::string mailbox = BLELocalBridgeStore::stateURL().string();
    EXPECT_TRUE(
        endLine().ends_with(" failed: waiting for the bridge daemon's answer in the mailbox (" +
                            mailbox + "): " + bridgeNotRunningText))
        << errors;
}

TEST_F(UnlockTest, ApprovalOpensTheWindowSchedulesTheWarningAndClearsThePanel) {
    pair();
    startModel();
    startFakeDaemon({"--answer", "approve", "--receipt", "--answer-delay-ms", "300",
                     "--allow-seconds", "1200"});
    const Date requestedAt = systemClock().now();
    requestAndWait();
    EXPECT_FALSE(model->overlay());
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[0].kind, Kind::requesting);
    EXPECT_EQ(statuses[1].kind, Kind::confirmingIPhoneDelivery);
    EXPECT_EQ(std::count_if(statuses.begin(), statuses.end(),
                            [](const auto& s) { return s.kind == Kind::waitingForIPhone; }),
              1);
    EXPECT_EQ(statuses.back().kind, Kind::waitingForIPhone);

    const auto until = model->allowUntil(target().id);
    ASSERT_TRUE(until);
    EXPECT_NEAR(until->secondsSince(requestedAt), 1200, 30);
    EXPECT_EQ(AllowWindowStateStore::load(systemClock().now()).count(target().id), 1u);
    ASSERT_EQ(model->recentUnlocks().size(), 2u);
    EXPECT_EQ(model->recentUnlocks()[0].status, "解除済み");
    EXPECT_EQ(model->recentUnlocks()[1].status, "承認待ち");
    ASSERT_TRUE(runLoopUntil([&] { return !userNotifications->scheduled.empty(); }));
    EXPECT_EQ(userNotifications->scheduled[0].body,
              target().displayName + " は 60秒後に再ロックされます。");

    // What went to the iPhone: sealed for its key, describing the target with the built-in policy.
    const auto request = recordedRequest();
    EXPECT_EQ(request.timeoutSeconds, 3600);
    EXPECT_EQ(request.requestId.rfind("req_", 0), 0u);
    EXPECT_NEAR(request.message.expiresAt->secondsSince(requestedAt), 3600, 30);
    EXPECT_NEAR(request.message.deliveryDeadline->secondsSince(requestedAt), 30, 30);
    EXPECT_EQ(request.message.macDeviceId, std::string("dev_mac"));
    const auto context = UnlockContextCrypto::decrypt(
        *request.message.encryptedContext, iPhone.encryptionPrivateKey, request.requestId);
    EXPECT_EQ(context.requestId, request.requestId);
    EXPECT_EQ(context.targetLocalId, target().id);
    EXPECT_EQ(context.targetType, TargetType::webDomain);
    EXPECT_EQ(context.targetDisplayName, target().displayName);
    EXPECT_EQ(context.policySnapshot.durationOptions,
              DefaultLockPolicy::defaultFree().durationOptions);
    EXPECT_FALSE(context.policySnapshot.customDurationSelectionEnabled);
    EXPECT_EQ(context.policySnapshot.breakDurationSeconds, 0);
    EXPECT_FALSE(context.remoteOpenBatches);
}

TEST_F(UnlockTest, LongerPollTimeoutsLengthenTheRequest) {
    pair(7200);
    startModel();
    startFakeDaemon({"--answer", "error:bluetooth_unavailable"});
    requestAndWait();
    EXPECT_EQ(recordedRequest().timeoutSeconds, 7200);
}

TEST_F(UnlockTest, EveryRefusedAnswerGivesItsTextAndOpensNothing) {
    struct Case {
        QStringList answer;
        std::string text;
    };
    const std::string linkedText = "操作を完了できませんでした。(MacLinkedUnlockError.";
    const std::vector<Case> cases = {
        {{"--answer", "wrong-id"}, "iPhoneからの承認データが不足しています"},
        {{"--answer", "bad-signature"}, "iPhoneからの承認を確認できませんでした"},
        {{"--answer", "empty"}, "iPhoneからの承認データが不足しています"},
        {{"--answer", "cancel"}, "iPhoneで解除申請を破棄しました"},
        {{"--answer", "error:iphone_bluetooth_timeout"},
         "Bluetooth通信に失敗しました: iphone_bluetooth_timeout"},
        {{"--answer", "error:iphone_delivery_unconfirmed"},
         "iPhoneに解除申請が届いたことを確認できませんでした。iPhoneのPellorimを開いて、もう一度送"
         "ってください"},
        {{"--answer", "error:deliveryUnconfirmed"},
         "iPhoneに解除申請が届いたことを確認できませんでした。iPhoneのPellorimを開いて、もう一度送"
         "ってください"},
        {{"--answer", "revision-only"}, linkedText + "incompleteState)"},
        {{"--answer", "approve", "--linked-target", "linked-1", "--linked-revision", "5"},
         linkedText + "staleRevision)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.join(' ').toStdString());
        testkit::TempXdgHome caseHome;
        std::filesystem::create_directories(caseHome.stateFolder());
        testkit::writeFile(caseHome.stateFolder() / "linked-unlock-revisions.json",
                           R"({"linked-1":9})");
        pair();
        statuses.clear();
        startModel();
        startFakeDaemon(c.answer);
        requestAndWait();
        ASSERT_TRUE(model->overlay());
        EXPECT_EQ(model->overlay()->status, LockOverlayState::Status::failed(c.text));
        EXPECT_TRUE(endLine().ends_with(": " + c.text)) << errors;
        EXPECT_FALSE(model->allowUntil(target().id));
        EXPECT_TRUE(AllowWindowStateStore::load(systemClock().now()).empty());
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath()),
                  (LinkedUnlockRevisionMap{{"linked-1", 9}}));
        EXPECT_EQ(model->recentUnlocks().size(), 1u);
        EXPECT_TRUE(userNotifications->scheduled.empty());
        fakeDaemon->waitForFinished(30000);
        model.reset();
    }
}

TEST_F(UnlockTest, FrozenRemoteOpensRideAgainAfterAFailureAndAreAcknowledgedOnceAnswered) {
    pair();
    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFilePath());
    ASSERT_TRUE(remoteOpens.recordImpression("profile-1", "web-x", systemClock().now()));
    startModel();
    startFakeDaemon({"--answer", "error:bluetooth_unavailable"});
    requestAndWait();
    fakeDaemon->waitForFinished(30000);
    const auto first =
        UnlockContextCrypto::decrypt(*recordedRequest().message.encryptedContext,
                                     iPhone.encryptionPrivateKey, recordedRequest().requestId);
    ASSERT_TRUE(first.remoteOpenBatches);
    ASSERT_EQ(first.remoteOpenBatches->size(), 1u);

    startFakeDaemon({"--answer", "cancel"});
    requestAndWait();
    fakeDaemon->waitForFinished(30000);
    const auto second =
        UnlockContextCrypto::decrypt(*recordedRequest().message.encryptedContext,
                                     iPhone.encryptionPrivateKey, recordedRequest().requestId);
    ASSERT_TRUE(second.remoteOpenBatches);
    EXPECT_EQ((*second.remoteOpenBatches)[0].id, (*first.remoteOpenBatches)[0].id);
    EXPECT_TRUE(remoteOpens.snapshotForUnlock(systemClock().now()).empty());
}

TEST_F(UnlockTest, FailureOfOneRequestKeepsTheBookkeepingOfAnotherForTheSameTarget) {
    pair();
    RemoteOpenEventStore remoteOpens(RemoteOpenEventStore::defaultFilePath());
    ASSERT_TRUE(remoteOpens.recordImpression("profile-1", "web-x", systemClock().now()));
    startModel();
    // The first request finds no daemon; the second is served, and answered only after the
    // first has failed. The daemon runs before either is filed (it serves only the second), so
    // the time it takes to start never counts against the second's pick-up.
    startFakeDaemon({"--answer", "approve", "--request-index", "1", "--answer-delay-ms", "7000"});
    model->setOverlay(LockOverlayState{target(), LockOverlayState::Status::locked()});
    model->requestUnlock(target());
    ASSERT_TRUE(
        runLoopUntil([&] { return BLELocalBridgeStore::loadPendingRequests().size() == 1; }));
    model->requestUnlock(target());
    ASSERT_TRUE(
        runLoopUntil([&] { return BLELocalBridgeStore::loadPendingRequests().size() == 2; }));
    ASSERT_TRUE(runLoopUntil([&] { return model->allowUntil(target().id).has_value(); }));
    // The answered request acknowledged the batch it carried: nothing is left frozen.
    EXPECT_TRUE(remoteOpens.snapshotForUnlock(systemClock().now()).empty());
}

TEST_F(UnlockTest, LinkedApprovalOpensEveryLinkedWebTargetAndWarnsForTheApprovedOne) {
    pair();
    SyncedTargetList list;
    list.version = 1;
    for (const char* id : {"site-a", "site-b", "site-c"})
        list.webTargets.push_back({id, std::string(id) + ".example", id, true,
                                   std::string("linked-1"), DefaultLockPolicy::defaultFree()});
    list.webTargets.push_back(
        {"site-d", "d.example", "D", true, std::nullopt, DefaultLockPolicy::defaultFree()});
    SyncedTargetStateStore::save(list);
    startModel();
    startFakeDaemon(
        {"--answer", "approve", "--linked-target", "linked-1", "--linked-revision", "3"});
    const auto revision = model->authorizationRevision();
    requestAndWait();
    EXPECT_FALSE(model->overlay());
    const auto windows = model->activeAllowWindows();
    EXPECT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows.count("site-a") + windows.count("site-b") + windows.count("site-c"), 3u);
    EXPECT_EQ(model->authorizationRevision(), revision + 1);
    EXPECT_EQ(LinkedUnlockRevisionStateStore::load(LinkedUnlockRevisionStateStore::filePath())
                  .at("linked-1"),
              3);
    ASSERT_TRUE(runLoopUntil([&] { return !userNotifications->scheduled.empty(); }));
    EXPECT_EQ(userNotifications->scheduled.size(), 1u);
    EXPECT_EQ(userNotifications->scheduled[0].identifier, "quorvel.mac.unlock-warning.site-a");
}

TEST_F(UnlockTest, ResultOfARequestWhosePanelWasTakenIsNotShownButTheWindowOpens) {
    pair();
    startModel();
    startFakeDaemon({"--answer", "approve", "--answer-delay-ms", "500"});
    model->setOverlay(LockOverlayState{target(), LockOverlayState::Status::locked()});
    model->requestUnlock(target());
    const MacLockTarget other = model->targets()[1];
    ASSERT_TRUE(runLoopUntil(
        [&] { return model->overlay()->status.kind == Kind::confirmingIPhoneDelivery; }));
    model->setOverlay(LockOverlayState{other, LockOverlayState::Status::locked()});
    ASSERT_TRUE(runLoopUntil([&] { return model->allowUntil(target().id).has_value(); }));
    EXPECT_EQ(model->overlay(), (LockOverlayState{other, LockOverlayState::Status::locked()}));
}

// A mailbox that does not decode fails every request until the user deletes it: the panel shows
// the decoder's text, and standard error names the step, the file and the error.
class UnlockFailureRobustness : public UnlockTest {};

TEST_F(UnlockFailureRobustness, AMailboxThatDoesNotDecodeIsNamedWithItsError) {
    pair();
    startModel();
    const std::string undecodable = R"({"requests":7})";
    files::createDirectories(BLELocalBridgeStore::stateURL().parent_path());
    testkit::writeFile(BLELocalBridgeStore::stateURL(), undecodable);
    const auto error =
        testkit::captureErrorText([] { return BLELocalBridgeStore::loadPendingRequests(); });
    ASSERT_TRUE(error) << "the mailbox decoded";
    requestAndWait();
    ASSERT_TRUE(model->overlay());
    EXPECT_EQ(model->overlay()->status, LockOverlayState::Status::failed(*error));
    EXPECT_TRUE(endLine().ends_with(" failed: filing the request in the mailbox (" +
                                    BLELocalBridgeStore::stateURL().string() + "): " + *error))
        << errors;
    EXPECT_EQ(testkit::readFile(BLELocalBridgeStore::stateURL()), undecodable);
}

}  // namespace
}  // namespace quorvel::modeltest
