#include "QuorvelMac/shell/bluetooth_bridge_daemon_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>

#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/process/process_descriptor.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/support/operation_step.hpp"

extern char** environ;

namespace quorvel {
namespace fs = std::filesystem;

namespace {

fs::path ownFolder() {
    std::error_code error;
    const auto self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

// posix_spawn reports failures as an error number; file actions run in the child.
void check(int result, const char* what) {
    if (result != 0)
        throw std::system_error(result, std::generic_category(), what);
}

void reportStatusNotWritten(const std::exception& error) {
    qCWarning(lcShell, "%s",
              describeFailure(
                  {"writing the Bluetooth status \"stopped\"", BLELocalConnectionStore::filePath()},
                  error.what())
                  .c_str());
}

}  // namespace

std::vector<std::string> bridgeDaemonArguments(pid_t applicationProcess) {
    return {"--ble-bridge-daemon", "--parent-pid", std::to_string(applicationProcess)};
}

BluetoothBridgeDaemonProcess::BluetoothBridgeDaemonProcess(std::optional<fs::path> programFolder)
    : programFolder_(programFolder ? *programFolder : ownFolder()) {}

BluetoothBridgeDaemonProcess::~BluetoothBridgeDaemonProcess() {
    stop();
    delete endWatch_;
}

bool BluetoothBridgeDaemonProcess::isRunning() {
    if (!pid_)
        return false;
    int status = 0;
    const pid_t result = ::waitpid(*pid_, &status, WNOHANG);
    if (result == 0)
        return true;
    pid_.reset();  // reaped now (or not ours any more)
    if (!stopped_)
        childEnded(result > 0 ? status : -1);
    return false;
}

void BluetoothBridgeDaemonProcess::childEnded(int waitStatus) {
    std::string how = "ended";
    if (waitStatus >= 0 && WIFSIGNALED(waitStatus)) {
        how = "was killed by signal " + std::to_string(WTERMSIG(waitStatus));
    } else if (waitStatus >= 0 && WIFEXITED(waitStatus)) {
        how = "exited with status " + std::to_string(WEXITSTATUS(waitStatus));
    }
    qCWarning(lcShell, "the Bluetooth bridge daemon %s; it is not started again", how.c_str());
    try {
        BLELocalConnectionStore::save(BluetoothLinkState::stopped, std::string(endedDetail));
    } catch (const std::exception& error) {
        reportStatusNotWritten(error);
    }
}

void BluetoothBridgeDaemonProcess::watchForEnd(pid_t pid) {
    stopWatching();
    const int pidfd = openProcessDescriptor(pid);
    // Without pidfds (a kernel before 5.3) the child is reaped by the next isRunning() or stop().
    if (pidfd < 0)
        return;
    endWatch_ = new QSocketNotifier(pidfd, QSocketNotifier::Read);
    QObject::connect(endWatch_, &QObject::destroyed, [pidfd] { ::close(pidfd); });
    // A pidfd becomes readable once its process has ended.
    QObject::connect(endWatch_, &QSocketNotifier::activated, endWatch_, [this] {
        if (!isRunning())
            stopWatching();
    });
}

void BluetoothBridgeDaemonProcess::stopWatching() {
    if (!endWatch_)
        return;
    endWatch_->setEnabled(false);
    // It may be the notifier whose signal runs now.
    endWatch_->deleteLater();
    endWatch_ = nullptr;
}

void BluetoothBridgeDaemonProcess::start() {
    if (isRunning())
        return;
    const fs::path program = programFolder_ / "QuorvelNativeHost";
    // The child's standard input; our end never leaks into any other child.
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    pid_t pid = 0;
    int result = posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    if (result == 0)
        result =
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (result == 0)
        result =
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (result == 0) {
        const auto arguments = bridgeDaemonArguments(::getpid());
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        result = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[0]);
    if (result != 0) {
        ::close(pipeEnds[1]);
        check(result, ("QuorvelNativeHost (" + program.string() + ")").c_str());
    }
    if (lifetimePipeWriter_ >= 0)
        ::close(lifetimePipeWriter_);
    lifetimePipeWriter_ = pipeEnds[1];
    pid_ = pid;
    watchForEnd(pid);
}

void BluetoothBridgeDaemonProcess::stop() {
    if (stopped_)
        return;
    stopped_ = true;
    try {
        BLELocalConnectionStore::save(BluetoothLinkState::stopped, std::string(stoppedDetail));
    } catch (const std::exception& error) {
        // Reported only: the daemon is still asked to end below.
        reportStatusNotWritten(error);
    }
    if (lifetimePipeWriter_ >= 0) {
        ::close(lifetimePipeWriter_);
        lifetimePipeWriter_ = -1;
    }
    if (!isRunning())
        return;
    ::kill(*pid_, SIGTERM);
    // The daemon ends within moments of end of input; reap it so no zombie stays behind, but
    // never hold the quitting application for long.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (isRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace quorvel
