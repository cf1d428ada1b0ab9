#pragma once

#include <cstdint>
#include <span>

namespace quorvel {

// Where random bytes come from. Production code uses the system's secure source; tests pass a
// seeded one to get repeatable draws.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void fill(std::span<std::uint8_t> out) = 0;

    std::uint64_t nextUInt64();
    // A uniform draw from 0 ..< upperBound (upperBound > 0), without modulo bias: a 64-bit value
    // scaled to the range, drawing again when it falls in the biased part.
    std::uint64_t uniform(std::uint64_t upperBound);
};

// The kernel's secure source (getrandom). Throws std::system_error if the kernel refuses.
class SystemRandomSource final : public RandomSource {
public:
    void fill(std::span<std::uint8_t> out) override;
};

RandomSource& systemRandomSource();

}  // namespace quorvel
