#pragma once

// The advertisement we register with LEAdvertisingManager1. bluetoothd reads it with
// Properties.GetAll once. Type "peripheral" makes it connectable (without a Type it would be a
// broadcast nobody can connect to); the service UUID is the only content, so the 31 bytes hold
// the flags and one 128-bit UUID. Only bluetoothd may call it (bluez_object.hpp): a Release from
// anyone else would otherwise end our advertising for good.
#include <QStringList>
#include <functional>
#include <string>

#include "QuorvelPlatform/bluetooth/bluez_object.hpp"

namespace quorvel::bluetooth {

class LEAdvertisement final : public BlueZObject {
public:
    // `released` runs when bluetoothd drops the advertisement on its own.
    LEAdvertisement(Caller allowedCaller, const std::string& serviceUUID,
                    std::function<void()> released)
        : BlueZObject(std::move(allowedCaller)),
          serviceUUID_(QString::fromStdString(serviceUUID).toLower()),
          released_(std::move(released)) {}

    QString interfaceName() const override;
    QVariantMap dbusProperties() const override;

protected:
    QString methodsXml() const override;
    bool call(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString serviceUUID_;
    std::function<void()> released_;
};

}  // namespace quorvel::bluetooth
