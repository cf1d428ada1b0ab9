#pragma once

// The native-messaging host as the browser drives it: the real program, started with pipes on
// its standard input, output and error, frames written and read as the browser does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"
#include "testkit/child_process.hpp"

namespace quorvel::testkit {

using namespace std::chrono_literals;

// Generous: the machine may be loaded; waits end as soon as their condition holds.
inline constexpr std::chrono::milliseconds longWait{60'000};

class HostProcess {
public:
    HostProcess() {
        int in[2], out[2], err[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            // As the browser starts it: the extension's origin as the one argument.
            ::execl(QUORVEL_NATIVE_HOST, QUORVEL_NATIVE_HOST, "chrome-extension://test/",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        input_ = in[1];
        output_ = out[0];
        error_ = err[0];
        ::signal(SIGPIPE, SIG_IGN);
    }

    ~HostProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeInput();
        closeOutput();
        ::close(error_);
    }

    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // False when the host no longer reads (it ended).
    bool writeRaw(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(input_, bytes.data() + done, bytes.size() - done);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += static_cast<std::size_t>(put);
        }
        return true;
    }

    static std::string frameOf(const std::string& body, std::optional<std::uint32_t> length = {}) {
        const std::uint32_t announced = length.value_or(static_cast<std::uint32_t>(body.size()));
        std::string frame(4, '\0');
        std::memcpy(frame.data(), &announced, 4);
        return frame + body;
    }

    bool send(const std::string& json) { return writeRaw(frameOf(json)); }
    bool send(const ExtensionToMacMessage& message) {
        return send(encodeExtensionToMacMessage(message));
    }

    // How many of the bytes written to the host's input it has not read yet.
    std::size_t unreadInput() const {
        int count = 0;
        return ::ioctl(input_, FIONREAD, &count) == 0 ? static_cast<std::size_t>(count) : 0;
    }

    // As a browser that stopped reading: the host's writes then fail.
    void closeOutput() {
        if (output_ >= 0) {
            ::close(output_);
            output_ = -1;
        }
    }

    void closeInput() {
        if (input_ >= 0) {
            ::close(input_);
            input_ = -1;
        }
    }

    // The next frame's body, checking that its length prefix (native order) matches; no value at
    // the end of output or when nothing came within `timeout`.
    std::optional<std::string> readFrame(std::chrono::milliseconds timeout = longWait) {
        std::string header;
        if (!readExactly(output_, 4, header, timeout))
            return std::nullopt;
        std::uint32_t length = 0;
        std::memcpy(&length, header.data(), 4);
        std::string body;
        if (!readExactly(output_, length, body, timeout)) {
            ADD_FAILURE() << "frame body shorter than its length " << length;
            return std::nullopt;
        }
        return body;
    }

    std::optional<MacToExtensionMessage> readMessage(std::chrono::milliseconds timeout = longWait) {
        auto body = readFrame(timeout);
        if (!body)
            return std::nullopt;
        return decodeMacToExtensionMessage(*body);
    }

    // True when the host has written something not read yet (or ended its output), so that a
    // test that must keep its own event loop running reads only when a read will not block.
    bool hasOutput() const {
        pollfd entry{output_, POLLIN, 0};
        return ::poll(&entry, 1, 0) > 0;
    }

    // True when the output has ended (the host closed it) with nothing more written.
    bool outputEndsWithoutMore(std::chrono::milliseconds timeout = longWait) {
        std::string rest;
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (!waitReadable(output_, deadline))
                return false;
            const ssize_t got = ::read(output_, buffer, sizeof buffer);
            if (got <= 0)
                return rest.empty();
            rest.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // The exit status, or -1 when the host did not exit normally within the timeout.
    int waitForExit(std::chrono::milliseconds timeout = longWait) {
        if (!status_)
            status_ = testkit::waitForExit(pid_, timeout);
        return status_.value_or(-2);
    }

    // What the host wrote to standard error (after it ended).
    std::string errorOutput() {
        std::string text;
        char buffer[4096];
        for (;;) {
            if (!waitReadable(error_, std::chrono::steady_clock::now() + longWait))
                break;
            const ssize_t got = ::read(error_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    static bool waitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() < 0)
                return false;
            pollfd entry{fd, POLLIN, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    static bool readExactly(int fd, std::size_t count, std::string& out,
                            std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        out.clear();
        char buffer[65536];
        while (out.size() < count) {
            if (!waitReadable(fd, deadline))
                return false;
            const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, count - out.size()));
            if (got <= 0)
                return false;
            out.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int error_ = -1;
    std::optional<int> status_;
};

}  // namespace quorvel::testkit
