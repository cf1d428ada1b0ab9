#include "QuorvelShared/unlockstate/synced_web_target_builder.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TargetLockPolicy target(std::string id, TargetType type, std::optional<std::string> name,
                        std::vector<std::string> domains = {}) {
    TargetLockPolicy policy;
    policy.targetId = std::move(id);
    policy.targetType = type;
    policy.displayName = std::move(name);
    policy.associatedDomains = std::move(domains);
    return policy;
}

class SyncedWebTargetBuilderTest : public ::testing::Test {
protected:
    DefaultLockPolicy global = DefaultLockPolicy::defaultFree();
    TargetLockPolicy strictApp = [] {
        auto app = target("ios-1", TargetType::iosApp, "  Video \n",
                          {"https://www.Video.com/watch", "video.com", "not a host", "clips.tv"});
        app.override.warningBeforeEndSeconds = 15;
        return app;
    }();
};

TEST_F(SyncedWebTargetBuilderTest, LinkedEntriesFirstThenStandaloneOnesEachDomainOnce) {
    const std::vector<TargetLockPolicy> targets{
        target("web:news.example.org", TargetType::webDomain, std::nullopt, {"ignored.com"}),
        strictApp,
        target("web:clips.tv", TargetType::webDomain, "Clips"),            // claimed by ios-1
        target("other:shop.com", TargetType::webDomain, "Shop"),           // lacks the prefix
        target("web:not a host", TargetType::webDomain, "Broken"),         // does not normalise
        target("web:WWW.News.example.org", TargetType::webDomain, "Dup"),  // claimed just above
        target("ios-2", TargetType::iosApp, " \t", {"blog.net"}),
        target("ios-3", TargetType::iosApp, "Nothing"),
        target("mac", TargetType::macApp, "Mac", {"mac.com"}),
        target("iosweb", TargetType::iosWebDomain, "iOS web", {"iosweb.com"}),
        target("cat", TargetType::iosCategory, "Category", {"category.com"}),
    };
    const DefaultLockPolicy strict = strictApp.resolved(global);
    ASSERT_EQ(strict.warningBeforeEndSeconds, 15);
    const std::vector<SyncedWebTarget> expected{
        {"link:ios-1#video.com", "video.com", "Video", true, "ios-1", strict},
        {"link:ios-1#clips.tv", "clips.tv", "Video", true, "ios-1", strict},
        {"link:ios-2#blog.net", "blog.net", "blog.net", true, "ios-2", global},
        {"web:news.example.org", "news.example.org", "news.example.org", true, std::nullopt,
         global},
    };
    EXPECT_EQ(SyncedWebTargetBuilder::build(targets, global, "web:"), expected);
}

TEST_F(SyncedWebTargetBuilderTest, AnEmptyPrefixTakesEveryWebTargetId) {
    const std::vector<TargetLockPolicy> targets{
        target("Example.com", TargetType::webDomain, " Example "),
    };
    const std::vector<SyncedWebTarget> expected{
        {"Example.com", "example.com", "Example", true, std::nullopt, global},
    };
    EXPECT_EQ(SyncedWebTargetBuilder::build(targets, global, ""), expected);
}

}  // namespace
}  // namespace quorvel
