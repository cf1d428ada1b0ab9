#pragma once

// Starts QuorvelNativeHost as the Bluetooth bridge daemon of this application, and ties the
// child's life to ours twice over: its standard input is a pipe whose writing end only we hold
// (end of file when we are gone), and its command line names our process id, which it watches.
// Released when the application quits: "stopped" is written then, so readers of the status file
// do not go on showing a daemon that no longer runs. A child that ends earlier is reaped as soon
// as it ends (its pidfd is watched by the loop), so it does not linger as a zombie; it is not
// started again, and "stopped" is written at its reaping with a detail that asks the user to
// reopen the application: the last status the daemon wrote ("connected") is no longer true, and
// every unlock would fail while the screens still said so.
#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "QuorvelMac/model/collaborators.hpp"

class QSocketNotifier;

namespace quorvel {

class BluetoothBridgeDaemonProcess final : public BridgeDaemonLauncher {
public:
    // `programFolder`: where QuorvelNativeHost lies; by default the folder of this executable.
    explicit BluetoothBridgeDaemonProcess(
        std::optional<std::filesystem::path> programFolder = std::nullopt);
    ~BluetoothBridgeDaemonProcess() override;
    BluetoothBridgeDaemonProcess(const BluetoothBridgeDaemonProcess&) = delete;
    BluetoothBridgeDaemonProcess& operator=(const BluetoothBridgeDaemonProcess&) = delete;

    // Launches the child unless it runs already. A launch failure throws std::system_error
    // (its what() names the cause) and leaves nothing running.
    void start() override;
    // Writes "stopped", closes our end of the pipe and asks a still running child to end.
    // Never fails.
    void stop();

    bool isRunning();
    std::optional<pid_t> processIdentifier() const { return pid_; }

    static constexpr const char* stoppedDetail = "Macアプリが終了しています";
    static constexpr const char* endedDetail =
        "Bluetooth連携が終了しました。Pellorimを開き直してください";

private:
    // Reaps the child when it ends, from the loop of the thread that started it.
    void watchForEnd(pid_t pid);
    void stopWatching();
    // The child ended while the application runs.
    void childEnded(int waitStatus);

    std::filesystem::path programFolder_;
    QSocketNotifier* endWatch_ = nullptr;
    std::optional<pid_t> pid_;
    int lifetimePipeWriter_ = -1;
    bool stopped_ = false;
};

// The three arguments the daemon is started with.
std::vector<std::string> bridgeDaemonArguments(pid_t applicationProcess);

}  // namespace quorvel
