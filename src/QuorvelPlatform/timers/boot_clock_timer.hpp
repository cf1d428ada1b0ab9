#pragma once
// A one-shot timer on the boot-time clock (CLOCK_BOOTTIME), which keeps counting while the
// computer is suspended: a window that ends in twenty minutes ends twenty minutes later in real
// time even when the lid was closed in between. Any length is accepted; no int-millisecond limit.
#include <QObject>
#include <QSocketNotifier>

namespace quorvel {

// BootClock's reading in seconds, for deadlines kept as plain numbers.
double bootClockSeconds();

class BootClockTimer final : public QObject {
    Q_OBJECT
public:
    // Throws std::system_error when the kernel gives no timer.
    explicit BootClockTimer(QObject* parent = nullptr);
    ~BootClockTimer() override;

    // (Re)arms the timer to fire once after `seconds`. Zero, a negative length or NaN fires on
    // the next turn of the loop; lengths beyond a century (infinity too) are clamped to it.
    void start(double seconds);
    void stop();
    bool isActive() const { return active_; }

Q_SIGNALS:
    void timeout();

private:
    void onReadable();

    int fd_ = -1;
    bool active_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quorvel
