// The model's bookkeeping in files that cannot be used: an allow window whose write fails still
// opens and ends in the model, and every failed grant and revoke is one line on standard error
// naming the target, the file and the error; a status file that the refresh meets unreadable
// every few seconds is told once per change, not once per refresh.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/report_lines.hpp"

namespace quorvel::modeltest {
namespace {

namespace fs = std::filesystem;

using testkit::linesStartingWith;

struct Spoiled {
    const char* name;
    // Makes the allow windows' file, or its folder, unusable.
    std::function<void(const fs::path& file)> spoil;
    // What the error's text says besides the path.
    std::string inError;
};

std::vector<Spoiled> spoiledAllowWindows() {
    std::vector<Spoiled> cases;
    for (const testkit::OddFile& odd : testkit::oddFiles())
        cases.push_back({odd.name, odd.make, odd.inError});
    cases.push_back({"a file in place of the state folder",
                     [](const fs::path& file) {
                         fs::remove_all(file.parent_path());
                         testkit::writeFile(file.parent_path(), "");
                     },
                     "Not a directory"});
    return cases;
}

TEST_F(ModelTest, AFailedAllowWindowWriteIsReportedAndTheWindowOpensAndEndsAllTheSame) {
    for (const Spoiled& c : spoiledAllowWindows()) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome caseHome;
        auto model = makeModel();
        const std::string target = model->targets()[0].id;
        const fs::path file = AllowWindowStateStore::filePath();
        c.spoil(file);
        const std::string head = "quorvel.model: ";
        const auto expectReported = [&](const std::string& errors, const std::string& what) {
            const auto lines = linesStartingWith(
                errors, head + what + " " + target + " (" + file.string() + "): ");
            ASSERT_EQ(lines.size(), 1u) << "standard error:\n" << errors;
            EXPECT_NE(lines[0].find(c.inError), std::string::npos) << lines[0];
        };

        const Date until = systemClock().now().addingSeconds(3600);
        ::testing::internal::CaptureStderr();
        model->applyApproval(target, until, std::nullopt);
        const std::string grantErrors = ::testing::internal::GetCapturedStderr();
        expectReported(grantErrors, "granting the allow window of");
        EXPECT_TRUE(linesStartingWith(grantErrors, head + "revoking").empty()) << grantErrors;
        EXPECT_EQ(model->allowUntil(target), until);
        EXPECT_EQ(model->activeAllowWindows(), (std::map<std::string, Date>{{target, until}}));
        EXPECT_EQ(model->authorizationRevision(), 1);
        ASSERT_EQ(model->recentUnlocks().size(), 1u);
        EXPECT_EQ(model->recentUnlocks()[0].status, "解除済み");

        // A grant whose end has passed ends the window at once: the grant and the revoke fail.
        ::testing::internal::CaptureStderr();
        model->applyApproval(target, systemClock().now().addingSeconds(-5), std::nullopt);
        const std::string endErrors = ::testing::internal::GetCapturedStderr();
        expectReported(endErrors, "granting the allow window of");
        expectReported(endErrors, "revoking the allow window of");
        EXPECT_FALSE(model->allowUntil(target));
        EXPECT_TRUE(model->activeAllowWindows().empty());
        EXPECT_EQ(model->authorizationRevision(), 3);
        EXPECT_EQ(model->recentUnlocks().size(), 2u);
    }
}

TEST_F(ModelTest, AnUnreadableStatusFileIsReportedOncePerChangeOfItsFailure) {
    auto model = makeModel();
    const fs::path file = BLELocalConnectionStore::filePath();
    const std::string head =
        "quorvel.model: reading the Bluetooth status (" + file.string() + "): ";
    const auto refreshThrice = [&] {
        ::testing::internal::CaptureStderr();
        for (int i = 0; i < 3; ++i)
            model->refreshBluetoothStatus();
        return linesStartingWith(::testing::internal::GetCapturedStderr(), head);
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        // The failure's text, when the refreshes are to report it once.
        std::optional<std::string> reported;
    };
    const Step steps[] = {
        {"a directory", [&] { fs::create_directory(file); }, "a directory"},
        {"the same directory", [] {}, std::nullopt},
        {"a FIFO instead",
         [&] {
             fs::remove(file);
             ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
         },
         "a FIFO"},
        {"a readable file again",
         [&] {
             fs::remove(file);
             BLELocalConnectionStore::save(BluetoothLinkState::connected, std::nullopt);
         },
         std::nullopt},
        {"the FIFO back",
         [&] {
             fs::remove(file);
             ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
         },
         "a FIFO"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        const auto lines = refreshThrice();
        if (!step.reported) {
            EXPECT_TRUE(lines.empty()) << lines.size() << " lines";
            continue;
        }
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(*step.reported), std::string::npos) << lines[0];
        // What the user sees stays as it was before the failure was reported.
        EXPECT_EQ(model->bluetoothStatus(), BluetoothStatus{});
    }
}

}  // namespace
}  // namespace quorvel::modeltest
