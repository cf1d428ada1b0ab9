#include "QuorvelPlatform/bluetooth/gatt_objects.hpp"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusUnixFileDescriptor>

namespace quorvel::bluetooth {
namespace {

QString deviceOption(const QVariantMap& options) {
    return qvariant_cast<QDBusObjectPath>(options.value(QStringLiteral("device"))).path();
}

bool isCall(const QDBusMessage& message, const char* member, const char* signature) {
    return message.member() == QLatin1String(member) &&
           message.signature() == QLatin1String(signature);
}

}  // namespace

QString GattApplicationRoot::methodsXml() const {
    return QStringLiteral(
        "<method name=\"GetManagedObjects\">"
        "<arg name=\"objects\" type=\"a{oa{sa{sv}}}\" direction=\"out\"/></method>\n");
}

bool GattApplicationRoot::call(const QDBusMessage& message, const QDBusConnection& connection) {
    if (!isCall(message, "GetManagedObjects", ""))
        return false;
    answer(connection, message, message.createReply(QVariant::fromValue(objects_())));
    return true;
}

QVariantMap GattServiceObject::dbusProperties() const {
    return {{QStringLiteral("UUID"), uuid_}, {QStringLiteral("Primary"), true}};
}

QVariantMap GattNotifyCharacteristic::dbusProperties() const {
    // No Handle: with one, bluetoothd would call Properties.Set back to tell us the handle.
    return {{QStringLiteral("UUID"), uuid_},
            {QStringLiteral("Service"), QVariant::fromValue(service_)},
            {QStringLiteral("Flags"), QStringList{QStringLiteral("notify")}},
            {QStringLiteral("NotifyAcquired"), notifyAcquired_}};
}

QString GattNotifyCharacteristic::methodsXml() const {
    return QStringLiteral(
        "<method name=\"AcquireNotify\"><arg name=\"options\" type=\"a{sv}\" direction=\"in\"/>"
        "<arg name=\"fd\" type=\"h\" direction=\"out\"/>"
        "<arg name=\"mtu\" type=\"q\" direction=\"out\"/></method>\n"
        "<method name=\"StartNotify\"/>\n<method name=\"StopNotify\"/>\n");
}

bool GattNotifyCharacteristic::call(const QDBusMessage& message,
                                    const QDBusConnection& connection) {
    if (isCall(message, "AcquireNotify", "a{sv}")) {
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(0));
        // The phone's ATT MTU at the time of subscribing; 23 is the least any link has.
        const QVariant offered = options.value(QStringLiteral("mtu"));
        const int attMtu = offered.isValid() ? qvariant_cast<ushort>(offered) : 23;
        const int theirs = acquire_(deviceOption(options), attMtu);
        if (theirs < 0) {
            // bluetoothd gives this subscription up quietly on Failed.
            answer(connection, message,
                   message.createErrorReply(bluez::errorFailed,
                                            QStringLiteral("no socket for the notifications")));
            return true;
        }
        const QDBusUnixFileDescriptor handedOver(theirs);  // keeps a duplicate
        // Our copy of their end must go, or bluetoothd's hang-up would never reach our end.
        ::close(theirs);
        answer(connection, message,
               message.createReply(QVariantList{QVariant::fromValue(handedOver),
                                                QVariant::fromValue(static_cast<ushort>(attMtu))}));
        return true;
    }
    if (isCall(message, "StartNotify", "")) {
        answer(connection, message,
               message.createErrorReply(
                   bluez::errorNotSupported,
                   QStringLiteral("notifications are handed over through AcquireNotify")));
        return true;
    }
    if (isCall(message, "StopNotify", "")) {
        // bluetoothd ends an acquired subscription by closing its end of the socket.
        answer(connection, message, message.createReply());
        return true;
    }
    return false;
}

QVariantMap GattWriteCharacteristic::dbusProperties() const {
    return {{QStringLiteral("UUID"), uuid_},
            {QStringLiteral("Service"), QVariant::fromValue(service_)},
            {QStringLiteral("Flags"), QStringList{QStringLiteral("write")}}};
}

QString GattWriteCharacteristic::methodsXml() const {
    return QStringLiteral(
        "<method name=\"WriteValue\"><arg name=\"value\" type=\"ay\" direction=\"in\"/>"
        "<arg name=\"options\" type=\"a{sv}\" direction=\"in\"/></method>\n");
}

bool GattWriteCharacteristic::call(const QDBusMessage& message, const QDBusConnection& connection) {
    if (!isCall(message, "WriteValue", "aya{sv}"))
        return false;
    const QList<QVariant> arguments = message.arguments();
    // The answer goes later, exactly once, when the daemon has judged the write.
    WriteResponder responder([connection, message](AttResult result) {
        const QString errorName = bluez::errorNameForWriteResult(result);
        answer(connection, message,
               errorName.isEmpty()
                   ? message.createReply()
                   : message.createErrorReply(errorName,
                                              QStringLiteral("write answered with ATT result %1")
                                                  .arg(static_cast<int>(result))));
    });
    write_(deviceOption(qdbus_cast<QVariantMap>(arguments.value(1))),
           qdbus_cast<QByteArray>(arguments.value(0)), std::move(responder));
    return true;
}

}  // namespace quorvel::bluetooth
