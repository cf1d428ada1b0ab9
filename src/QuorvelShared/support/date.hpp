#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A point in time as seconds since 2001-01-01T00:00:00Z, the reference date of the iPhone peer.
// The two Bluetooth status files store this number itself; everything else stores the ISO text.
struct Date {
    double secondsSinceReferenceDate = 0;

    static constexpr double unixSecondsAtReferenceDate = 978307200.0;

    static Date fromUnixSeconds(double unixSeconds) {
        return Date{unixSeconds - unixSecondsAtReferenceDate};
    }
    double unixSeconds() const { return secondsSinceReferenceDate + unixSecondsAtReferenceDate; }

    Date addingSeconds(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
    // Seconds from `earlier` to this date (negative when this date is the earlier one).
    double secondsSince(Date earlier) const {
        return secondsSinceReferenceDate - earlier.secondsSinceReferenceDate;
    }

    friend auto operator<=>(const Date&, const Date&) = default;
};

// "YYYY-MM-DDTHH:MM:SSZ" in UTC; a fraction of a second is dropped (floor), as the peer's
// formatter does. Throws json::EncodeError for a date that has no such text (not finite, or a
// year outside 0000...9999).
std::string formatIsoDate(Date date);

// Reads exactly the form formatIsoDate writes. A fraction, an offset, a lower-case letter, a
// missing "Z" or an impossible calendar date gives no value.
std::optional<Date> parseIsoDate(std::string_view text);

}  // namespace quorvel
