#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

class RelaxationControllerTest : public ::testing::Test {
protected:
    void guard() { controller.updateConfiguration({true, 16}); }
    void raise() {
        controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
            "ロック対象", "Editorを外す", controller.configuration().codeLength,
            [this] { ++applied; }));
    }
    std::string code() const { return controller.pendingChallenge()->code; }

    MacSettingsRelaxationProtectionController controller;
    int applied = 0;
};

TEST_F(RelaxationControllerTest, StartsOffWithTheDefaultConfiguration) {
    EXPECT_EQ(controller.configuration(), (SettingsRelaxationProtectionConfiguration{false, 16}));
    EXPECT_FALSE(controller.isEffectiveEnabled());
    EXPECT_FALSE(controller.isEditingSessionActive());
    EXPECT_FALSE(controller.pendingChallenge());
    EXPECT_FALSE(controller.needsChallenge());
}

TEST_F(RelaxationControllerTest, ChallengeCodeHasTheConfiguredLength) {
    controller.updateConfiguration({true, 24});
    raise();
    EXPECT_EQ(code().size(), 24u);
    EXPECT_EQ(controller.pendingChallenge()->changeDescription, "Editorを外す");
}

TEST_F(RelaxationControllerTest, CodesAreComparedExactly) {
    guard();
    raise();
    const std::string right = code();
    std::string otherCase = right;
    for (char& c : otherCase)
        c = std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c);
    for (const std::string& wrong : {otherCase, right + " ", " " + right, std::string()}) {
        EXPECT_FALSE(controller.confirm(wrong)) << wrong;
        EXPECT_TRUE(controller.pendingChallenge()) << "a wrong code leaves the challenge pending";
        EXPECT_FALSE(controller.isEditingSessionActive());
    }
    EXPECT_EQ(applied, 0);
    EXPECT_TRUE(controller.confirm(right));
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(controller.pendingChallenge());
    EXPECT_TRUE(controller.isEditingSessionActive());
    EXPECT_FALSE(controller.needsChallenge()) << "further weakening edits run at once";
}

TEST_F(RelaxationControllerTest, SessionIsOpenBeforeTheEditRuns) {
    guard();
    bool sessionSeenByEdit = false;
    controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
        "ロック対象", "x", 16, [&] { sessionSeenByEdit = controller.isEditingSessionActive(); }));
    ASSERT_TRUE(controller.confirm(code()));
    EXPECT_TRUE(sessionSeenByEdit);
}

TEST_F(RelaxationControllerTest, ConfirmWithoutChallengeOpensNoSession) {
    guard();
    EXPECT_FALSE(controller.confirm("anything"));
    EXPECT_FALSE(controller.isEditingSessionActive());
}

TEST_F(RelaxationControllerTest, TurningOffDropsTheChallengeAndEndsTheSession) {
    guard();
    raise();
    controller.setEditingSessionActive(true);
    controller.updateConfiguration({false, 16});
    EXPECT_FALSE(controller.pendingChallenge());
    EXPECT_FALSE(controller.isEditingSessionActive());
    EXPECT_FALSE(controller.isEffectiveEnabled());
    EXPECT_EQ(applied, 0);
}

TEST_F(RelaxationControllerTest, NewChallengeReplacesTheOldOne) {
    guard();
    raise();
    const auto firstId = controller.pendingChallenge()->id;
    int second = 0;
    controller.setPendingChallenge(
        PendingMacSettingsRelaxationChallenge::make("ロック対象", "y", 16, [&] { ++second; }));
    EXPECT_NE(controller.pendingChallenge()->id, firstId);
    ASSERT_TRUE(controller.confirm(code()));
    EXPECT_EQ(applied, 0) << "the replaced edit is never applied";
    EXPECT_EQ(second, 1);
}

TEST_F(RelaxationControllerTest, EqualValuesDoNotNotify) {
    int configuration = 0, enabled = 0, session = 0;
    QObject::connect(&controller, &MacSettingsRelaxationProtectionController::configurationChanged,
                     [&] { ++configuration; });
    QObject::connect(&controller,
                     &MacSettingsRelaxationProtectionController::isEffectiveEnabledChanged,
                     [&] { ++enabled; });
    QObject::connect(&controller,
                     &MacSettingsRelaxationProtectionController::isEditingSessionActiveChanged,
                     [&] { ++session; });
    controller.updateConfiguration({false, 16});
    EXPECT_EQ(configuration, 0);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(session, 0);
    guard();
    guard();
    EXPECT_EQ(configuration, 1);
    EXPECT_EQ(enabled, 1);
}

}  // namespace
}  // namespace quorvel
