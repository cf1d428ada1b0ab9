#include "QuorvelMac/shell/lock_decision.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

MacLockTarget app(std::string id, std::string identifier, bool enabled = true) {
    MacLockTarget target;
    target.id = std::move(id);
    target.kind = MacLockTarget::Kind::macApp;
    target.displayName = target.id;
    target.identifier = std::move(identifier);
    target.enabled = enabled;
    return target;
}

MacLockTarget web(std::string id, std::string domain) {
    MacLockTarget target = app(std::move(id), std::move(domain));
    target.kind = MacLockTarget::Kind::webDomain;
    return target;
}

const Date now = Date{1000};

struct Case {
    const char* name;
    RunningApplicationSnapshot front;
    LockDecisionInput input;
    LockDecision expected;
};

TEST(LockDecisionTest, DecisionTable) {
    const auto editor = app("mac-app:editor", "org.example.Editor");
    const auto editorAgain = app("mac-app:editor-2", "org.example.Editor");
    const auto disabled = app("mac-app:editor-off", "org.example.Editor", false);
    const auto site = web("web-x", "org.example.Editor");
    const RunningApplicationSnapshot front{"Editor", "org.example.Editor", 42};
    const LockDecision release{};
    auto locked = [](const MacLockTarget& t,
                     LockDecision::Kind kind = LockDecision::Kind::lockNew) {
        return LockDecision{kind, t, 42};
    };
    const LockOverlayState waiting{editor, LockOverlayState::Status::waitingForIPhone(Date{2000})};
    const LockOverlayState otherTarget{site, LockOverlayState::Status::requesting()};

    const std::vector<Case> cases = {
        {"matching enabled target locks", front, {true, {editor}, {}, now, {}}, locked(editor)},
        {"permission missing releases", front, {false, {editor}, {}, now, {}}, release},
        {"no bundle identifier releases",
         {"X", std::nullopt, 42},
         {true, {editor}, {}, now, {}},
         release},
        {"no matching target",
         {"X", "org.example.Other", 42},
         {true, {editor}, {}, now, {}},
         release},
        {"identifier compared case-sensitively",
         {"X", "org.example.editor", 42},
         {true, {editor}, {}, now, {}},
         release},
        {"disabled target never locks", front, {true, {disabled}, {}, now, {}}, release},
        {"disabled first, enabled second",
         front,
         {true, {disabled, editorAgain}, {}, now, {}},
         locked(editorAgain)},
        {"first of two enabled targets",
         front,
         {true, {editor, editorAgain}, {}, now, {}},
         locked(editor)},
        {"web target with the same identifier", front, {true, {site}, {}, now, {}}, release},
        {"open allow window releases",
         front,
         {true, {editor}, {{editor.id, Date{1001}}}, now, {}},
         release},
        {"allow window ending now locks",
         front,
         {true, {editor}, {{editor.id, now}}, now, {}},
         locked(editor)},
        {"ended allow window locks",
         front,
         {true, {editor}, {{editor.id, Date{999}}}, now, {}},
         locked(editor)},
        {"allow window of another target",
         front,
         {true, {editor}, {{"mac-app:other", Date{5000}}}, now, {}},
         locked(editor)},
        {"same target shown: resumed with its status",
         front,
         {true, {editor}, {}, now, waiting},
         locked(editor, LockDecision::Kind::resume)},
        {"overlay of another target: fresh lock",
         front,
         {true, {editor}, {}, now, otherTarget},
         locked(editor)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decideLock(c.front, c.input), c.expected) << c.name;
}

}  // namespace
}  // namespace quorvel
