#include <QProcess>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "model_fixture.hpp"
#include "testkit/fakes.hpp"

namespace quorvel::modeltest {
namespace {

using testkit::readFile;
using testkit::writeFile;

MacLinkConfiguration usableConfiguration() {
    MacLinkConfiguration configuration;
    configuration.backendBaseURL = "https://backend.example";
    configuration.macDeviceId = "dev_mac";
    configuration.iosDeviceId = "ios-1";
    configuration.iosSigningPublicKeyBase64 = "c2lnbg==";
    configuration.iosEncryptionPublicKeyBase64 = "ZW5j";
    return configuration;
}

TEST_F(ModelTest, FirstStartInAnEmptyFolderKeepsTheBuiltInTargetsInMemoryAndOnDisk) {
    auto model = makeModel();
    EXPECT_EQ(model->targets(), defaultTargets());
    EXPECT_EQ(MacTargetStore::load(), defaultTargets());
    EXPECT_EQ(daemon->starts, 1);
    EXPECT_EQ(model->bluetoothStatus(), BluetoothStatus{});
    EXPECT_EQ(bluetoothStatusText(model->bluetoothStatus()), "準備中");
    EXPECT_FALSE(model->appSelectionStepFinished());
    EXPECT_EQ(accessibility->prompts, std::vector<bool>{false});
    EXPECT_FALSE(model->nativeHostInstallError());
    EXPECT_TRUE(model->connection().nativeHostInstalled);
    EXPECT_EQ(model->connection().nativeHostManifestPath,
              (home.configHome() / "google-chrome/NativeMessagingHosts/app.quorvel.native.json")
                  .string());
    EXPECT_EQ(model->authorizationRevision(), 0);
    EXPECT_EQ(model->loginItemStatusText(), "not registered");
}

TEST_F(ModelTest, BothManifestsAreWrittenAndReadByPythonsJsonTool) {
    auto model = makeModel();
    for (const char* browser : {"google-chrome", "chromium"}) {
        const auto file =
            home.configHome() / browser / "NativeMessagingHosts/app.quorvel.native.json";
        ASSERT_TRUE(files::exists(file)) << browser;
        QProcess tool;
        tool.start("python3", {"-m", "json.tool", QString::fromStdString(file.string())});
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        const std::string text = readFile(file);
        EXPECT_NE(text.find("\"chrome-extension://hfopaiemkcjnbdlgpahfkeimonjcdbla/\""),
                  std::string::npos);
        EXPECT_NE(text.find("\"path\" : \"/opt/pellorim/bin/QuorvelNativeHost\""),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("\\/"), std::string::npos);
    }
}

TEST_F(ModelTest, ManifestFailureIsShownAndTheRestOfStartUpGoesOn) {
    // A plain file where the browser's folder should be.
    writeFile(home.configHome() / "google-chrome", "not a folder");
    auto model = makeModel();
    ASSERT_TRUE(model->nativeHostInstallError());
    EXPECT_FALSE(model->connection().nativeHostInstalled);
    EXPECT_EQ(model->targets(), defaultTargets());
}

TEST_F(ModelTest, UsableTargetFilesAreKeptAndUnusableOnesAreMovedAsideBeforeTheDefaults) {
    struct Case {
        const char* name;
        std::string contents;
        bool usable;
    };
    const std::vector<Case> cases = {
        {"empty list", "[]", true},
        {"not JSON", "{{{", false},
        {"missing enabled",
         R"([{"id":"a","kind":"macApp","displayName":"A","identifier":"a","inheritsDefaultPolicy":true}])",
         false},
        {"unknown kind",
         R"([{"id":"a","kind":"iosApp","displayName":"A","identifier":"a","enabled":true,"inheritsDefaultPolicy":true}])",
         false},
    };
    for (const auto& c : cases) {
        testkit::TempXdgHome caseHome;
        std::filesystem::create_directories(caseHome.stateFolder());
        writeFile(caseHome.stateFolder() / "mac-targets.json", c.contents);
        auto model = makeModel();
        EXPECT_EQ(model->targets(), defaultTargets()) << c.name;
        EXPECT_EQ(MacTargetStore::load(), defaultTargets()) << c.name;
        int kept = 0;
        for (const auto& entry : std::filesystem::directory_iterator(caseHome.stateFolder())) {
            if (entry.path().filename().string().rfind("mac-targets.json.unreadable-", 0) != 0)
                continue;
            ++kept;
            EXPECT_EQ(readFile(entry.path()), c.contents) << c.name;
        }
        EXPECT_EQ(kept, c.usable ? 0 : 1) << c.name;
    }
}

TEST_F(ModelTest, AppSelectionStepFollowsTheStoredFlagOrAnApplicationTarget) {
    struct Case {
        const char* name;
        bool withApp;
        bool storedFlag;
        bool expected;
    };
    for (const auto& c : std::vector<Case>{{"web only", false, false, false},
                                           {"one application", true, false, true},
                                           {"stored flag", false, true, true}}) {
        testkit::TempXdgHome caseHome;
        std::vector<MacLockTarget> targets = defaultTargets();
        if (c.withApp)
            targets.push_back(appTarget("org.example.Game", "Game"));
        std::filesystem::create_directories(caseHome.stateFolder());
        MacTargetStore::save(targets);
        if (c.storedFlag)
            defaults->setBoolean("mac.setup.app-selection-step-finished", true);
        auto model = makeModel();
        EXPECT_EQ(model->appSelectionStepFinished(), c.expected) << c.name;
        EXPECT_EQ(defaults->boolean("mac.setup.app-selection-step-finished").value_or(false),
                  c.expected)
            << c.name;
    }
}

TEST_F(ModelTest, OpenAllowWindowsAreReArmedAndEndedOnesAreNot) {
    // The model's clock stands still, so however long its start takes on a loaded machine, the
    // open window is still open when it is re-armed; the re-armed end runs on the boot clock.
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    const Date now = clock->now();
    AllowWindowStateStore::save(
        {{"web-x", now.addingSeconds(1.5)}, {"web-youtube", now.addingSeconds(-10)}},
        AllowWindowStateStore::filePath());
    auto deps = dependencies();
    deps.clock = clock;
    MacAppModel model(deps);
    EXPECT_EQ(model.activeAllowWindows().size(), 1u);
    EXPECT_TRUE(model.allowUntil("web-x"));
    EXPECT_FALSE(model.allowUntil("web-youtube"));
    ASSERT_TRUE(runLoopUntil([&] { return model.authorizationRevision() == 1; }));
    EXPECT_FALSE(model.allowUntil("web-x"));
    EXPECT_TRUE(AllowWindowStateStore::load(Date{}).empty());
}

TEST_F(ModelTest, DaemonStartFailureIsShownAsTheSelectionMessage) {
    daemon->failure = "QuorvelNativeHost がありません";
    auto model = makeModel();
    EXPECT_EQ(model->applicationSelectionMessage(),
              std::string("Bluetooth連携を開始できませんでした: QuorvelNativeHost がありません"));
    EXPECT_EQ(model->targets(), defaultTargets());
}

TEST_F(ModelTest, ConfigurationChangedNotificationClearsThePendingOfferOfAUsableLink) {
    auto model = makeModel();
    model->startPairing();
    ASSERT_TRUE(model->pairing().sessionId);
    PairingState before = model->pairing();
    MacLinkConfigurationStore::save(usableConfiguration());
    DBusNotificationPoster::connect()->post(
        BLELocalPairingSessionStore::configurationChangedNotification);
    ASSERT_TRUE(runLoopUntil([&] { return model->pairing().pairedIPhoneName.has_value(); }));
    EXPECT_EQ(model->pairing().pairedIPhoneName, std::string("ios-1"));
    EXPECT_FALSE(model->pairing().sessionId);
    EXPECT_FALSE(model->pairing().code);
    EXPECT_FALSE(model->pairing().qrURL);
    EXPECT_FALSE(model->pairing().expiresAt);
    EXPECT_FALSE(model->pairing().status);
    EXPECT_TRUE(model->setupStatus().iPhonePaired);
    EXPECT_EQ(model->macLinkConfiguration(), usableConfiguration());
}

TEST_F(ModelTest, UndecodableConfigurationChangesNothing) {
    MacLinkConfigurationStore::save(usableConfiguration());
    auto model = makeModel();
    ASSERT_TRUE(model->pairing().pairedIPhoneName);
    writeFile(MacLinkConfigurationStore::filePath(), "{\"macDeviceId\": 5}");
    model->refreshPairingStatus();
    EXPECT_EQ(model->macLinkConfiguration(), usableConfiguration());
    EXPECT_EQ(model->pairing().pairedIPhoneName, std::string("ios-1"));
}

TEST_F(ModelTest, SyncedTargetsNotificationAppliesTheStoredList) {
    auto model = makeModel();
    SyncedTargetList list;
    list.version = 3;
    list.webTargets.push_back({"sync-news", "news.example", "News", true, std::nullopt,
                               DefaultLockPolicy::defaultFree()});
    SyncedTargetStateStore::save(list);
    int changes = 0;
    QObject::connect(model.get(), &MacAppModel::targetsChanged, [&] { ++changes; });
    DBusNotificationPoster::connect()->post(SyncedTargetStateStore::changedNotification);
    ASSERT_TRUE(runLoopUntil([&] { return model->webTargetsManagedByIOS(); }));
    ASSERT_EQ(model->targets().size(), 1u);
    EXPECT_EQ(model->targets()[0].id, "sync-news");
    EXPECT_EQ(model->targetSyncVersion(), 3);
    EXPECT_EQ(changes, 1);
}

TEST_F(ModelTest, ConnectionChangedNotificationRefreshesTheBluetoothStatus) {
    auto model = makeModel();
    ASSERT_EQ(model->bluetoothStatus(), BluetoothStatus{});
    writeFile(stateFile("ble-connection-state.json"),
              R"({"status":"connected","detail":"iPhoneと接続しています","updatedAt":700000000})");
    DBusNotificationPoster::connect()->post("app.quorvel.bleBridge.connectionChanged");
    ASSERT_TRUE(runLoopUntil([&] { return model->bluetoothStatus().link.has_value(); }));
    EXPECT_EQ(model->bluetoothStatus(),
              (BluetoothStatus{BluetoothLinkState::connected, "iPhoneと接続しています"}));
}

TEST_F(ModelTest, ObserverWorkAfterTheModelIsGoneDoesNothing) {
    auto model = makeModel();
    auto bus = DBusNotificationPoster::connect();
    bool markerSeen = false;
    DistributedNotificationObserver marker("test." + newUuidText() + ".marker",
                                           [&] { markerSeen = true; });
    bus->post("app.quorvel.bleBridge.connectionChanged");
    bus->post(SyncedTargetStateStore::changedNotification);
    model.reset();
    // The marker arrives after both posts; what they left for a later turn runs after it.
    bus->post(marker.name());
    ASSERT_TRUE(runLoopUntil([&] { return markerSeen; }));
    drainLoop();
    SUCCEED();
}

TEST_F(ModelTest, DemonstrationModeStartsNothingAndWritesNothing) {
    auto model = makeModel(true);
    EXPECT_EQ(daemon->starts, 0);
    EXPECT_FALSE(files::exists(stateFile("mac-targets.json")));
    EXPECT_FALSE(files::exists(home.configHome() / "google-chrome"));
    EXPECT_FALSE(defaults->boolean("mac.setup.app-selection-step-finished"));
    ASSERT_EQ(model->targets().size(), 3u);
    EXPECT_EQ(model->targets()[1].displayName, "動画");
    EXPECT_EQ(model->setupStatus().remainingRequiredSteps(), 0);
    EXPECT_TRUE(model->allowUntil("marketing-video"));
    EXPECT_EQ(model->activeAllowWindows().count("marketing-video"), 1u);
    EXPECT_TRUE(model->refreshAccessibilityPermission(false));
    EXPECT_TRUE(accessibility->prompts.empty());
    EXPECT_EQ(model->bluetoothStatus(),
              (BluetoothStatus{BluetoothLinkState::connected, "接続済み"}));
}

}  // namespace
}  // namespace quorvel::modeltest
