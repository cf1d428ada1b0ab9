#pragma once

#include <stdexcept>
#include <string>

namespace quorvel::json {

// The four ways a decode fails, as the peer's decoder tells them apart.
enum class DecodeErrorKind {
    dataCorrupted,  // not JSON, a value out of range, an unknown enumeration name
    keyNotFound,    // a required key is missing
    valueNotFound,  // a required key holds null
    typeMismatch,   // a value of another JSON type
};

class DecodeError : public std::runtime_error {
public:
    DecodeError(DecodeErrorKind kind, std::string path, std::string description);

    DecodeErrorKind kind() const { return kind_; }
    // Where the failure is, as "targets[3].id"; empty for the top level.
    const std::string& path() const { return path_; }
    const std::string& description() const { return description_; }

private:
    DecodeErrorKind kind_;
    std::string path_;
    std::string description_;
};

// A value that has no JSON form (a date that cannot be written, a number that is not finite,
// text that is not UTF-8).
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace quorvel::json
