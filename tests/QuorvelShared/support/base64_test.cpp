#include "QuorvelShared/support/base64.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Base64, EncodesWithPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xfb\xff", "+/8="},
    };
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(base64Encode(bytesOf(plain)), encoded);
        EXPECT_EQ(base64Decode(encoded), bytesOf(plain)) << encoded;
    }
}

TEST(Base64, DecodingIsStrict) {
    for (const char* bad : {
             "Zg",        // missing padding
             "Zg=",       // short padding
             "Zm9v\n",    // line break
             "Zm 9v",     // space
             " Zm9v",     // leading space
             "Zm9v====",  // padding only group
             "Z===",      // too much padding
             "Zg==Zm9v",  // padding inside
             "Zm-v",      // url alphabet
             "Zm_v",      // url alphabet
             "Zm9*",      // foreign character
         }) {
        EXPECT_FALSE(base64Decode(bad)) << bad;
    }
}

TEST(Base64, SixtyFourBytesGiveEightyEightCharacters) {
    const Bytes key(64, 0xAB);
    const std::string text = base64Encode(key);
    EXPECT_EQ(text.size(), 88u);
    EXPECT_EQ(text.substr(86), "==");
}

}  // namespace
}  // namespace quorvel
