#pragma once

// The D-Bus objects of our GATT application, one QObject per object path. bluetoothd reads their
// properties only from the application's GetManagedObjects; the Q_PROPERTYs serve anyone who
// asks through org.freedesktop.DBus.Properties.
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"

namespace quorvel::bluetooth {

class GattApplication;

// The application's root: ObjectManager.GetManagedObjects lists the service and its two
// characteristics.
class GattApplicationRoot final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")

public:
    explicit GattApplicationRoot(std::function<bluez::ManagedObjects()> objects)
        : objects_(std::move(objects)) {}

public Q_SLOTS:
    bluez::ManagedObjects GetManagedObjects() { return objects_(); }

private:
    std::function<bluez::ManagedObjects()> objects_;
};

class GattServiceObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.bluez.GattService1")
    Q_PROPERTY(QString UUID READ uuid)
    Q_PROPERTY(bool Primary READ primary)

public:
    explicit GattServiceObject(QString uuid) : uuid_(std::move(uuid)) {}
    QString uuid() const { return uuid_; }
    bool primary() const { return true; }
    QVariantMap dbusProperties() const;

private:
    QString uuid_;
};

// Mac to phone: notify only. The NotifyAcquired property, whatever its value, makes bluetoothd
// hand each subscription over through AcquireNotify instead of StartNotify.
class GattNotifyCharacteristic final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.bluez.GattCharacteristic1")
    Q_PROPERTY(QString UUID READ uuid)
    Q_PROPERTY(QDBusObjectPath Service READ service)
    Q_PROPERTY(QStringList Flags READ flags)
    Q_PROPERTY(bool NotifyAcquired READ notifyAcquired)

public:
    // Takes the caller's bus name, the device path and the ATT MTU; returns the end of a fresh
    // socket pair to hand over (closed here afterwards), or -1 to refuse.
    using AcquireHandler =
        std::function<int(const QString& sender, const QString& device, int mtu)>;

    GattNotifyCharacteristic(QString uuid, QDBusObjectPath service, AcquireHandler acquire)
        : uuid_(std::move(uuid)), service_(std::move(service)), acquire_(std::move(acquire)) {}
    QString uuid() const { return uuid_; }
    QDBusObjectPath service() const { return service_; }
    QStringList flags() const { return {QStringLiteral("notify")}; }
    bool notifyAcquired() const { return notifyAcquired_; }
    void setNotifyAcquired(bool acquired) { notifyAcquired_ = acquired; }
    QVariantMap dbusProperties() const;

public Q_SLOTS:
    QDBusUnixFileDescriptor AcquireNotify(const QVariantMap& options, ushort& mtu);
    void StartNotify();
    void StopNotify();

private:
    QString uuid_;
    QDBusObjectPath service_;
    AcquireHandler acquire_;
    bool notifyAcquired_ = false;
};

// Phone to Mac: write with response only. A write-without-response flag, even beside "write",
// would make bluetoothd acknowledge every write before our answer and drop our results.
class GattWriteCharacteristic final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.bluez.GattCharacteristic1")
    Q_PROPERTY(QString UUID READ uuid)
    Q_PROPERTY(QDBusObjectPath Service READ service)
    Q_PROPERTY(QStringList Flags READ flags)

public:
    // Takes the caller's bus name, the device path, the written value and the responder that
    // answers the write.
    using WriteHandler = std::function<void(const QString& sender, const QString& device,
                                            const QByteArray& value, WriteResponder)>;

    GattWriteCharacteristic(QString uuid, QDBusObjectPath service, WriteHandler write)
        : uuid_(std::move(uuid)), service_(std::move(service)), write_(std::move(write)) {}
    QString uuid() const { return uuid_; }
    QDBusObjectPath service() const { return service_; }
    QStringList flags() const { return {QStringLiteral("write")}; }
    QVariantMap dbusProperties() const;

public Q_SLOTS:
    void WriteValue(const QByteArray& value, const QVariantMap& options);

private:
    QString uuid_;
    QDBusObjectPath service_;
    WriteHandler write_;
};

}  // namespace quorvel::bluetooth
