#include "QuorvelPlatform/bluetooth/le_advertisement.hpp"

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"

namespace quorvel::bluetooth {

QString LEAdvertisement::interfaceName() const {
    return bluez::advertisementInterface;
}

QVariantMap LEAdvertisement::dbusProperties() const {
    return {{QStringLiteral("Type"), QStringLiteral("peripheral")},
            {QStringLiteral("ServiceUUIDs"), QStringList{serviceUUID_}}};
}

QString LEAdvertisement::methodsXml() const {
    return QStringLiteral(
        "<method name=\"Release\">"
        "<annotation name=\"org.freedesktop.DBus.Method.NoReply\" value=\"true\"/></method>\n");
}

bool LEAdvertisement::call(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.member() != QLatin1String("Release") || !message.signature().isEmpty())
        return false;
    // bluetoothd expects no answer; a caller that asks for one gets an empty one.
    answer(connection, message, message.createReply());
    if (released_)
        released_();
    return true;
}

}  // namespace quorvel::bluetooth
