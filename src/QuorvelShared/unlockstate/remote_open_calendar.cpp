#include "QuorvelShared/unlockstate/remote_open_calendar.hpp"

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace quorvel {
namespace {

[[noreturn]] void outOfCalendar() {
    throw std::out_of_range("the date lies outside the local calendar");
}

// One Gregorian calendar and "yyyy-MM-dd" formatter in the zone of the process at first use.
// ICU keeps that zone of its own; unlike localtime_r, no later tzset() moves it.
struct LocalCalendar {
    std::mutex mutex;  // ICU calendars and formatters are not thread-safe
    std::unique_ptr<icu::GregorianCalendar> calendar;
    std::unique_ptr<icu::SimpleDateFormat> dayFormat;

    LocalCalendar() {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale posix("en_US_POSIX");
        calendar =
            std::make_unique<icu::GregorianCalendar>(icu::TimeZone::createDefault(), posix, status);
        calendar->setLenient(false);
        dayFormat = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"yyyy-MM-dd"),
                                                            posix, status);
        if (U_SUCCESS(status)) {
            dayFormat->setCalendar(*calendar);
        }
        if (U_FAILURE(status)) {
            throw std::runtime_error(std::string("the local calendar cannot be made: ") +
                                     u_errorName(status));
        }
    }
};

LocalCalendar& localCalendar() {
    static LocalCalendar local;
    return local;
}

}  // namespace

LocalDayAndHour localDayAndHour(Date date) {
    const double milliseconds = std::floor(date.unixSeconds()) * 1000.0;
    if (!std::isfinite(milliseconds)) {
        outOfCalendar();
    }
    LocalCalendar& local = localCalendar();
    std::lock_guard lock(local.mutex);
    UErrorCode status = U_ZERO_ERROR;
    local.calendar->setTime(milliseconds, status);
    const int hour = local.calendar->get(UCAL_HOUR_OF_DAY, status);
    if (U_FAILURE(status)) {
        outOfCalendar();
    }
    icu::UnicodeString day;
    local.dayFormat->format(milliseconds, day);
    std::string dateKey;
    day.toUTF8String(dateKey);
    return {dateKey, hour};
}

}  // namespace quorvel
