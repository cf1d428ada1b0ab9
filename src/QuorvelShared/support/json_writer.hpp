#pragma once

// The only code that turns JSON values into bytes. All three forms escape "/" as "\/", write
// control characters as \b \f \n \r \t or lower-case \u00xx, keep non-ASCII text as raw UTF-8,
// and write doubles in their shortest round-trip form.
#include <string>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::json {

enum class Style {
    // Two-space indentation, " : " between key and value, keys sorted: the state files.
    prettySorted,
    // No whitespace, keys in insertion order (a record's declaration order).
    compact,
    // No whitespace, keys sorted by their UTF-8 bytes: the bytes that signatures cover. They
    // must equal the other device's bytes exactly.
    canonical,
};

// Throws EncodeError for a value with no JSON text (a non-finite number, text that is not UTF-8).
std::string write(const Json& value, Style style);

// A list of records as a JSON array, each written by its toJson (found beside the record), or by
// `write` for values without one. The counterpart of json::readArray.
template <class List>
Json arrayOf(const List& items) {
    Json array = Json::array();
    for (const auto& item : items) {
        array.push_back(toJson(item));
    }
    return array;
}
template <class List, class Write>
Json arrayOf(const List& items, Write write) {
    Json array = Json::array();
    for (const auto& item : items) {
        array.push_back(write(item));
    }
    return array;
}

// A date as ISO text, the form of every file and message but the two Bluetooth status files.
inline Json isoDateValue(Date date) {
    return formatIsoDate(date);
}
// A date as its number of seconds since 2001-01-01T00:00:00Z, the Bluetooth status files' form.
inline Json referenceDateValue(Date date) {
    return date.secondsSinceReferenceDate;
}

}  // namespace quorvel::json
