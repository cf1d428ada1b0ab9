#pragma once

// The advertisement we register with LEAdvertisingManager1. bluetoothd reads it with
// Properties.GetAll once. Type "peripheral" makes it connectable (without a Type it would be a
// broadcast nobody can connect to); the service UUID is the only content, so the 31 bytes hold
// the flags and one 128-bit UUID.
#include <QtDBus/qtdbusglobal.h>
#include <QObject>
#include <QStringList>
#include <functional>

namespace quorvel::bluetooth {

class LEAdvertisement final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.bluez.LEAdvertisement1")
    Q_PROPERTY(QString Type READ type)
    Q_PROPERTY(QStringList ServiceUUIDs READ serviceUUIDs)

public:
    // `released` runs when bluetoothd drops the advertisement on its own.
    LEAdvertisement(const std::string& serviceUUID, std::function<void()> released)
        : serviceUUID_(QString::fromStdString(serviceUUID).toLower()),
          released_(std::move(released)) {}

    QString type() const { return QStringLiteral("peripheral"); }
    QStringList serviceUUIDs() const { return {serviceUUID_}; }

public Q_SLOTS:
    Q_NOREPLY void Release();

private:
    QString serviceUUID_;
    std::function<void()> released_;
};

}  // namespace quorvel::bluetooth
