#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "model_fixture.hpp"

namespace quorvel::modeltest {
namespace {

using testkit::readFile;

TEST(MacLockTargetJson, RoundTripsAllFieldsWithSortedKeysAndAbsentOptionalsLeftOut) {
    testkit::TempXdgHome home;
    MacLockTarget withAll = appTarget("org.example.Game", "Game");
    withAll.enabled = false;
    withAll.inheritsDefaultPolicy = false;
    withAll.policyOverride = DefaultLockPolicy::defaultFree();
    withAll.policyOverride->warningBeforeEndSeconds = 5;
    std::vector<MacLockTarget> list = {defaultTargets()[0], withAll};
    MacTargetStore::save(list);
    EXPECT_EQ(MacTargetStore::load(), list);
    const std::string text = readFile(MacTargetStore::filePath());
    const std::vector<std::string> keys = {
        "applicationURLPath", "displayName",           "enabled", "id",
        "identifier",         "inheritsDefaultPolicy", "kind",    "policyOverride"};
    std::size_t at = text.rfind("{\n", text.find("\"org.example.Game\""));
    for (const auto& key : keys) {
        const std::size_t next = text.find("\"" + key + "\"", at);
        ASSERT_NE(next, std::string::npos) << key;
        at = next;
    }
    EXPECT_EQ(text.find("policyOverride"), text.rfind("policyOverride"));

    testkit::writeFile(
        MacTargetStore::filePath(),
        R"([{"id":"a","kind":"webDomain","displayName":"A","identifier":"a.example","enabled":true,)"
        R"("inheritsDefaultPolicy":true,"policyOverride":null,"unknown":1}])");
    const auto loaded = MacTargetStore::load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_FALSE(loaded[0].policyOverride);
    EXPECT_FALSE(loaded[0].applicationURLPath);
}

TEST_F(ModelTest, AddingApplicationsReportsAddedDuplicateAndRefusedOnesInOrder) {
    auto model = makeModel();
    model->addMacApplicationTargets({{"org.example.Game", "Game", "/a/game.desktop"}});
    EXPECT_EQ(model->applicationSelectionMessage(), std::string("1件のアプリを追加しました。"));
    EXPECT_TRUE(model->appSelectionStepFinished());
    EXPECT_EQ(accessibility->prompts.back(), true);

    model->addMacApplicationTargets({{"org.example.Chat", "Chat", "/a/chat.desktop"},
                                     {"org.example.Game", "Game", "/a/game.desktop"},
                                     {"app.quorvel.mac", "Pellorim", "/a/self.desktop"}});
    EXPECT_EQ(model->applicationSelectionMessage(),
              std::string("1件のアプリを追加しました。 追加済みのアプリ 1件は変更していません。 "
                          "Pellorim自身はロック対象にできません。"));
    ASSERT_EQ(model->targets().size(), 4u);
    EXPECT_EQ(model->targets()[3].id, "mac-app:org.example.Chat");
    EXPECT_EQ(MacTargetStore::load(), model->targets());

    model->addMacApplicationTargets({{"org.example.Chat", "Chat", "/a/chat.desktop"},
                                     {"org.example.Chat", "Chat", "/a/chat.desktop"}});
    EXPECT_EQ(model->applicationSelectionMessage(),
              std::string("追加済みのアプリ 2件は変更していません。"));
    EXPECT_EQ(accessibility->prompts.back(), false);

    model->addMacApplicationTargets({});
    EXPECT_EQ(model->applicationSelectionMessage(),
              std::string("追加済みのアプリ 2件は変更していません。"));
}

TEST_F(ModelTest, SyncedListReplacesEveryWebTargetAndGivesApplicationsItsPolicy) {
    auto model = makeModel();
    model->addMacApplicationTargets({{"org.example.Game", "Game", "/a/game.desktop"}});
    DefaultLockPolicy appPolicy = DefaultLockPolicy::defaultFree();
    appPolicy.warningBeforeEndSeconds = 30;
    SyncedTargetList list;
    list.version = 7;
    list.settingsRelaxationProtection = {true, 20};
    list.macAppUnlockPolicy = appPolicy;
    list.webTargets.push_back({"sync-a", "a.example", "A", false, std::string("linked-1"),
                               DefaultLockPolicy::defaultFree()});
    SyncedTargetStateStore::save(list);
    model->refreshPairingStatus();  // reloading the link re-applies the stored list
    ASSERT_EQ(model->targets().size(), 2u);
    EXPECT_EQ(model->targets()[0].id, "sync-a");
    EXPECT_FALSE(model->targets()[0].enabled);
    EXPECT_FALSE(model->targets()[0].inheritsDefaultPolicy);
    EXPECT_EQ(model->targets()[1].policyOverride, appPolicy);
    EXPECT_FALSE(model->targets()[1].inheritsDefaultPolicy);
    EXPECT_TRUE(model->webTargetsManagedByIOS());
    EXPECT_EQ(model->targetSyncVersion(), 7);
    EXPECT_EQ(model->settingsRelaxationConfiguration(),
              (SettingsRelaxationProtectionConfiguration{true, 20}));
    const auto policies = MacTargetPolicyStore::load();
    EXPECT_EQ(policies.size(), 2u);
    EXPECT_EQ(policies.at("mac-app:org.example.Game"), appPolicy);

    list.webTargets.clear();
    list.macAppUnlockPolicy.reset();
    list.version = 8;
    SyncedTargetStateStore::save(list);
    model->refreshPairingStatus();
    ASSERT_EQ(model->targets().size(), 1u);
    EXPECT_EQ(model->targets()[0].policyOverride, appPolicy);
}

TEST_F(ModelTest, InheritingTargetsHaveNoPolicyEntryAndOverridelessOnesTheBuiltInPolicy) {
    auto model = makeModel();
    auto targets = model->targets();
    targets[0].inheritsDefaultPolicy = false;
    model->setTargets(targets);
    model->saveTargets();
    const auto policies = MacTargetPolicyStore::load();
    ASSERT_EQ(policies.size(), 1u);
    EXPECT_EQ(policies.at(targets[0].id), DefaultLockPolicy::defaultFree());
    EXPECT_FALSE(model->targetStoreError());
}

TEST_F(ModelTest, FailedSaveIsShownAndClearedByTheNextGoodOne) {
    auto model = makeModel();
    std::filesystem::remove(MacTargetStore::filePath());
    std::filesystem::create_directory(MacTargetStore::filePath());
    model->saveTargets();
    EXPECT_TRUE(model->targetStoreError());
    std::filesystem::remove(MacTargetStore::filePath());
    model->saveTargets();
    EXPECT_FALSE(model->targetStoreError());
}

TEST_F(ModelTest, EnablingTouchesOnlyApplicationTargets) {
    auto model = makeModel();
    model->addMacApplicationTargets({{"org.example.Game", "Game", "/a/game.desktop"}});
    const auto written = std::filesystem::last_write_time(MacTargetStore::filePath());
    std::filesystem::remove(MacTargetStore::filePath());
    model->setMacAppTargetEnabled("web-x", false);
    EXPECT_FALSE(files::exists(MacTargetStore::filePath()));
    EXPECT_TRUE(model->targets()[0].enabled);
    model->setMacAppTargetEnabled("mac-app:org.example.Game", false);
    EXPECT_FALSE(model->targets()[2].enabled);
    EXPECT_FALSE(MacTargetStore::load()[2].enabled);
    (void)written;
}

TEST_F(ModelTest, RemovingAnApplicationEndsItsWindowClosesItsPanelAndWithdrawsItsWarning) {
    auto model = makeModel();
    model->addMacApplicationTargets({{"org.example.Game", "Game", "/a/game.desktop"}});
    const MacLockTarget game = model->targets()[2];
    model->applyApproval(game.id, systemClock().now().addingSeconds(3600), std::nullopt);
    model->setOverlay(LockOverlayState{game, LockOverlayState::Status::locked()});
    const auto revision = model->authorizationRevision();
    userNotifications->removed.clear();

    model->removeMacAppTarget("web-x");  // not an application: nothing happens
    EXPECT_EQ(model->targets().size(), 3u);

    model->removeMacAppTarget(game.id);
    EXPECT_EQ(model->targets().size(), 2u);
    EXPECT_FALSE(model->overlay());
    EXPECT_EQ(model->authorizationRevision(), revision + 1);
    EXPECT_FALSE(model->allowUntil(game.id));
    EXPECT_EQ(AllowWindowStateStore::load(systemClock().now()).count(game.id), 0u);
    EXPECT_EQ(userNotifications->removed,
              std::vector<std::string>{"quorvel.mac.unlock-warning." + game.id});
    EXPECT_EQ(MacTargetStore::load().size(), 2u);
    drainLoop();
}

}  // namespace
}  // namespace quorvel::modeltest
