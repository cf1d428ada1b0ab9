#include "QuorvelShared/policy/url_host.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(UrlHost, HostOfTheAuthority) {
    struct Row {
        const char* url;
        std::optional<std::string> host;
    };
    const Row rows[] = {
        {"https://example.com", "example.com"},
        {"https://Example.COM/path?q=1#top", "Example.COM"},
        {"https://example.com?q=a/b", "example.com"},
        {"https://example.com#frag", "example.com"},
        {"https://user:pw@example.com:8443/x", "example.com"},
        {"https://a@b@example.com/", "example.com"},
        {"https://example.com:/", "example.com"},
        {"ftp://files.example.org/pub", "files.example.org"},
        {"chrome-extension+x.y://abc.def", "abc.def"},
        {"https://ex%61mple.com/", "example.com"},
        {"https://1.2.3.4:80", "1.2.3.4"},
        {"https://[::1]:8080/", "::1"},
        {"https://[2001:db8::7]", "2001:db8::7"},
        {"https://example.com/a%20b", "example.com"},
        // Not a URL with a host.
        {"example.com", std::nullopt},
        {"https://", std::nullopt},
        {"https:///path", std::nullopt},
        {"https://:80/", std::nullopt},
        {"https://user@/", std::nullopt},
        {"https://example.com:http/", std::nullopt},
        {"https://exa mple.com", std::nullopt},
        {"https://example.com/a b", std::nullopt},
        {"https://example.com/%zz", std::nullopt},
        {"https://ex%6", std::nullopt},
        {"https://例え.jp/", std::nullopt},
        {"https://[::1/", std::nullopt},
        {"https://[::1]x/", std::nullopt},
        {"https://[]/", std::nullopt},
        {"1https://example.com", std::nullopt},
        {"://example.com", std::nullopt},
        {"example.com/redirect?to=https://other.org", std::nullopt},
        {"https://exa\"mple.com", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(urlHost(row.url), row.host) << row.url;
    }
}

}  // namespace
}  // namespace quorvel
