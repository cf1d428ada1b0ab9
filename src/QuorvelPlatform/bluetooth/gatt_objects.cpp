#include "QuorvelPlatform/bluetooth/gatt_objects.hpp"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>

namespace quorvel::bluetooth {
namespace {

QString deviceOption(const QVariantMap& options) {
    return qvariant_cast<QDBusObjectPath>(options.value(QStringLiteral("device"))).path();
}

}  // namespace

QVariantMap GattServiceObject::dbusProperties() const {
    return {{QStringLiteral("UUID"), uuid_}, {QStringLiteral("Primary"), true}};
}

QVariantMap GattNotifyCharacteristic::dbusProperties() const {
    // No Handle: with one, bluetoothd would call Properties.Set back to tell us the handle.
    return {{QStringLiteral("UUID"), uuid_},
            {QStringLiteral("Service"), QVariant::fromValue(service_)},
            {QStringLiteral("Flags"), flags()},
            {QStringLiteral("NotifyAcquired"), notifyAcquired_}};
}

QDBusUnixFileDescriptor GattNotifyCharacteristic::AcquireNotify(const QVariantMap& options,
                                                                ushort& mtu) {
    // The phone's ATT MTU at the time of subscribing; 23 is the least any link has.
    const QVariant offered = options.value(QStringLiteral("mtu"));
    const int attMtu = offered.isValid() ? qvariant_cast<ushort>(offered) : 23;
    const int theirs = acquire_(message().service(), deviceOption(options), attMtu);
    if (theirs < 0) {
        // bluetoothd gives this subscription up quietly on Failed.
        sendErrorReply(bluez::errorFailed, QStringLiteral("no socket for the notifications"));
        return {};
    }
    QDBusUnixFileDescriptor handedOver(theirs);  // keeps a duplicate
    // Our copy of their end must go, or bluetoothd's hang-up would never reach our end.
    ::close(theirs);
    mtu = static_cast<ushort>(attMtu);
    return handedOver;
}

void GattNotifyCharacteristic::StartNotify() {
    sendErrorReply(bluez::errorNotSupported,
                   QStringLiteral("notifications are handed over through AcquireNotify"));
}

void GattNotifyCharacteristic::StopNotify() {
    // bluetoothd ends an acquired subscription by closing its end of the socket; nothing to do.
}

QVariantMap GattWriteCharacteristic::dbusProperties() const {
    return {{QStringLiteral("UUID"), uuid_},
            {QStringLiteral("Service"), QVariant::fromValue(service_)},
            {QStringLiteral("Flags"), flags()}};
}

void GattWriteCharacteristic::WriteValue(const QByteArray& value, const QVariantMap& options) {
    setDelayedReply(true);
    WriteResponder responder([bus = connection(), request = message()](AttResult result) {
        const QString errorName = bluez::errorNameForWriteResult(result);
        if (errorName.isEmpty()) {
            bus.send(request.createReply());
        } else {
            bus.send(request.createErrorReply(
                errorName,
                QStringLiteral("write answered with ATT result %1").arg(static_cast<int>(result))));
        }
    });
    write_(message().service(), deviceOption(options), value, std::move(responder));
}

}  // namespace quorvel::bluetooth

#include "moc_gatt_objects.cpp"
