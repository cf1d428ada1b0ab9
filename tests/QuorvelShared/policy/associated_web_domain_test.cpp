#include "QuorvelShared/policy/associated_web_domain.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(AssociatedWebDomain, Normalize) {
    struct Row {
        const char* text;
        std::optional<std::string> host;
    };
    const Row rows[] = {
        {"  example.com  ", "example.com"},
        {"WWW.Example.COM", "example.com"},
        {"https://WWW.Example.com/path?q=1", "example.com"},
        {"example.com/path/to?x=y", "example.com"},
        {"example.com.", "example.com"},
        {".example.com..", "example.com"},
        {"user:secret@example.com:8080/x", "example.com"},
        {"http://user@news.example.org:81", "news.example.org"},
        {"ftp://files.example.org/pub", "files.example.org"},
        {"\t\nexample.co.jp\u3000", "example.co.jp"},
        {"www.www.example.com", "www.example.com"},
        {"sub-domain.example.com", "sub-domain.example.com"},
        {"1.2.3.4", "1.2.3.4"},
        // Invalid ones.
        {"localhost", std::nullopt},
        {"www.example", std::nullopt},
        {"-example.com", std::nullopt},
        {"example.com-", std::nullopt},
        {"example..com", std::nullopt},
        {"exa mple.com", std::nullopt},
        {"exa mple.com/x", std::nullopt},
        {"", std::nullopt},
        {" \n\t", std::nullopt},
        {"...", std::nullopt},
        {"https://[::1]/", std::nullopt},
        {"under_score.com", std::nullopt},
        {"例え.jp", std::nullopt},
        {"https://", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AssociatedWebDomain::normalize(row.text), row.host) << row.text;
    }
}

TEST(AssociatedWebDomain, NormalizedListKeepsFirstOccurrences) {
    EXPECT_EQ(AssociatedWebDomain::normalizedList(
                  {"Example.COM", "example.com/", "nodot", "news.example.com", "www.example.com"}),
              (std::vector<std::string>{"example.com", "news.example.com"}));
    EXPECT_TRUE(AssociatedWebDomain::normalizedList({}).empty());
}

}  // namespace
}  // namespace quorvel
