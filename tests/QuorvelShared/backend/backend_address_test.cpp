#include "QuorvelShared/backend/backend_address.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/backend/quorvel_backend_defaults.hpp"

namespace quorvel::backend {
namespace {

TEST(BackendAddressTest, PathsAreAppendedToTheBasePath) {
    struct Case {
        const char* base;
        std::optional<std::string> address;  // with "/v1/devices" appended
    };
    const Case cases[] = {
        {"https://api.example", "https://api.example/v1/devices"},
        {"https://api.example/", "https://api.example/v1/devices"},
        {"https://api.example/base", "https://api.example/base/v1/devices"},
        {"https://api.example/base/", "https://api.example/base/v1/devices"},
        {"https://api.example:8443", "https://api.example:8443/v1/devices"},
        {"https://127.0.0.1:9", "https://127.0.0.1:9/v1/devices"},
        {"https://[::1]:9/x", "https://[::1]:9/x/v1/devices"},
        {"https://api.example/b?k=v", "https://api.example/b/v1/devices?k=v"},
        {"https://api.example?k=v#f", "https://api.example/v1/devices?k=v#f"},
        // Not absolute URLs: no address.
        {"", std::nullopt},
        {"api.example", std::nullopt},
        {"/v1", std::nullopt},
        {"https://", std::nullopt},
        {"https:///path", std::nullopt},
        {"1https://api.example", std::nullopt},
        {"https://api example", std::nullopt},
        {"https://api.example/%zz", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        EXPECT_EQ(address::appendingPath(c.base, "/v1/devices"), c.address);
    }
}

TEST(BackendAddressTest, IdentifiersBecomeOneEncodedSegment) {
    struct Case {
        const char* identifier;
        std::optional<std::string> segment;
    };
    const Case cases[] = {
        {"req_0F3A-77b", "req_0F3A-77b"},
        {"a.b~c", "a.b~c"},
        {"...", "..."},
        {"a/b", "a%2Fb"},
        {"../admin", "..%2Fadmin"},
        {"x?y#z", "x%3Fy%23z"},
        {"100%", "100%25"},
        {"a b+c&d=e", "a%20b%2Bc%26d%3De"},
        {"端末", "%E7%AB%AF%E6%9C%AB"},
        {"", std::nullopt},
        {".", std::nullopt},
        {"..", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.identifier);
        EXPECT_EQ(address::pathSegment(c.identifier), c.segment);
    }
}

TEST(BackendAddressTest, TheQueryHoldsExactlyOneEncodedItem) {
    EXPECT_EQ(address::withSingleQueryItem("https://h/v1/x", "ios_device_id", "A B"),
              "https://h/v1/x?ios_device_id=A%20B");
    EXPECT_EQ(address::withSingleQueryItem("https://h/v1/x?old=1#frag", "n", "a&b=c+d"),
              "https://h/v1/x?n=a%26b%3Dc%2Bd");
    EXPECT_EQ(address::withSingleQueryItem("https://h/v1/x", "n", ""), "https://h/v1/x?n=");
}

TEST(BackendAddressTest, TheDefaultBaseIsAnHttpsOriginWithoutPath) {
    const std::string base(kDefaultBaseURL);
    ASSERT_TRUE(base.starts_with("https://"));
    const std::string host = base.substr(8);
    EXPECT_FALSE(host.empty());
    EXPECT_EQ(host.find_first_of("/?#"), std::string::npos);
    EXPECT_EQ(address::appendingPath(base, "/v1/account"), base + "/v1/account");
}

}  // namespace
}  // namespace quorvel::backend
