#include "QuorvelMac/model/native_messaging_registrar.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/typed_error.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

const std::string first = "hfopaiemkcjnbdlgpahfkeimonjcdbla";
const std::string second = "opnkmjdbcgaehflipkdjacmbnoefhgal";

TEST(NativeMessagingRegistrar, RefusesEveryIdentifierThatIsNotThirtyTwoLettersAToP) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"   ", "\n"},
        {"Hfopaiemkcjnbdlgpahfkeimonjcdbla"},
        {"hfopaiemkcjnbdlgpahfkeimonjcdblq"},
        {"hfopaiemkcjnbdlgpahfkeimonjcdbl1"},
        {"hfopaiemkcjnbdlgpahfkeimonjcdbl"},
        {"hfopaiemkcjnbdlgpahfkeimonjcdblaa"},
        {first, "chrome_abc"},
    };
    for (const auto& ids : refused) {
        testkit::TempXdgHome home;
        const auto files = NativeMessagingRegistrar::defaultManifestFiles();
        const auto error = testkit::captureError<Error<NativeMessagingRegistrarError>>([&] {
            NativeMessagingRegistrar::installManifest(ids, "/opt/QuorvelNativeHost", files);
        });
        ASSERT_TRUE(error) << "accepted " << (ids.empty() ? "nothing" : ids.back());
        EXPECT_EQ(error->code(), NativeMessagingRegistrarError::invalidExtensionId);
        EXPECT_STREQ(error->what(), NativeMessagingRegistrar::invalidExtensionIdText);
        EXPECT_FALSE(files::exists(home.configHome() / "google-chrome"));
    }
}

TEST(NativeMessagingRegistrar, TrimsAndDropsRepeatsKeepingTheOrder) {
    testkit::TempXdgHome home;
    const auto files = NativeMessagingRegistrar::defaultManifestFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0],
              home.configHome() / "google-chrome/NativeMessagingHosts/app.quorvel.native.json");
    EXPECT_EQ(files[1],
              home.configHome() / "chromium/NativeMessagingHosts/app.quorvel.native.json");
    NativeMessagingRegistrar::installManifest({first, " " + first + " ", second},
                                              "/opt/a b/QuorvelNativeHost", files);
    for (const auto& file : files) {
        const std::string text = testkit::readFile(file);
        const Json manifest = json::parse(text);
        EXPECT_EQ(json::readString(manifest.at("name"), "name"), "app.quorvel.native");
        EXPECT_EQ(json::readString(manifest.at("description"), "d"),
                  "Pellorim native messaging host");
        EXPECT_EQ(json::readString(manifest.at("type"), "t"), "stdio");
        EXPECT_EQ(json::readString(manifest.at("path"), "p"), "/opt/a b/QuorvelNativeHost");
        const auto origins = json::readArray(manifest.at("allowed_origins"), "o", json::readString);
        EXPECT_EQ(origins, (std::vector<std::string>{"chrome-extension://" + first + "/",
                                                     "chrome-extension://" + second + "/"}));
        EXPECT_LT(text.find("\"allowed_origins\""), text.find("\"description\""));
        EXPECT_LT(text.find("\"name\""), text.find("\"path\""));
        EXPECT_LT(text.find("\"path\""), text.find("\"type\""));
        EXPECT_EQ(text.find("\\/"), std::string::npos);
    }
}

TEST(NativeMessagingRegistrar, WithoutAPathNamesTheHostBesideTheRunningProgram) {
    const auto path = NativeMessagingRegistrar::defaultHostBinaryPath();
    EXPECT_EQ(std::filesystem::path(path).filename(), "QuorvelNativeHost");
    EXPECT_TRUE(std::filesystem::path(path).is_absolute());
    const std::string text = NativeMessagingRegistrar::manifestText({first}, "/x/\\/y");
    // A backslash of the path itself stays escaped; only the slash escapes are undone.
    EXPECT_EQ(json::readString(json::parse(text).at("path"), "p"), "/x/\\/y");
}

}  // namespace
}  // namespace quorvel
