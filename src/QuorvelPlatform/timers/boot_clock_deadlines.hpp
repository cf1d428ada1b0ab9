#pragma once

// Deadlines on the boot-time clock (CLOCK_BOOTTIME), which keeps counting while the computer is
// suspended: a window that ends in twenty minutes ends twenty minutes later in real time even
// when the lid was closed in between.
//
// An owner keeps all its deadlines in one ordered queue driven by one timer descriptor, armed for
// the earliest of them, so that a thousand pending requests cost one descriptor and not a
// thousand (a process has only so many). Deadlines due at the same instant run in the order they
// were set. Each action runs on a later turn of the owner's loop, never inside the call that set
// it, and as an event handler of its own: what it throws is reported on standard error and stops
// neither the queue nor the program.
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

#include "QuorvelShared/support/boot_clock.hpp"

class QSocketNotifier;

namespace quorvel {

// BootClock's reading in seconds, for deadlines kept as plain numbers.
double bootClockSeconds();

class BootClockDeadlines final : public QObject {
    Q_OBJECT
public:
    // Names one deadline; never 0, never reused by the same owner.
    using Id = std::uint64_t;

    // Throws std::system_error when the kernel gives no timer.
    explicit BootClockDeadlines(QObject* parent = nullptr);
    ~BootClockDeadlines() override;

    // Runs `action` once, `seconds` from now. Zero, a negative length or NaN runs it on the next
    // turn of the loop; lengths beyond a century (infinity too) are clamped to a century.
    Id after(double seconds, std::function<void()> action);
    // Runs `action` once at `when` (an instant already past: on the next turn of the loop).
    Id at(BootClock::time_point when, std::function<void()> action);
    // The deadline's action never runs. An id that is unknown, already run or cancelled is
    // ignored.
    void cancel(Id id);

    bool isPending(Id id) const { return dueById_.contains(id); }
    std::size_t pendingCount() const { return queue_.size(); }

private:
    struct Key {
        BootClock::time_point due;
        Id id;
        auto operator<=>(const Key&) const = default;
    };

    void onReadable();
    // Points the descriptor at the earliest deadline, or disarms it when none is left.
    void arm();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    Id lastId_ = 0;
    std::map<Key, std::function<void()>> queue_;
    std::unordered_map<Id, BootClock::time_point> dueById_;
    std::optional<BootClock::time_point> armedFor_;
};

}  // namespace quorvel
