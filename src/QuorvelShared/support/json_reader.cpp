#include "QuorvelShared/support/json_reader.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace quorvel::json {

DecodeError::DecodeError(DecodeErrorKind kind, std::string path, std::string description)
    : std::runtime_error(path.empty() ? description : path + ": " + description),
      kind_(kind),
      path_(std::move(path)),
      description_(std::move(description)) {}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text with every run of blanks outside strings cut to its first blank. A run separates
// tokens just as one blank does, so the value parsed, and whether the text parses at all, stay
// the same; but the parser keeps each character it reads for error texts we replace anyway, some
// thirty instructions a blank, and a message padded with blanks would cost that per byte.
// Strings are copied as they stand: blanks inside them are content (or faults to be found).
std::string withBlankRunsCut(std::string_view text) {
    std::string cut;
    cut.reserve(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* uncopied = p;
    while (p < end) {
        const char c = *p++;
        if (c == '"') {
            while (p < end) {
                const char d = *p++;
                if (d == '"')
                    break;
                if (d == '\\' && p < end)
                    ++p;
            }
        } else if (isBlank(c)) {
            cut.append(uncopied, p);
            // Eight spaces at a time first: padding is mostly spaces.
            constexpr std::uint64_t eightSpaces = 0x2020202020202020u;
            std::uint64_t word = 0;
            while (end - p >= 8 && (std::memcpy(&word, p, 8), word == eightSpaces))
                p += 8;
            while (p < end && isBlank(*p))
                ++p;
            uncopied = p;
        }
    }
    cut.append(uncopied, end);
    return cut;
}

}  // namespace

Json parse(std::string_view text) {
    try {
        return Json::parse(withBlankRunsCut(text));
    } catch (const nlohmann::json::exception&) {
        throw DecodeError(DecodeErrorKind::dataCorrupted, "", "The given data was not valid JSON.");
    }
}

std::string keyPath(std::string_view parent, std::string_view key) {
    std::string path(parent);
    if (!path.empty()) {
        path += '.';
    }
    path += key;
    return path;
}

std::string indexPath(std::string_view parent, std::size_t index) {
    return std::string(parent) + "[" + std::to_string(index) + "]";
}

void failTypeMismatch(const std::string& path, std::string_view expected) {
    throw DecodeError(DecodeErrorKind::typeMismatch, path,
                      "Expected to decode " + std::string(expected) + ".");
}

void failDataCorrupted(const std::string& path, std::string description) {
    throw DecodeError(DecodeErrorKind::dataCorrupted, path, std::move(description));
}

std::string readString(const Json& value, const std::string& path) {
    if (!value.is_string()) {
        failTypeMismatch(path, "a string");
    }
    return value.get_ref<const std::string&>();
}

std::int64_t readInt64(const Json& value, const std::string& path) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            failDataCorrupted(path, "Parsed JSON number does not fit in a 64-bit integer.");
        }
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // An integer literal within range arrives as an integer; a float at +-2^63 can only come
        // from a literal beyond the range that rounded onto it.
        constexpr double limit = 9223372036854775808.0;
        if (std::isfinite(number) && std::trunc(number) == number && number > -limit &&
            number < limit) {
            return static_cast<std::int64_t>(number);
        }
        failDataCorrupted(path, "Parsed JSON number does not fit in a 64-bit integer.");
    }
    failTypeMismatch(path, "an integer");
}

bool readBool(const Json& value, const std::string& path) {
    if (!value.is_boolean()) {
        failTypeMismatch(path, "a boolean");
    }
    return value.get<bool>();
}

double readDouble(const Json& value, const std::string& path) {
    if (!value.is_number()) {
        failTypeMismatch(path, "a number");
    }
    return value.get<double>();
}

Date readIsoDate(const Json& value, const std::string& path) {
    const std::string text = readString(value, path);
    if (auto date = parseIsoDate(text)) {
        return *date;
    }
    failDataCorrupted(path, "Expected date string to be ISO8601-formatted.");
}

Date readReferenceDate(const Json& value, const std::string& path) {
    return Date{readDouble(value, path)};
}

ObjectReader::ObjectReader(const Json& value, std::string path)
    : object_(value), path_(std::move(path)) {
    if (!value.is_object()) {
        failTypeMismatch(path_, "an object");
    }
}

const Json* ObjectReader::find(std::string_view key) const {
    const auto it = object_.find(key);
    if (it == object_.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const Json& ObjectReader::require(std::string_view key) const {
    const auto it = object_.find(key);
    if (it == object_.end()) {
        throw DecodeError(DecodeErrorKind::keyNotFound, pathOf(key),
                          "No value associated with key \"" + std::string(key) + "\".");
    }
    if (it->is_null()) {
        throw DecodeError(DecodeErrorKind::valueNotFound, pathOf(key),
                          "Expected a value but found null instead.");
    }
    return *it;
}

}  // namespace quorvel::json
