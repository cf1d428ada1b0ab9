#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "model_fixture.hpp"
#include "testkit/fakes.hpp"

namespace quorvel::modeltest {
namespace {

using testkit::writeFile;

TEST_F(ModelTest, BluetoothStatusShowsTheDetailOrTheWordAndSignalsOnlyOnChange) {
    auto model = makeModel();
    int changes = 0;
    QObject::connect(model.get(), &MacAppModel::bluetoothStatusChanged, [&] { ++changes; });
    struct Case {
        const char* name;
        std::optional<std::string> fileContents;
        std::string text;
        BluetoothStatus status;
    };
    const std::vector<Case> cases = {
        {"word only",
         R"({"status":"connected","updatedAt":700000000})",
         "connected",
         {BluetoothLinkState::connected, std::nullopt}},
        {"with detail",
         R"({"status":"advertising","detail":"iPhoneを待っています","updatedAt":700000000})",
         "iPhoneを待っています",
         {BluetoothLinkState::advertising, "iPhoneを待っています"}},
        {"another writer's word",
         R"({"status":"poweredOff","updatedAt":700000000})",
         "poweredOff",
         {BluetoothLinkStatus::fromWord("poweredOff"), std::nullopt}},
        {"undecodable", R"({"status":5})", "準備中", {}},
        {"no file", std::nullopt, "準備中", {}},
    };
    for (const auto& c : cases) {
        if (c.fileContents)
            writeFile(BLELocalConnectionStore::filePath(), *c.fileContents);
        else
            std::filesystem::remove(BLELocalConnectionStore::filePath());
        model->refreshBluetoothStatus();
        EXPECT_EQ(model->bluetoothStatus(), c.status) << c.name;
        EXPECT_EQ(bluetoothStatusText(model->bluetoothStatus()), c.text) << c.name;
    }
    const int before = changes;
    model->refreshBluetoothStatus();
    EXPECT_EQ(changes, before);
}

TEST_F(ModelTest, ProfilesCountAsConnectedForTenSecondsAfterTheyWereSeen) {
    const Date now = Date{800000000};
    auto clock = std::make_shared<testkit::FixedClock>(now);
    auto deps = dependencies();
    deps.clock = clock;
    MacAppModel model(deps);
    Json list = Json::array();
    auto entry = [](const char* id, Date seen) {
        Json value = Json::object();
        value["profileId"] = id;
        value["displayName"] = std::string("Profile ") + id;
        value["lastSeenAt"] = formatIsoDate(seen);
        return value;
    };
    list.push_back(entry("future", now.addingSeconds(30)));
    list.push_back(entry("exactly-ten", now.addingSeconds(-10)));
    list.push_back(entry("eleven", now.addingSeconds(-11)));
    writeFile(ChromeProfileConnectionStore::filePath(),
              json::write(list, json::Style::prettySorted));
    model.refreshChromeProfiles();
    ASSERT_EQ(model.chromeProfiles().size(), 3u);
    std::map<std::string, bool> connected;
    for (const auto& profile : model.chromeProfiles())
        connected[profile.id] = profile.connected;
    EXPECT_TRUE(connected["future"]);
    EXPECT_TRUE(connected["exactly-ten"]);
    EXPECT_FALSE(connected["eleven"]);
    EXPECT_EQ(model.chromeConnectionSummary(), "Chrome拡張とMacアプリは接続済み");
    EXPECT_EQ(model.chromeConnectionDetail(), "Chromeから解除申請を受け取れる状態です。");
    EXPECT_TRUE(model.setupStatus().chromeConnected);

    writeFile(ChromeProfileConnectionStore::filePath(), "not json");
    model.refreshChromeProfiles();
    EXPECT_TRUE(model.chromeProfiles().empty());
    EXPECT_EQ(model.chromeConnectionSummary(), "Chrome拡張とMacアプリは未接続");
}

TEST_F(ModelTest, BrowserDetailFollowsTheManifestFile) {
    auto model = makeModel();
    EXPECT_EQ(model->chromeConnectionDetail(), "Chromeを開き、Pellorim拡張を一度開いてください。");
    int connectionSignals = 0;
    QObject::connect(model.get(), &MacAppModel::connectionChanged, [&] { ++connectionSignals; });
    std::filesystem::remove(model->connection().nativeHostManifestPath);
    model->refreshNativeHostStatus();
    EXPECT_FALSE(model->connection().nativeHostInstalled);
    EXPECT_EQ(model->chromeConnectionDetail(),
              "Chrome連携の準備が完了していません。Macアプリを再起動してください。");
    // A field changed in place signals even when it holds the same value.
    model->refreshNativeHostStatus();
    EXPECT_EQ(connectionSignals, 2);
}

TEST_F(ModelTest, SetupStatusCountsTheOpenRequiredSteps) {
    const std::vector<std::pair<MacSetupStatus, int>> cases = {
        {{false, false, false, false}, 3},
        {{true, false, true, true}, 1},
        {{true, true, true, false}, 0},
        {{false, true, true, true}, 1},
    };
    for (const auto& [status, remaining] : cases)
        EXPECT_EQ(status.remainingRequiredSteps(), remaining);

    accessibility->trusted = true;
    auto model = makeModel();
    int setupSignals = 0;
    QObject::connect(model.get(), &MacAppModel::setupStatusChanged, [&] { ++setupSignals; });
    EXPECT_EQ(model->setupStatus(), (MacSetupStatus{true, false, false, false}));
    model->finishAppSelectionStep();
    EXPECT_EQ(model->setupStatus().remainingRequiredSteps(), 1);
    EXPECT_EQ(setupSignals, 1);
    model->finishAppSelectionStep();
    EXPECT_EQ(setupSignals, 1);
    EXPECT_EQ(defaults->boolean("mac.setup.app-selection-step-finished"), true);
}

TEST_F(ModelTest, AccessibilityCheckPassesThePromptAndStoresTheAnswer) {
    auto model = makeModel();
    EXPECT_FALSE(model->accessibilityPermissionGranted());
    accessibility->trusted = true;
    EXPECT_TRUE(model->refreshAccessibilityPermission(true));
    EXPECT_TRUE(model->accessibilityPermissionGranted());
    EXPECT_EQ(accessibility->prompts, (std::vector<bool>{false, true}));
    model->openAccessibilitySettings();
    EXPECT_EQ(accessibility->settingsOpened, 1);
}

TEST_F(ModelTest, LoginItemIsTheAutostartEntry) {
    auto model = makeModel();
    const auto entry = home.configHome() / "autostart/app.quorvel.mac.desktop";
    EXPECT_FALSE(model->loginItemEnabled());
    model->setLoginItemEnabled(true);
    EXPECT_TRUE(model->loginItemEnabled());
    EXPECT_EQ(model->loginItemStatusText(), "enabled");
    EXPECT_FALSE(model->loginItemError());
    const std::string text = testkit::readFile(entry);
    EXPECT_NE(text.find("Exec=\"/opt/pellorim/bin/QuorvelMac\"\n"), std::string::npos) << text;
    model->setLoginItemEnabled(false);
    EXPECT_FALSE(model->loginItemEnabled());
    EXPECT_EQ(model->loginItemStatusText(), "not registered");
    EXPECT_FALSE(files::exists(entry));
    model->setLoginItemEnabled(false);
    EXPECT_FALSE(model->loginItemError());
}

TEST_F(ModelTest, FailedLoginItemChangeIsShownUntilAChangeSucceeds) {
    auto model = makeModel();
    writeFile(home.configHome() / "autostart", "a file where the folder belongs");
    model->setLoginItemEnabled(true);
    EXPECT_TRUE(model->loginItemError());
    EXPECT_FALSE(model->loginItemEnabled());
    std::filesystem::remove(home.configHome() / "autostart");
    model->setLoginItemEnabled(true);
    EXPECT_FALSE(model->loginItemError());
    EXPECT_TRUE(model->loginItemEnabled());
}

TEST(XdgAutostart, ExecValuesQuoteReservedCharacters) {
    EXPECT_EQ(XdgAutostart::execValue("/opt/a b/QuorvelMac"), "\"/opt/a b/QuorvelMac\"");
    EXPECT_EQ(XdgAutostart::execValue("/opt/$x\"y"), "\"/opt/\\\\$x\\\\\"y\"");
}

}  // namespace
}  // namespace quorvel::modeltest
