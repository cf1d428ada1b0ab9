#include "QuorvelPlatform/bluetooth/bluez_object.hpp"

#include <QDBusMetaType>
#include <QDBusVariant>

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"

namespace quorvel::bluetooth {
namespace {

const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

}  // namespace

void BlueZObject::answer(const QDBusConnection& connection, const QDBusMessage& message,
                         const QDBusMessage& reply) {
    if (message.isReplyRequired())
        connection.send(reply);
}

bool BlueZObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString allowed = allowedCaller_();
    if (allowed.isEmpty() || message.service() != allowed) {
        answer(connection, message,
               message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                        QStringLiteral("only bluetoothd may call this object")));
        return true;
    }
    const QString interface = message.interface();
    if (interface == introspectableInterface)
        return false;  // QtDBus answers with introspect() below
    if (interface == bluez::propertiesInterface) {
        properties(message, connection);
        return true;
    }
    if ((interface.isEmpty() || interface == interfaceName()) && call(message, connection))
        return true;
    answer(connection, message,
           message.createErrorReply(
               interface.isEmpty() || interface == interfaceName() ? QDBusError::UnknownMethod
                                                                   : QDBusError::UnknownInterface,
               QStringLiteral("no %1.%2 here").arg(interface, message.member())));
    return true;
}

bool BlueZObject::call(const QDBusMessage&, const QDBusConnection&) {
    return false;
}

void BlueZObject::properties(const QDBusMessage& message, const QDBusConnection& connection) const {
    const QString member = message.member();
    const QList<QVariant> arguments = message.arguments();
    const QString signature = message.signature();
    const bool ours = !arguments.isEmpty() && arguments[0].toString() == interfaceName();
    if (member == QLatin1String("GetAll") && signature == QLatin1String("s") && ours) {
        answer(connection, message, message.createReply(dbusProperties()));
    } else if (member == QLatin1String("Get") && signature == QLatin1String("ss") && ours &&
               dbusProperties().contains(arguments[1].toString())) {
        const QVariant value = dbusProperties().value(arguments[1].toString());
        answer(connection, message, message.createReply(QVariant::fromValue(QDBusVariant(value))));
    } else if (member == QLatin1String("Set") && signature == QLatin1String("ssv") && ours) {
        answer(connection, message,
               message.createErrorReply(
                   QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                   QStringLiteral("the properties of %1 are read-only").arg(interfaceName())));
    } else {
        answer(connection, message,
               message.createErrorReply(QDBusError::InvalidArgs,
                                        QStringLiteral("no such property or interface")));
    }
}

QString BlueZObject::introspect(const QString&) const {
    QString xml = QStringLiteral("<interface name=\"%1\">\n").arg(interfaceName());
    const QVariantMap properties = dbusProperties();
    for (auto property = properties.begin(); property != properties.end(); ++property) {
        xml += QStringLiteral("<property name=\"%1\" type=\"%2\" access=\"read\"/>\n")
                   .arg(property.key(), QString::fromLatin1(QDBusMetaType::typeToSignature(
                                            property.value().metaType())));
    }
    xml += methodsXml();
    xml += QStringLiteral("</interface>\n");
    return xml;
}

}  // namespace quorvel::bluetooth
