#include "QuorvelShared/support/random.hpp"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

namespace quorvel {
namespace {
__extension__ typedef unsigned __int128 UInt128;
}  // namespace

std::uint64_t RandomSource::nextUInt64() {
    std::uint8_t bytes[8];
    fill(bytes);
    std::uint64_t value = 0;
    for (const std::uint8_t b : bytes) {
        value = (value << 8) | b;
    }
    return value;
}

std::uint64_t RandomSource::uniform(std::uint64_t upperBound) {
    // Lemire's multiply-and-reject: the high half of value * upperBound is uniform once the
    // low half is outside the first (2^64 mod upperBound) values.
    const std::uint64_t threshold = (0 - upperBound) % upperBound;
    while (true) {
        const UInt128 product = static_cast<UInt128>(nextUInt64()) * upperBound;
        if (static_cast<std::uint64_t>(product) >= threshold) {
            return static_cast<std::uint64_t>(product >> 64);
        }
    }
}

void SystemRandomSource::fill(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = getrandom(out.data() + done, out.size() - done, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        done += static_cast<std::size_t>(n);
    }
}

RandomSource& systemRandomSource() {
    static SystemRandomSource source;
    return source;
}

}  // namespace quorvel
