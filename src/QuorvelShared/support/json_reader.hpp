#pragma once

// Strict reading of JSON values, as the peer's synthesised decoders read them: a missing required
// key fails; an optional key that is missing or null is absent; unknown keys are ignored; no
// coercion between bool, integer, float and string (an integral float such as 5.0 reads as an
// integer, 5.5 does not); integers are range checked. Every failure names the key's path.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::json {

// Parses text; anything but one valid JSON value fails with dataCorrupted.
Json parse(std::string_view text);

std::string keyPath(std::string_view parent, std::string_view key);
std::string indexPath(std::string_view parent, std::size_t index);

[[noreturn]] void failTypeMismatch(const std::string& path, std::string_view expected);
[[noreturn]] void failDataCorrupted(const std::string& path, std::string description);

// Readers of one value. `path` names the value in errors.
std::string readString(const Json& value, const std::string& path);
std::int64_t readInt64(const Json& value, const std::string& path);
bool readBool(const Json& value, const std::string& path);
double readDouble(const Json& value, const std::string& path);
// A date written as ISO text ("2024-05-01T10:00:00Z").
Date readIsoDate(const Json& value, const std::string& path);
// A date written as a number of seconds since 2001-01-01T00:00:00Z.
Date readReferenceDate(const Json& value, const std::string& path);

// Call with the enumeration named: readEnum<LockMode>(value, path, lockModeNames).
template <class E>
E readEnum(const Json& value, const std::string& path, EnumNameTable<E> table) {
    const std::string name = readString(value, path);
    if (auto parsed = enumFromName(name, table)) {
        return *parsed;
    }
    failDataCorrupted(path, "Cannot initialize from invalid String value " + name);
}

template <class Read>
using ReadResult = std::invoke_result_t<Read, const Json&, const std::string&>;

template <class Read>
std::vector<ReadResult<Read>> readArray(const Json& value, const std::string& path, Read read) {
    if (!value.is_array()) {
        failTypeMismatch(path, "an array");
    }
    std::vector<ReadResult<Read>> result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        result.push_back(read(value[i], indexPath(path, i)));
    }
    return result;
}

// An object used as a map from its member names to values of one type.
template <class Read>
std::map<std::string, ReadResult<Read>> readMap(const Json& value, const std::string& path,
                                                Read read) {
    if (!value.is_object()) {
        failTypeMismatch(path, "an object");
    }
    std::map<std::string, ReadResult<Read>> result;
    for (const auto& [key, member] : value.items()) {
        result.insert_or_assign(key, read(member, keyPath(path, key)));
    }
    return result;
}

// A view of one JSON object for reading its keys.
class ObjectReader {
public:
    // Fails with typeMismatch when `value` is not an object.
    ObjectReader(const Json& value, std::string path);

    // The value of `key`, or nullptr when the key is missing or null.
    const Json* find(std::string_view key) const;
    std::string pathOf(std::string_view key) const { return keyPath(path_, key); }
    const std::string& path() const { return path_; }

    // A required key: missing fails with keyNotFound, null with valueNotFound.
    const Json& require(std::string_view key) const;

    template <class Read>
    ReadResult<Read> required(std::string_view key, Read read) const {
        return read(require(key), pathOf(key));
    }

    template <class Read>
    std::optional<ReadResult<Read>> optional(std::string_view key, Read read) const {
        if (const Json* value = find(key)) {
            return read(*value, pathOf(key));
        }
        return std::nullopt;
    }

    std::string string(std::string_view key) const { return required(key, readString); }
    std::int64_t int64(std::string_view key) const { return required(key, readInt64); }
    bool boolean(std::string_view key) const { return required(key, readBool); }
    double number(std::string_view key) const { return required(key, readDouble); }
    Date isoDate(std::string_view key) const { return required(key, readIsoDate); }

    std::optional<std::string> optionalString(std::string_view key) const {
        return optional(key, readString);
    }
    std::optional<std::int64_t> optionalInt64(std::string_view key) const {
        return optional(key, readInt64);
    }
    std::optional<bool> optionalBoolean(std::string_view key) const {
        return optional(key, readBool);
    }
    std::optional<Date> optionalIsoDate(std::string_view key) const {
        return optional(key, readIsoDate);
    }

private:
    const Json& object_;
    std::string path_;
};

}  // namespace quorvel::json
