// The real host with something odd in place of "allow-windows.json" (a FIFO once blocked it in
// open() for good, deaf to its input): every message is answered, the allow state it pushes is
// empty, the thing is left alone, and the end of input ends the host.
#include <gtest/gtest.h>

#include "QuorvelNativeHost/host/host_fixture.hpp"
#include "QuorvelNativeHost/host/host_process.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {
namespace {

using Out = MacToExtensionMessage;

TEST(HostWithAnOddAllowWindowsFile, AnswersEveryMessageAndEndsAtEndOfInput) {
    for (const OddFile& odd : oddFiles()) {
        SCOPED_TRACE(odd.name);
        TempXdgHome home;
        const std::filesystem::path file = AllowWindowStateStore::filePath();
        odd.make(file);
        const PathState before = pathState(file);

        HostProcess host;
        ASSERT_TRUE(host.send(targetsSyncMessage()));
        EXPECT_EQ(as<Out::TargetsState>(host.readMessage()).version, 0);
        ASSERT_TRUE(
            host.send(ExtensionToMacMessage{ExtensionToMacMessage::ProfileConnected{"p1"}}));
        as<Out::PolicyUpdated>(host.readMessage());
        ASSERT_TRUE(host.send(ExtensionToMacMessage{
            ExtensionToMacMessage::TargetBlocked{"p1", "t1", "Site", "https://t1.example/"}}));
        EXPECT_EQ(as<Out::LockRequired>(host.readMessage()).targetLocalId, "t1");
        ASSERT_TRUE(host.send(unlockMessage("t1")));
        EXPECT_EQ(as<Out::UnlockDenied>(host.readMessage()).reason, "native_host_not_configured");
        ASSERT_TRUE(host.send(subscribeMessage()));
        as<Out::TargetsState>(host.readMessage());
        EXPECT_TRUE(as<Out::AllowState>(host.readMessage()).allows.empty());

        host.closeInput();
        EXPECT_EQ(host.waitForExit(), 0);
        EXPECT_EQ(pathState(file), before);
    }
}

}  // namespace
}  // namespace quorvel::testkit
