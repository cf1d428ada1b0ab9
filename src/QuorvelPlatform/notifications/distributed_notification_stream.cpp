#include "QuorvelPlatform/notifications/distributed_notification_stream.hpp"

#include <QMetaObject>
#include <QPointer>

namespace quorvel {

DistributedNotificationStream::DistributedNotificationStream(const std::string& name,
                                                             QObject* parent)
    : QObject(parent),
      observer_(std::make_unique<DistributedNotificationObserver>(name, [this] { onPosted(); })) {}

DistributedNotificationStream::~DistributedNotificationStream() {
    observer_.reset();
}

void DistributedNotificationStream::onPosted() {
    if (!observer_ || pending_)
        return;
    pending_ = true;
    // Queued behind whatever the loop already holds, so posts delivered in the same burst fold
    // into this one wake-up before the owner sees it.
    QMetaObject::invokeMethod(
        this,
        [self = QPointer<DistributedNotificationStream>(this)] {
            if (self && self->pending_)
                Q_EMIT self->available();
        },
        Qt::QueuedConnection);
}

bool DistributedNotificationStream::take() {
    const bool had = pending_;
    pending_ = false;
    return had;
}

void DistributedNotificationStream::finish() {
    if (!observer_)
        return;
    observer_.reset();
    pending_ = false;
    Q_EMIT finished();
}

}  // namespace quorvel

#include "moc_distributed_notification_stream.cpp"
