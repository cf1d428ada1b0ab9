#include "QuorvelPlatform/bluetooth/gatt_application.hpp"

namespace quorvel::bluetooth {
namespace {

// bluetoothd writes UUIDs in lower case; it reads either, but the tree reads like its own.
QString uuidText(const std::string& uuid) {
    return QString::fromStdString(uuid).toLower();
}

}  // namespace

GattApplication::GattApplication(QDBusConnection bus, QString path,
                                 BlueZObject::Caller allowedCaller, const GattServiceLayout& layout,
                                 GattNotifyCharacteristic::AcquireHandler acquire,
                                 GattWriteCharacteristic::WriteHandler write)
    : bus_(std::move(bus)), path_(std::move(path)), servicePath_(path_ + "/service0") {
    bluez::registerDBusTypes();
    const QDBusObjectPath service(servicePath_);
    root_ =
        std::make_unique<GattApplicationRoot>(allowedCaller, [this] { return managedObjects(); });
    service_ = std::make_unique<GattServiceObject>(allowedCaller, uuidText(layout.serviceUUID));
    notify_ = std::make_unique<GattNotifyCharacteristic>(
        allowedCaller, uuidText(layout.notifyCharacteristicUUID), service, std::move(acquire));
    write_ = std::make_unique<GattWriteCharacteristic>(
        allowedCaller, uuidText(layout.writeCharacteristicUUID), service, std::move(write));
}

GattApplication::~GattApplication() {
    if (exported_) {
        bus_.unregisterObject(path_, QDBusConnection::UnregisterTree);
    }
}

bool GattApplication::exportObjects(QString& error) {
    const std::pair<QString, BlueZObject*> objects[] = {
        {path_, root_.get()},
        {servicePath_, service_.get()},
        {servicePath_ + "/char0", notify_.get()},
        {servicePath_ + "/char1", write_.get()},
    };
    for (const auto& [objectPath, object] : objects) {
        if (!bus_.registerVirtualObject(objectPath, object)) {
            error =
                QStringLiteral("cannot export %1: %2").arg(objectPath, bus_.lastError().message());
            bus_.unregisterObject(path_, QDBusConnection::UnregisterTree);
            return false;
        }
    }
    exported_ = true;
    return true;
}

bluez::ManagedObjects GattApplication::managedObjects() const {
    return {
        {QDBusObjectPath(servicePath_),
         {{bluez::gattServiceInterface, service_->dbusProperties()}}},
        {QDBusObjectPath(servicePath_ + "/char0"),
         {{bluez::gattCharacteristicInterface, notify_->dbusProperties()}}},
        {QDBusObjectPath(servicePath_ + "/char1"),
         {{bluez::gattCharacteristicInterface, write_->dbusProperties()}}},
    };
}

}  // namespace quorvel::bluetooth
