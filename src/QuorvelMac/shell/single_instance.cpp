#include "QuorvelMac/shell/single_instance.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace quorvel {

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::Outcome SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Outcome::noSessionBus;
    // The object first, so that a second start that sees the name can reach it at once.
    bus.registerObject(QString::fromLatin1(singleInstancePath), this,
                       QDBusConnection::ExportScriptableSlots);
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(singleInstanceBusName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Outcome::first;
    bus.unregisterObject(QString::fromLatin1(singleInstancePath));
    const auto call = QDBusMessage::createMethodCall(
        QString::fromLatin1(singleInstanceBusName), QString::fromLatin1(singleInstancePath),
        QString::fromLatin1(singleInstanceInterface), QStringLiteral("ShowMainWindow"));
    bus.call(call, QDBus::Block, 10000);
    return Outcome::handedOver;
}

void SingleInstance::ShowMainWindow() {
    if (show_)
        show_();
}

}  // namespace quorvel
