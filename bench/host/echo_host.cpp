// The baseline: reads frames (4-byte native-order length, body) from standard input and writes
// each body back as a frame, until the input ends.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

static bool readAll(char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t got = ::read(STDIN_FILENO, data, size);
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

static bool writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(STDOUT_FILENO, data, size);
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

int main() {
    std::string frame;
    for (;;) {
        std::uint32_t length = 0;
        if (!readAll(reinterpret_cast<char*>(&length), sizeof length))
            return 0;
        frame.resize(sizeof length + length);
        std::memcpy(frame.data(), &length, sizeof length);
        if (!readAll(frame.data() + sizeof length, length))
            return 1;
        if (!writeAll(frame.data(), frame.size()))
            return 1;
    }
}
