#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

MacLinkConfiguration sampleConfiguration() {
    return MacLinkConfiguration{
        .backendBaseURL = "https://api.example.com/v1",
        .accessToken = "token-1",
        .macDeviceId = "mac-1",
        .iosDeviceId = "ios-1",
        .iosSigningPublicKeyBase64 = "c2lnbmluZw==",
        .iosEncryptionPublicKeyBase64 = "ZW5jcnlwdGlvbg==",
        .defaultUnlockDurationSeconds = 900,
        .pollTimeoutSeconds = 7200,
    };
}

using testkit::modeOf;

TEST(MacLinkConfigurationStore, SavedFileListsEightSortedKeysPrettyPrintedWithSlashesEscaped) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::save(sampleConfiguration());
    EXPECT_EQ(MacLinkConfigurationStore::filePath(),
              home.stateFolder() / "native-host-config.json");
    EXPECT_EQ(testkit::readFile(MacLinkConfigurationStore::filePath()),
              "{\n"
              "  \"accessToken\" : \"token-1\",\n"
              "  \"backendBaseURL\" : \"https:\\/\\/api.example.com\\/v1\",\n"
              "  \"defaultUnlockDurationSeconds\" : 900,\n"
              "  \"iosDeviceId\" : \"ios-1\",\n"
              "  \"iosEncryptionPublicKeyBase64\" : \"ZW5jcnlwdGlvbg==\",\n"
              "  \"iosSigningPublicKeyBase64\" : \"c2lnbmluZw==\",\n"
              "  \"macDeviceId\" : \"mac-1\",\n"
              "  \"pollTimeoutSeconds\" : 7200\n"
              "}");
    // The file holds the backend's bearer token.
    EXPECT_EQ(modeOf(home.stateFolder()), 0700u);
    EXPECT_EQ(modeOf(MacLinkConfigurationStore::filePath()), 0600u);
}

TEST(MacLinkConfigurationStore, SaveThenLoadGivesAnEqualRecordAndEmptyValuesAreKept) {
    testkit::TempXdgHome home;
    EXPECT_EQ(MacLinkConfigurationStore::load(), std::nullopt);
    MacLinkConfiguration configuration = sampleConfiguration();
    MacLinkConfigurationStore::save(configuration);
    EXPECT_EQ(MacLinkConfigurationStore::load(), configuration);

    configuration.accessToken = "";
    configuration.iosDeviceId = "";
    configuration.defaultUnlockDurationSeconds = INT64_MIN;
    configuration.pollTimeoutSeconds = INT64_MAX;
    MacLinkConfigurationStore::save(configuration);
    EXPECT_EQ(MacLinkConfigurationStore::load(), configuration);
}

TEST(MacLinkConfigurationStore, ExtraKeysAreReadAndDroppedByTheNextSave) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::save(sampleConfiguration());
    const fs::path file = MacLinkConfigurationStore::filePath();
    std::string text = testkit::readFile(file);
    text.insert(1, "\n  \"legacyField\" : true,");
    testkit::writeFile(file, text);
    const auto loaded = MacLinkConfigurationStore::load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, sampleConfiguration());
    MacLinkConfigurationStore::save(*loaded);
    EXPECT_EQ(testkit::readFile(file).find("legacyField"), std::string::npos);
}

struct BadFileCase {
    const char* name;
    std::string key;
    std::optional<std::string> replacement;  // no value: the key is removed
    json::DecodeErrorKind kind;
};

TEST(MacLinkConfigurationStore, BadFilesFailToLoadAndAreLeftUnchanged) {
    const std::vector<BadFileCase> cases = {
        {"missing poll timeout", "pollTimeoutSeconds", std::nullopt,
         json::DecodeErrorKind::keyNotFound},
        {"missing access token", "accessToken", std::nullopt, json::DecodeErrorKind::keyNotFound},
        {"null device id", "macDeviceId", "null", json::DecodeErrorKind::valueNotFound},
        {"duration as text", "defaultUnlockDurationSeconds", "\"900\"",
         json::DecodeErrorKind::typeMismatch},
        {"fractional timeout", "pollTimeoutSeconds", "1.5", json::DecodeErrorKind::dataCorrupted},
        {"timeout beyond 64 bits", "pollTimeoutSeconds", "9223372036854775808",
         json::DecodeErrorKind::dataCorrupted},
        {"empty URL", "backendBaseURL", "\"\"", json::DecodeErrorKind::dataCorrupted},
        {"URL with a space", "backendBaseURL", "\"https://a b\"",
         json::DecodeErrorKind::dataCorrupted},
        {"URL with a broken escape", "backendBaseURL", "\"https://a/%zz\"",
         json::DecodeErrorKind::dataCorrupted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome home;
        Json value = toJson(sampleConfiguration());
        if (c.replacement) {
            value[c.key] = Json::parse(*c.replacement);
        } else {
            value.erase(c.key);
        }
        const std::string text = json::write(value, json::Style::compact);
        testkit::writeFile(MacLinkConfigurationStore::filePath(), text);
        const auto error = testkit::captureError<json::DecodeError>(
            [] { return MacLinkConfigurationStore::load(); });
        ASSERT_TRUE(error) << "loaded";
        EXPECT_EQ(error->kind(), c.kind);
        EXPECT_EQ(error->path(), c.key);
        EXPECT_EQ(testkit::readFile(MacLinkConfigurationStore::filePath()), text);
    }
}

TEST(MacLinkConfigurationStore, TextThatIsNotJsonFailsToLoad) {
    testkit::TempXdgHome home;
    testkit::writeFile(MacLinkConfigurationStore::filePath(), "{\"accessToken\":");
    EXPECT_THROW(MacLinkConfigurationStore::load(), json::DecodeError);
}

TEST(MacLinkConfigurationStore, AUrlThatCouldNotBeLoadedAgainIsNotSaved) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::save(sampleConfiguration());
    MacLinkConfiguration broken = sampleConfiguration();
    broken.backendBaseURL = "";
    EXPECT_THROW(MacLinkConfigurationStore::save(broken), json::EncodeError);
    EXPECT_EQ(MacLinkConfigurationStore::load(), sampleConfiguration());
}

