#pragma once

// The edge of an event handler. What a handler run by an event loop throws must stop there: an
// exception that unwinds into the loop ends the whole program, and with it every other request it
// serves. Loop-driven entry points run their work through runEventHandler (or catch themselves
// where they can fail one request instead); the exception is reported in the caller's area,
// naming where it was caught, and goes no further.
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "QuorvelShared/support/log.hpp"

namespace quorvel {

// The text of an exception (its what(), or a fixed text for anything that is no std::exception).
std::string describeException(const std::exception_ptr& error) noexcept;

// Reports "<where>: <description>" as one line of `area`.
void reportEscapedException(LogArea area, std::string_view where,
                            const std::exception_ptr& error) noexcept;

// Runs `handler`; true when it returned, false when it threw (and the exception was reported).
template <class Handler>
bool runEventHandler(LogArea area, std::string_view where, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        reportEscapedException(area, where, std::current_exception());
        return false;
    }
}

}  // namespace quorvel
