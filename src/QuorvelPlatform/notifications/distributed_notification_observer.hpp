#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace quorvel {

// Calls a handler each time a distributed notification of one name is posted by any process of
// the user, this one included. The handler runs on the event loop of the thread that created
// the observer, on a later turn of that loop, never inside post(). Observation ends when the
// object is destroyed; a handler that wants to end it uses deleteLater(), not delete.
class DistributedNotificationObserver final : public QObject {
    Q_OBJECT

public:
    // Once the constructor returns, the bus delivers every later post of `name` to this
    // observer. Throws Error<DistributedNotificationError>: noSessionBus (with the reason) when
    // there is no session bus, invalidName for a name that cannot be matched.
    DistributedNotificationObserver(const std::string& name, std::function<void()> handler,
                                    QObject* parent = nullptr);
    ~DistributedNotificationObserver() override;

    const std::string& name() const { return name_; }

private Q_SLOTS:
    void onPosted(const QString& name);

private:
    std::string name_;
    QString matchedName_;
    std::function<void()> handler_;
    QDBusConnection bus_;
};

}  // namespace quorvel
