#include "QuorvelPlatform/bluetooth/notify_socket.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace quorvel::bluetooth {

std::optional<NotifySocket::Pair> NotifySocket::create(QObject* parent) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
        return std::nullopt;
    }
    return Pair{std::unique_ptr<NotifySocket>(new NotifySocket(fds[0], parent)), fds[1]};
}

NotifySocket::NotifySocket(int fd, QObject* parent)
    : QObject(parent),
      fd_(fd),
      readNotifier_(fd, QSocketNotifier::Read),
      writeNotifier_(fd, QSocketNotifier::Write) {
    writeNotifier_.setEnabled(false);
    connect(&readNotifier_, &QSocketNotifier::activated, this, &NotifySocket::onReadable);
    connect(&writeNotifier_, &QSocketNotifier::activated, this, &NotifySocket::onWritable);
}

NotifySocket::~NotifySocket() {
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

NotifySocket::SendResult NotifySocket::send(ByteView frame) {
    if (fd_ < 0) {
        return SendResult::closed;
    }
    for (;;) {
        const ssize_t sent = ::send(fd_, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0) {
            return SendResult::sent;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) {
            writeNotifier_.setEnabled(true);
            return SendResult::full;
        }
        shutDown();
        return SendResult::closed;
    }
}

bool NotifySocket::hasRoom() const {
    if (fd_ < 0) {
        return false;
    }
    pollfd entry{fd_, POLLOUT, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLOUT) != 0;
}

void NotifySocket::onReadable() {
    // bluetoothd sends nothing on this socket; whatever comes is read and dropped, and end of
    // file (or an error) is the end of the subscription.
    char buffer[512];
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        shutDown();
        return;
    }
}

void NotifySocket::onWritable() {
    writeNotifier_.setEnabled(false);
    Q_EMIT writable();
}

void NotifySocket::shutDown() {
    if (fd_ < 0) {
        return;
    }
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    ::close(fd_);
    fd_ = -1;
    Q_EMIT closed();
}

}  // namespace quorvel::bluetooth

#include "moc_notify_socket.cpp"
