#pragma once

// Our end of the socket pair handed to bluetoothd by AcquireNotify. bluetoothd reads one
// notification per read, so the pair is SOCK_SEQPACKET: with a stream two frames could merge and
// the second be lost. bluetoothd never writes to it; end of file means it let the subscription go.
// We never close our end to "reset" a subscription: bluetoothd would keep counting the phone as
// subscribed and notifications would stay dead until the phone re-subscribed.
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <optional>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::bluetooth {

class NotifySocket final : public QObject {
    Q_OBJECT

public:
    struct Pair {
        std::unique_ptr<NotifySocket> ours;
        int theirs = -1;  // to hand over, then close
    };
    // A fresh pair; no value (with errno set) when the system refuses one.
    static std::optional<Pair> create(QObject* parent = nullptr);

    ~NotifySocket() override;

    enum class SendResult { sent, full, closed };
    // Sends one frame without blocking and without SIGPIPE. `full` arms the writable watch.
    SendResult send(ByteView frame);
    // Whether a frame would go out now (no guarantee for a large one).
    bool hasRoom() const;
    bool isClosed() const { return fd_ < 0; }
    // Emits writable() once the socket has room again.
    void watchForRoom() { writeNotifier_.setEnabled(fd_ >= 0); }

Q_SIGNALS:
    // bluetoothd let go of its end (the phone unsubscribed or went away unbonded).
    void closed();
    // After a `full` send, the socket has room again.
    void writable();

private:
    NotifySocket(int fd, QObject* parent);
    void onReadable();
    void onWritable();
    void shutDown();

    int fd_;
    QSocketNotifier readNotifier_;
    QSocketNotifier writeNotifier_;
};

}  // namespace quorvel::bluetooth
