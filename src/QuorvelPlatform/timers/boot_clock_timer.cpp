#include "QuorvelPlatform/timers/boot_clock_timer.hpp"

#include "QuorvelShared/support/boot_clock.hpp"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace quorvel {

namespace {

constexpr double longestSeconds = 100.0 * 365 * 24 * 3600;

timespec toTimespec(double seconds) {
    if (std::isnan(seconds) || seconds < 0)
        seconds = 0;
    if (seconds > longestSeconds)
        seconds = longestSeconds;
    double whole = std::floor(seconds);
    timespec value{};
    value.tv_sec = static_cast<time_t>(whole);
    value.tv_nsec = static_cast<long>((seconds - whole) * 1e9);
    // An all-zero it_value would disarm the timer instead of firing it.
    if (value.tv_sec == 0 && value.tv_nsec == 0)
        value.tv_nsec = 1;
    return value;
}

}  // namespace

double bootClockSeconds() {
    return std::chrono::duration<double>(BootClock::now().time_since_epoch()).count();
}

BootClockTimer::BootClockTimer(QObject* parent) : QObject(parent) {
    fd_ = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "timerfd_create");
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &BootClockTimer::onReadable);
}

BootClockTimer::~BootClockTimer() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void BootClockTimer::start(double seconds) {
    itimerspec setting{};
    setting.it_value = toTimespec(seconds);
    if (timerfd_settime(fd_, 0, &setting, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "timerfd_settime");
    active_ = true;
}

void BootClockTimer::stop() {
    itimerspec setting{};
    timerfd_settime(fd_, 0, &setting, nullptr);
    // A firing already in the descriptor must not arrive after stop().
    std::uint64_t expirations = 0;
    while (::read(fd_, &expirations, sizeof expirations) > 0) {
    }
    active_ = false;
}

void BootClockTimer::onReadable() {
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations)
        return;
    if (!active_)
        return;
    active_ = false;
    Q_EMIT timeout();
}

}  // namespace quorvel

#include "moc_boot_clock_timer.cpp"
