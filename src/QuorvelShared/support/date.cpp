#include "QuorvelShared/support/date.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "QuorvelShared/support/json_errors.hpp"

namespace quorvel {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

bool isLeapYear(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(std::int64_t y, unsigned m) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

std::optional<unsigned> digits(std::string_view text, std::size_t at, std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

}  // namespace

std::string formatIsoDate(Date date) {
    const double unix = std::floor(date.unixSeconds());
    // Years 0000 to 9999 are what the four-digit text can hold.
    constexpr double first = -62167219200.0;  // 0000-01-01T00:00:00Z
    constexpr double last = 253402300799.0;   // 9999-12-31T23:59:59Z
    if (!std::isfinite(unix) || unix < first || unix > last) {
        throw json::EncodeError("the date cannot be written as an ISO 8601 text");
    }
    const auto seconds = static_cast<std::int64_t>(unix);
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    const Civil civil = civilFromDays(days);
    // Room for any 64-bit year, so the compiler can see that nothing is cut.
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(civil.year), civil.month, civil.day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest % 3600 / 60),
                  static_cast<long long>(rest % 60));
    return text;
}

std::optional<Date> parseIsoDate(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 ||
        *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    const std::int64_t days = daysFromCivil(*year, *month, *day);
    const std::int64_t secondOfDay = std::int64_t{*hour} * 3600 + *minute * 60 + *second;
    const double unix = static_cast<double>(days * 86400 + secondOfDay);
    return Date::fromUnixSeconds(unix);
}

}  // namespace quorvel
