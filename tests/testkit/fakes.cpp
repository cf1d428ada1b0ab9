#include "testkit/fakes.hpp"

namespace quorvel::testkit {

void SeededRandomSource::fill(std::span<std::uint8_t> out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i % 8 == 0) {
            state_ += 0x9E3779B97F4A7C15ULL;
        }
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        out[i] = static_cast<std::uint8_t>(z >> (8 * (i % 8)));
    }
}

}  // namespace quorvel::testkit
