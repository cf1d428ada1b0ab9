#pragma once

// Wake-ups for one distributed notification name, buffered one deep: a post that arrives while
// an earlier wake-up is still untaken is folded into it, so a burst of posts while the owner is
// busy costs the owner one more round of work, not one per post.
//
// The owner connects to available() and calls take() from its slot. available() is emitted on a
// later turn of the event loop than the post that raised it, after the posts already waiting in
// the loop have been folded in.
#include <QObject>
#include <memory>
#include <string>

#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"

namespace quorvel {

class DistributedNotificationStream final : public QObject {
    Q_OBJECT

public:
    // Observes `name` from the moment the constructor returns. Throws as
    // DistributedNotificationObserver does (no session bus, a name that cannot be matched).
    explicit DistributedNotificationStream(const std::string& name, QObject* parent = nullptr);
    // Stops observing; the stream is finished with the object.
    ~DistributedNotificationStream() override;

    // Takes the buffered wake-up: true when there was one. Nothing after finish().
    bool take();
    bool hasPending() const { return pending_; }

    // Ends the stream: the observer goes, any buffered wake-up is dropped, finished() is emitted
    // once. Later posts are not seen.
    void finish();
    bool isFinished() const { return !observer_; }

Q_SIGNALS:
    void available();
    void finished();

private:
    void onPosted();

    std::unique_ptr<DistributedNotificationObserver> observer_;
    bool pending_ = false;
};

}  // namespace quorvel
