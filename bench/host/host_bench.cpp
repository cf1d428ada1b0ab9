// Round trips through the native-messaging host, beside the echo host driven the same way: a
// small message and a 512 KiB message (a "targets.sync" padded with blanks), each sent and its
// reply awaited many times; the median of the trials is compared. Then the host's resident
// memory when idle after answering. Prints "measure<TAB>figure<TAB>goal" rows.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/bench_support.hpp"

namespace {

class Child {
public:
    explicit Child(const char* path) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::execl(path, path, "chrome-extension://bench/", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Child() {
        ::close(input_);
        ::close(output_);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

    // Sends one frame and reads one reply frame whole.
    void roundTrip(const std::string& frame) {
        writeAll(frame.data(), frame.size());
        std::uint32_t length = 0;
        readAll(reinterpret_cast<char*>(&length), sizeof length);
        buffer_.resize(length);
        readAll(buffer_.data(), length);
    }

private:
    void writeAll(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t put = ::write(input_, data, size);
            if (put <= 0)
                throw std::runtime_error("write");
            data += put;
            size -= static_cast<std::size_t>(put);
        }
    }
    void readAll(char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t got = ::read(output_, data, size);
            if (got <= 0)
                throw std::runtime_error("the program ended");
            data += got;
            size -= static_cast<std::size_t>(got);
        }
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffer_;
};

std::string frameOf(const std::string& body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    std::string frame(sizeof length, '\0');
    std::memcpy(frame.data(), &length, sizeof length);
    return frame + body;
}

// Median time of one round trip, in microseconds, over `trials` batches of `perTrial` trips.
double medianMicros(const char* program, const std::string& frame, int trials, int perTrial) {
    Child child(program);
    child.roundTrip(frame);  // start-up and first touch out of the figure
    std::vector<double> figures;
    for (int t = 0; t < trials; ++t) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < perTrial; ++i)
            child.roundTrip(frame);
        const std::chrono::duration<double, std::micro> spent =
            std::chrono::steady_clock::now() - start;
        figures.push_back(spent.count() / perTrial);
    }
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

}  // namespace

int main() {
    ::signal(SIGPIPE, SIG_IGN);
    const quorvel::bench::TemporaryHome home;

    const std::string small = R"({"type":"targets.sync","profileId":"bench"})";
    std::string large = small;
    large.insert(1, std::string(512 * 1024 - small.size(), ' '));

    struct Case {
        const char* name;
        std::string frame;
        int perTrial;
    };
    for (const Case& c : {Case{"small message", frameOf(small), 200},
                          Case{"512 KiB message", frameOf(large), 10}}) {
        const double echo = medianMicros(QUORVEL_ECHO_HOST, c.frame, 15, c.perTrial);
        const double host = medianMicros(QUORVEL_NATIVE_HOST, c.frame, 15, c.perTrial);
        std::printf("host round trip, %s (host %.1f us, echo host %.1f us)\t%.2fx\t<= 1.1x\n",
                    c.name, host, echo, host / echo);
    }

    {
        Child host(QUORVEL_NATIVE_HOST);
        host.roundTrip(frameOf(small));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::printf("host resident memory when idle\t%.1f MB\t< 15 MB\n",
                    quorvel::bench::residentMegabytes(host.pid()));
    }
    return 0;
}
