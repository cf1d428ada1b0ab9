#pragma once

// The project's own errors: an enumeration of cases per area, thrown inside Error<Code> so that
// callers can catch one area's failures and switch over the case.
//
//     enum class BLELocalPrototypeChunkError { frameTooSmall, invalidMagic, ... };
//     throw Error<BLELocalPrototypeChunkError>(BLELocalPrototypeChunkError::invalidMagic,
//                                              "the frame does not start with QVP");
#include <stdexcept>
#include <string>

namespace quorvel {

template <class Code>
class Error : public std::runtime_error {
public:
    Error(Code code, const std::string& message) : std::runtime_error(message), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

}  // namespace quorvel
