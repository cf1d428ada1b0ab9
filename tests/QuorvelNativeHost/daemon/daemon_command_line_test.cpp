#include "QuorvelNativeHost/daemon/daemon_command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel::daemon {
namespace {

using Arguments = std::vector<std::string>;

TEST(DaemonCommandLine, TheFlagMustBeOneWholeArgumentAnywhere) {
    const struct {
        Arguments arguments;
        bool daemon;
    } cases[] = {
        {{"QuorvelNativeHost", "--ble-bridge-daemon"}, true},
        {{"QuorvelNativeHost", "--parent-pid", "4", "--ble-bridge-daemon"}, true},
        {{"--ble-bridge-daemon"}, true},  // the program path counts too
        {{"QuorvelNativeHost", "--ble-bridge-daemon=1"}, false},
        {{"QuorvelNativeHost", "--ble-bridge-daemo"}, false},
        {{"QuorvelNativeHost", "chrome-extension://abc/"}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(selectsBridgeDaemon(c.arguments), c.daemon) << c.arguments.size();
    }
}

TEST(DaemonCommandLine, ParentProcessIdTable) {
    const struct {
        Arguments arguments;
        std::optional<std::int32_t> parent;
    } cases[] = {
        {{"x", "--ble-bridge-daemon", "--parent-pid", "4242"}, 4242},
        {{"x", "--parent-pid", "+42", "--ble-bridge-daemon"}, 42},
        {{"x", "--parent-pid", "2147483647"}, 2147483647},
        {{"x", "--parent-pid", "2147483648"}, std::nullopt},
        {{"x", "--parent-pid", "0"}, std::nullopt},
        {{"x", "--parent-pid", "-7"}, std::nullopt},
        {{"x", "--parent-pid", "12a"}, std::nullopt},
        {{"x", "--parent-pid", " 12"}, std::nullopt},
        {{"x", "--parent-pid", "+"}, std::nullopt},
        {{"x", "--parent-pid", "+-3"}, std::nullopt},
        {{"x", "--parent-pid", ""}, std::nullopt},
        {{"x", "--parent-pid"}, std::nullopt},
        {{"x", "--ble-bridge-daemon"}, std::nullopt},
        {{"x", "--parent-pid=42"}, std::nullopt},
        {{"x", "--parent-pid", "99999999999999999999999"}, std::nullopt},
        // Only the first occurrence is looked at.
        {{"x", "--parent-pid", "0", "--parent-pid", "42"}, std::nullopt},
        {{"x", "--parent-pid", "42", "--parent-pid", "43"}, 42},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bridgeParentProcessId(c.arguments), c.parent)
            << (c.arguments.size() > 2 ? c.arguments[2] : "(none)");
    }
}

}  // namespace
}  // namespace quorvel::daemon
