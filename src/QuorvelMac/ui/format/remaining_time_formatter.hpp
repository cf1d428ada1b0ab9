#pragma once

#include <string>

#include "QuorvelShared/support/date.hpp"

namespace quorvel::ui {

// The time left in an allow window, as shown beside an unlocked application.
struct RemainingTimeFormatter {
    // "m:ss" below an hour, else "h:mm:ss" (hours unbounded); the interval is rounded up to the
    // next whole second, a passed end shows "0:00". ASCII digits whatever the locale.
    static std::string text(Date until, Date at);
};

}  // namespace quorvel::ui