TEST(MacLinkConfigurationStore, ClearRemovesTheFileAndTwiceIsFine) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::clear();
    MacLinkConfigurationStore::save(sampleConfiguration());
    MacLinkConfigurationStore::clear();
    EXPECT_FALSE(fs::exists(MacLinkConfigurationStore::filePath()));
    MacLinkConfigurationStore::clear();
    EXPECT_EQ(MacLinkConfigurationStore::load(), std::nullopt);
}

TEST(MacLinkConfigurationStore, AReadErrorIsThrownNotTakenForNoFile) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::save(sampleConfiguration());
    const testkit::FifoInPlace failure(MacLinkConfigurationStore::filePath());
    EXPECT_THROW(MacLinkConfigurationStore::load(), std::system_error);
}

TEST(MacLinkConfigurationStore, ARemovedFolderIsMadeAgainByTheNextOperation) {
    testkit::TempXdgHome home;
    MacLinkConfigurationStore::save(sampleConfiguration());
    fs::remove_all(home.stateFolder());
    EXPECT_EQ(MacLinkConfigurationStore::load(), std::nullopt);
    EXPECT_TRUE(fs::is_directory(home.stateFolder()));
    EXPECT_TRUE(fs::is_empty(home.stateFolder()));
    EXPECT_EQ(modeOf(home.stateFolder()), 0700u);
}

TEST(MacLinkConfigurationStore, AFileInPlaceOfTheFolderFailsTheSaveOnly) {
    testkit::TempXdgHome home;
    testkit::writeFile(home.stateFolder(), "not a folder");
    EXPECT_EQ(MacLinkConfigurationStore::applicationSupportDirectory(), home.stateFolder());
    EXPECT_EQ(MacLinkConfigurationStore::load(), std::nullopt);
    MacLinkConfigurationStore::clear();
    EXPECT_THROW(MacLinkConfigurationStore::save(sampleConfiguration()), std::system_error);
}

struct UsabilityCase {
    const char* name;
    void (*change)(MacLinkConfiguration&);
    bool forUnlockRequests;
    bool forPairing;
};

TEST(MacLinkConfiguration, UsabilityLooksAtLengthsOnly) {
    const std::vector<UsabilityCase> cases = {
        {"complete", [](MacLinkConfiguration&) {}, true, true},
        {"no access token", [](MacLinkConfiguration& c) { c.accessToken = ""; }, true, false},
        {"no backend address or durations",
         [](MacLinkConfiguration& c) {
             c.backendBaseURL = "";
             c.defaultUnlockDurationSeconds = 0;
             c.pollTimeoutSeconds = -1;
         },
         true, true},
        {"no Mac device id", [](MacLinkConfiguration& c) { c.macDeviceId = ""; }, false, false},
        {"no iPhone device id", [](MacLinkConfiguration& c) { c.iosDeviceId = ""; }, false, true},
        {"no signing key", [](MacLinkConfiguration& c) { c.iosSigningPublicKeyBase64 = ""; }, false,
         true},
        {"no encryption key", [](MacLinkConfiguration& c) { c.iosEncryptionPublicKeyBase64 = ""; },
         false, true},
        {"blank strings count as set",
         [](MacLinkConfiguration& c) {
             c.accessToken = " ";
             c.macDeviceId = " ";
             c.iosDeviceId = "\n";
             c.iosSigningPublicKeyBase64 = " ";
             c.iosEncryptionPublicKeyBase64 = "\t";
         },
         true, true},
        {"no token, everything else blank",
         [](MacLinkConfiguration& c) {
             c.accessToken = "";
             c.macDeviceId = " ";
         },
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MacLinkConfiguration configuration = sampleConfiguration();
        c.change(configuration);
        EXPECT_EQ(configuration.isUsableForUnlockRequests(), c.forUnlockRequests);
        EXPECT_EQ(configuration.isUsableForPairing(), c.forPairing);
    }
}

}  // namespace
}  // namespace quorvel
