#pragma once

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

// The wall clock, passed in so that tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

class SystemClock final : public Clock {
public:
    Date now() const override;
};

Clock& systemClock();

}  // namespace quorvel
