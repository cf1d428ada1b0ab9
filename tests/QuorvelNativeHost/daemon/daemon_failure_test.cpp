// The daemon program names each failure of the mailbox's requests on its standard error: which
// request or file, what was being done, and the error. The application sends that output to the
// null device, so the program is started here on its own, as the application starts it.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/support/files.hpp"
#include "bluez/fake_bluez.hpp"
#include "bus/private_bus.hpp"
#include "daemon_process_support.hpp"
#include "testkit/capture_error.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

using testkit::runLoopUntil;

// Everything readable on `fd` until its writers are gone.
std::string readToEnd(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

TEST(DaemonFailureRobustness, EveryFailedRequestAndUnreadableMailboxIsNamedOnStandardError) {
    struct Case {
        const char* name;
        // Prepares the state folder; returns the line the daemon must write, once it can be
        // known (after `done`).
        std::function<void()> prepare;
        std::function<bool()> done;
        std::function<std::string()> line;
        // What the mailbox must still hold afterwards, where the case spoiled it.
        std::optional<std::string> mailboxAfter;
    };
    const auto mailbox = [] { return BLELocalBridgeStore::stateURL(); };
    const std::string undecodable = R"({"requests":7})";
    const Case cases[] = {
        {"an unlock request the phone never answers",
         [] {
             BLELocalPrototypeWireMessage request;
             request.kind = BLELocalPrototypeMessageKind::unlockRequest;
             request.requestId = "req-unanswered";
             request.encryptedContext = "sealed";
             BLELocalBridgeStore::saveRequest({"req-unanswered", request, 1});
         },
         [] {
             const auto response = BLELocalBridgeStore::loadResponse("req-unanswered");
             return response && response->completed;
         },
         [] {
             return "quorvel.daemon: carrying unlockRequest request req-unanswered to the "
                    "iPhone: " +
                    BLELocalBridgeStore::loadResponse("req-unanswered")->error.value_or("");
         },
         std::nullopt},
        {"a mailbox that does not decode",
         [&] {
             files::createDirectories(mailbox().parent_path());
             testkit::writeFile(mailbox(), undecodable);
         },
         // Its first pass comes before it reads its input.
         [] { return true; },
         [&] {
             const auto error = testkit::captureErrorText(
                 [] { return BLELocalBridgeStore::loadPendingRequests(); });
             return "quorvel.daemon: reading the pending requests (" + mailbox().string() +
                    "): " + error.value_or("(it decoded)");
         },
         undecodable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome home;
        testing::PrivateBus systemBus(testing::PrivateBus::Kind::system);
        testing::FakeBlueZ bluez(QString::fromStdString(systemBus.address()));
        c.prepare();
        int input[2], errors[2];
        ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(errors, O_CLOEXEC), 0);
        const pid_t daemon =
            startDaemon({"--ble-bridge-daemon"}, input[0], std::nullopt, errors[1]);
        ::close(input[0]);
        ::close(errors[1]);
        EXPECT_TRUE(runLoopUntil(c.done));
        ::close(input[1]);
        EXPECT_EQ(waitForExit(daemon), 0);
        const std::string written = readToEnd(errors[0]);
        ::close(errors[0]);
        EXPECT_NE(written.find(c.line() + "\n"), std::string::npos) << written;
        if (c.mailboxAfter) {
            EXPECT_EQ(testkit::readFile(mailbox()), *c.mailboxAfter);
        }
    }
}

}  // namespace
}  // namespace quorvel::daemon
