#pragma once

// The D-Bus objects of our GATT application, one per object path, each answering bluetoothd
// alone (bluez_object.hpp). bluetoothd reads their properties only from the application's
// GetManagedObjects.
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"
#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"
#include "QuorvelPlatform/bluetooth/bluez_object.hpp"

namespace quorvel::bluetooth {

// The application's root: ObjectManager.GetManagedObjects lists the service and its two
// characteristics.
class GattApplicationRoot final : public BlueZObject {
public:
    GattApplicationRoot(Caller allowedCaller, std::function<bluez::ManagedObjects()> objects)
        : BlueZObject(std::move(allowedCaller)), objects_(std::move(objects)) {}
    QString interfaceName() const override { return bluez::objectManagerInterface; }
    QVariantMap dbusProperties() const override { return {}; }

protected:
    QString methodsXml() const override;
    bool call(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::function<bluez::ManagedObjects()> objects_;
};

class GattServiceObject final : public BlueZObject {
public:
    GattServiceObject(Caller allowedCaller, QString uuid)
        : BlueZObject(std::move(allowedCaller)), uuid_(std::move(uuid)) {}
    QString interfaceName() const override { return bluez::gattServiceInterface; }
    QVariantMap dbusProperties() const override;

private:
    QString uuid_;
};

// Mac to phone: notify only. The NotifyAcquired property, whatever its value, makes bluetoothd
// hand each subscription over through AcquireNotify instead of StartNotify.
class GattNotifyCharacteristic final : public BlueZObject {
public:
    // Takes the device path and the ATT MTU; returns the end of a fresh socket pair to hand
    // over (closed here afterwards), or -1 to refuse.
    using AcquireHandler = std::function<int(const QString& device, int mtu)>;

    GattNotifyCharacteristic(Caller allowedCaller, QString uuid, QDBusObjectPath service,
                             AcquireHandler acquire)
        : BlueZObject(std::move(allowedCaller)),
          uuid_(std::move(uuid)),
          service_(std::move(service)),
          acquire_(std::move(acquire)) {}
    QString interfaceName() const override { return bluez::gattCharacteristicInterface; }
    QVariantMap dbusProperties() const override;
    void setNotifyAcquired(bool acquired) { notifyAcquired_ = acquired; }

protected:
    QString methodsXml() const override;
    bool call(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString uuid_;
    QDBusObjectPath service_;
    AcquireHandler acquire_;
    bool notifyAcquired_ = false;
};

// Phone to Mac: write with response only. A write-without-response flag, even beside "write",
// would make bluetoothd acknowledge every write before our answer and drop our results.
class GattWriteCharacteristic final : public BlueZObject {
public:
    // Takes the device path, the written value and the responder that answers the write.
    using WriteHandler =
        std::function<void(const QString& device, const QByteArray& value, WriteResponder)>;

    GattWriteCharacteristic(Caller allowedCaller, QString uuid, QDBusObjectPath service,
                            WriteHandler write)
        : BlueZObject(std::move(allowedCaller)),
          uuid_(std::move(uuid)),
          service_(std::move(service)),
          write_(std::move(write)) {}
    QString interfaceName() const override { return bluez::gattCharacteristicInterface; }
    QVariantMap dbusProperties() const override;

protected:
    QString methodsXml() const override;
    bool call(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString uuid_;
    QDBusObjectPath service_;
    WriteHandler write_;
};

}  // namespace quorvel::bluetooth
