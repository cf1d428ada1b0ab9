#pragma once

// Our GATT application as bluetoothd sees it: an object tree under one path, with
// ObjectManager.GetManagedObjects at its root, one primary service and its two characteristics
// (Mac to phone first, then phone to Mac). The objects live exactly as long as this owner and
// answer only `allowedCaller` (bluetoothd).
#include <QDBusConnection>
#include <QString>
#include <memory>

#include "QuorvelPlatform/bluetooth/gatt_objects.hpp"

namespace quorvel::bluetooth {

class GattApplication {
public:
    GattApplication(QDBusConnection bus, QString path, BlueZObject::Caller allowedCaller,
                    const GattServiceLayout& layout,
                    GattNotifyCharacteristic::AcquireHandler acquire,
                    GattWriteCharacteristic::WriteHandler write);
    ~GattApplication();
    GattApplication(const GattApplication&) = delete;
    GattApplication& operator=(const GattApplication&) = delete;

    // Puts the objects on the bus; false with the reason when a path is taken.
    bool exportObjects(QString& error);

    const QString& path() const { return path_; }
    bluez::ManagedObjects managedObjects() const;
    void setNotifyAcquired(bool acquired) { notify_->setNotifyAcquired(acquired); }

private:
    QDBusConnection bus_;
    QString path_;
    QString servicePath_;
    std::unique_ptr<GattApplicationRoot> root_;
    std::unique_ptr<GattServiceObject> service_;
    std::unique_ptr<GattNotifyCharacteristic> notify_;
    std::unique_ptr<GattWriteCharacteristic> write_;
    bool exported_ = false;
};

}  // namespace quorvel::bluetooth
