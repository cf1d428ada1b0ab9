// The daemon reads the link configuration afresh at each use: a file that cannot be read or
// decoded is taken as unpaired (the fixed default identity), and reported once per change of its
// failure, however often the phone's messages read it again.
#include "QuorvelNativeHost/daemon/link_configuration.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "testkit/report_lines.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

namespace fs = std::filesystem;

TEST(LinkConfiguration, AnUnreadableFileIsUnpairedAndReportedOncePerChangeOfItsFailure) {
    testkit::TempXdgHome home;
    const fs::path file = MacLinkConfigurationStore::filePath();
    const std::string head =
        "quorvel.daemon: reading the link configuration (" + file.string() + "): ";
    struct Step {
        const char* name;
        std::function<void()> change;
        std::optional<std::string> macDeviceId;
        bool reported;
    };
    const Step steps[] = {
        {"no file", [] {}, std::nullopt, false},
        {"a file that does not decode", [&] { testkit::writeFile(file, "[]"); }, std::nullopt,
         true},
        {"the same file", [] {}, std::nullopt, false},
        {"a directory instead",
         [&] {
             fs::remove(file);
             fs::create_directory(file);
         },
         std::nullopt, true},
        {"paired",
         [&] {
             fs::remove(file);
             MacLinkConfigurationStore::save(
                 {"https://api.quorvel.app", "", "mac-9", "ios-1", "c2lnbg==", "ZW5j", 600, 120});
         },
         "mac-9", false},
        {"the undecodable file back", [&] { testkit::writeFile(file, "[]"); }, std::nullopt, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        ::testing::internal::CaptureStderr();
        const auto first = configuredMacDeviceId();
        const auto second = configuredMacDeviceId();
        const auto lines =
            testkit::linesStartingWith(::testing::internal::GetCapturedStderr(), head);
        EXPECT_EQ(first, step.macDeviceId);
        EXPECT_EQ(second, step.macDeviceId);
        EXPECT_EQ(lines.size(), step.reported ? 1u : 0u);
    }
}

}  // namespace
}  // namespace quorvel::daemon
