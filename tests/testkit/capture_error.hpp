#pragma once

// Runs a call that is meant to fail and hands back the typed error it threw, so that a test
// checks the error's fields; no value when the call returned. Any other exception passes
// through and fails the test with its own text. E is the type the call throws: a copy made as
// a base would lose what the thrown error adds (its text, its paths).
#include <exception>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace quorvel::testkit {

template <class E, class Call>
std::optional<E> captureError(Call&& call) {
    try {
        static_cast<void>(std::forward<Call>(call)());
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

// The code() of the typed error the call threw; no value when it returned.
template <class E, class Call>
auto captureErrorCode(Call&& call)
    -> std::optional<std::remove_cvref_t<decltype(std::declval<const E&>().code())>> {
    if (const auto error = captureError<E>(std::forward<Call>(call)))
        return error->code();
    return std::nullopt;
}

// The text of whatever error the call threw, for a test that expects a report to quote it; no
// value when it returned.
template <class Call>
std::optional<std::string> captureErrorText(Call&& call) {
    try {
        static_cast<void>(std::forward<Call>(call)());
    } catch (const std::exception& error) {
        return error.what();
    }
    return std::nullopt;
}

}  // namespace quorvel::testkit
