// QuorvelNativeHost has two roles: the browser starts it as the native-messaging host, the
// application starts it with "--ble-bridge-daemon" as its Bluetooth bridge daemon.
#include <string>
#include <vector>

#include "QuorvelNativeHost/daemon/bridge_daemon.hpp"
#include "QuorvelNativeHost/daemon/daemon_command_line.hpp"
#include "QuorvelNativeHost/host/host_main.hpp"
#include "QuorvelPlatform/process/open_file_limit.hpp"

int main(int argc, char** argv) {
    quorvel::raiseOpenFileLimit();
    const std::vector<std::string> arguments(argv, argv + argc);
    if (quorvel::daemon::selectsBridgeDaemon(arguments)) {
        return quorvel::daemon::runBluetoothBridgeDaemon(
            argc, argv, quorvel::daemon::bridgeParentProcessId(arguments));
    }
    return quorvel::host::runHost(argc, argv);
}
