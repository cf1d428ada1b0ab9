#pragma once

// One object of ours on the system bus. bluetoothd, the current owner of org.bluez, is its only
// caller: any other caller is refused with org.freedesktop.DBus.Error.AccessDenied before the
// call reaches the object, whatever the interface (our own methods,
// org.freedesktop.DBus.Properties and Introspectable alike), and nothing changes. A program that
// could call Release on our advertisement or GetManagedObjects on our application would otherwise
// take our link down or read it, since the system bus's policy is the only other guard.
//
// QtDBus answers Properties and Introspect of an exported QObject itself, with no say for the
// object, so each object is a QDBusVirtualObject, which sees every call to its path first.
// Properties are read-only. (libdbus answers org.freedesktop.DBus.Peer, Ping and GetMachineId,
// for the whole connection before any object sees it; it tells nothing about our objects and
// changes nothing.)
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace quorvel::bluetooth {

class BlueZObject : public QDBusVirtualObject {
public:
    // Gives the unique bus name of bluetoothd at the time of a call; empty when there is none.
    using Caller = std::function<QString()>;

    explicit BlueZObject(Caller allowedCaller) : allowedCaller_(std::move(allowedCaller)) {}

    // The object's one interface and its properties, as GetManagedObjects and Properties show
    // them.
    virtual QString interfaceName() const = 0;
    virtual QVariantMap dbusProperties() const = 0;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) final;
    QString introspect(const QString& path) const final;

protected:
    // The interface's methods as introspection data (<method> elements).
    virtual QString methodsXml() const { return {}; }
    // Answers a call of the interface's own methods through `connection`, at once or later;
    // false for a method the interface does not have.
    virtual bool call(const QDBusMessage& message, const QDBusConnection& connection);

    // Sends `reply` unless the caller asked for none.
    static void answer(const QDBusConnection& connection, const QDBusMessage& message,
                       const QDBusMessage& reply);

private:
    void properties(const QDBusMessage& message, const QDBusConnection& connection) const;

    Caller allowedCaller_;
};

}  // namespace quorvel::bluetooth
