#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <system_error>

#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel {

double bootClockSeconds() {
    return std::chrono::duration<double>(BootClock::now().time_since_epoch()).count();
}

BootClockDeadlines::BootClockDeadlines(QObject* parent) : QObject(parent) {
    fd_ = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "timerfd_create");
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &BootClockDeadlines::onReadable);
}

BootClockDeadlines::~BootClockDeadlines() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

BootClockDeadlines::Id BootClockDeadlines::after(double seconds, std::function<void()> action) {
    return at(BootClock::now() + bootClockLength(seconds), std::move(action));
}

BootClockDeadlines::Id BootClockDeadlines::at(BootClock::time_point when,
                                              std::function<void()> action) {
    const auto latest = BootClock::now() + bootClockLength(longestBootClockSeconds);
    if (when > latest)
        when = latest;
    const Id id = ++lastId_;
    queue_.emplace(Key{when, id}, std::move(action));
    dueById_.emplace(id, when);
    try {
        arm();
    } catch (...) {
        cancel(id);
        throw;
    }
    return id;
}

void BootClockDeadlines::cancel(Id id) {
    const auto found = dueById_.find(id);
    if (found == dueById_.end())
        return;
    queue_.erase(Key{found->second, id});
    dueById_.erase(found);
    // The descriptor may stay armed for the cancelled deadline: a wake-up for nothing costs less
    // than re-arming on every cancel.
}

void BootClockDeadlines::arm() {
    if (queue_.empty()) {
        if (armedFor_) {
            itimerspec off{};
            timerfd_settime(fd_, TFD_TIMER_ABSTIME, &off, nullptr);
            armedFor_.reset();
        }
        return;
    }
    const BootClock::time_point earliest = queue_.begin()->first.due;
    if (armedFor_ == earliest)
        return;
    const auto sinceBoot = earliest.time_since_epoch();
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(sinceBoot);
    itimerspec setting{};
    setting.it_value.tv_sec = static_cast<time_t>(whole.count());
    setting.it_value.tv_nsec = static_cast<long>((sinceBoot - whole).count());
    // An all-zero it_value would disarm the timer instead of firing it.
    if (setting.it_value.tv_sec == 0 && setting.it_value.tv_nsec == 0)
        setting.it_value.tv_nsec = 1;
    if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &setting, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "timerfd_settime");
    armedFor_ = earliest;
}

void BootClockDeadlines::onReadable() {
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto got = ::read(fd_, &expirations, sizeof expirations);
    armedFor_.reset();
    // Deadlines that the actions below set, even ones due at once, wait for the next turn.
    const BootClock::time_point now = BootClock::now();
    QPointer<BootClockDeadlines> self(this);
    while (!queue_.empty() && queue_.begin()->first.due <= now) {
        auto due = queue_.extract(queue_.begin());
        dueById_.erase(due.key().id);
        runEventHandler(LogArea::process, "a boot-clock deadline", due.mapped());
        // An action may have ended the owner, and this queue with it.
        if (!self)
            return;
    }
    runEventHandler(LogArea::process, "re-arming the boot-clock deadlines", [this] { arm(); });
}

}  // namespace quorvel

#include "moc_boot_clock_deadlines.cpp"
