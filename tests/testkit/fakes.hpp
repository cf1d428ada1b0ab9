#pragma once

#include <cstdint>
#include <span>

#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/random.hpp"

namespace quorvel::testkit {

// A clock that says what the test tells it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(Date now = Date{}) : now_(now) {}
    Date now() const override { return now_; }
    void set(Date now) { now_ = now; }
    void advance(double seconds) { now_ = now_.addingSeconds(seconds); }

private:
    Date now_;
};

// Repeatable random bytes (splitmix64).
class SeededRandomSource final : public RandomSource {
public:
    explicit SeededRandomSource(std::uint64_t seed) : state_(seed) {}
    void fill(std::span<std::uint8_t> out) override;

private:
    std::uint64_t state_;
};

}  // namespace quorvel::testkit
