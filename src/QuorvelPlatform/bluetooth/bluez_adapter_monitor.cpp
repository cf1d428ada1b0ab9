#include "QuorvelPlatform/bluetooth/bluez_adapter_monitor.hpp"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"

namespace quorvel::bluetooth {
namespace {

const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");

// Runs `handle` with the reply once it arrives, unless `owner` is gone by then.
template <typename Handle>
void onReply(QObject* owner, const QDBusPendingCall& call, Handle handle) {
    auto* watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [watcher, handle = std::move(handle)] {
                         watcher->deleteLater();
                         handle(watcher->reply());
                     });
}

}  // namespace

BlueZAdapterMonitor::BlueZAdapterMonitor(QDBusConnection bus,
                                         std::function<void(AdapterState)> changed, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      changed_(std::move(changed)),
      watcher_(bluez::serviceName, bus_, QDBusServiceWatcher::WatchForOwnerChange) {
    bluez::registerDBusTypes();
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &BlueZAdapterMonitor::onOwnerChanged);
}

void BlueZAdapterMonitor::start() {
    bus_.connect(bluez::serviceName, QString(), bluez::propertiesInterface,
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QDBusMessage)));
    for (const char* member : {"InterfacesAdded", "InterfacesRemoved"}) {
        bus_.connect(bluez::serviceName, QStringLiteral("/"), bluez::objectManagerInterface,
                     QLatin1String(member), this, SLOT(onInterfacesChanged(QDBusMessage)));
    }
    askOwner();
}

void BlueZAdapterMonitor::askOwner() {
    const std::uint64_t generation = ++generation_;
    const QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                            QStringLiteral("/org/freedesktop/DBus"),
                                                            QStringLiteral("org.freedesktop.DBus"),
                                                            QStringLiteral("GetNameOwner"))
                             << bluez::serviceName;
    onReply(this, bus_.asyncCall(ask), [this, generation](const QDBusMessage& reply) {
        if (generation != generation_) {
            return;
        }
        if (reply.type() != QDBusMessage::ReplyMessage) {
            hasOwner_ = false;
            owner_.clear();
            setState(AdapterState::unknown);
            return;
        }
        hasOwner_ = true;
        owner_ = reply.arguments().value(0).toString();
        queryAdapters();
    });
}

void BlueZAdapterMonitor::onOwnerChanged(const QString&, const QString& oldOwner,
                                         const QString& newOwner) {
    ++generation_;
    adapterPath_.clear();
    if (!oldOwner.isEmpty() || hasOwner_) {
        // Everything bluetoothd knew of us went with it.
        setState(AdapterState::resetting);
    }
    hasOwner_ = !newOwner.isEmpty();
    owner_ = newOwner;
    if (hasOwner_) {
        queryAdapters();
    }
}

void BlueZAdapterMonitor::queryAdapters() {
    const std::uint64_t generation = ++generation_;
    const QDBusMessage ask = QDBusMessage::createMethodCall(bluez::serviceName, QStringLiteral("/"),
                                                            bluez::objectManagerInterface,
                                                            QStringLiteral("GetManagedObjects"));
    onReply(this, bus_.asyncCall(ask), [this, generation](const QDBusMessage& reply) {
        if (generation == generation_) {
            takeObjects(reply);
        }
    });
}

void BlueZAdapterMonitor::takeObjects(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // A name that went away meanwhile is the owner watch's business.
        setState(reply.errorName() == accessDenied ? AdapterState::unauthorized
                                                   : AdapterState::unknown);
        return;
    }
    const auto objects = qdbus_cast<bluez::ManagedObjects>(reply.arguments().value(0));
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const auto adapter = object.value().constFind(bluez::adapterInterface);
        if (adapter != object.value().cend()) {
            adapterPath_ = object.key().path();
            setState(adapter->value(QStringLiteral("Powered")).toBool() ? AdapterState::poweredOn
                                                                        : AdapterState::poweredOff);
            return;
        }
    }
    adapterPath_.clear();
    setState(AdapterState::unsupported);
}

void BlueZAdapterMonitor::onPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (adapterPath_.isEmpty() || message.path() != adapterPath_ || arguments.size() < 2 ||
        arguments[0].toString() != bluez::adapterInterface) {
        return;
    }
    const auto changed = qdbus_cast<QVariantMap>(arguments[1]);
    const auto powered = changed.constFind(QStringLiteral("Powered"));
    if (powered != changed.cend()) {
        setState(powered->toBool() ? AdapterState::poweredOn : AdapterState::poweredOff);
    }
}

void BlueZAdapterMonitor::onInterfacesChanged(const QDBusMessage& message) {
    // An adapter plugged in or taken out: look again which one to use.
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || !hasOwner_) {
        return;
    }
    const QString path = qvariant_cast<QDBusObjectPath>(arguments[0]).path();
    bool touchesAdapter = false;
    if (message.member() == QLatin1String("InterfacesAdded")) {
        touchesAdapter =
            qdbus_cast<bluez::InterfaceMap>(arguments[1]).contains(bluez::adapterInterface);
    } else {
        touchesAdapter = arguments[1].toStringList().contains(bluez::adapterInterface);
    }
    if (touchesAdapter && (adapterPath_.isEmpty() || path == adapterPath_)) {
        queryAdapters();
    }
}

void BlueZAdapterMonitor::setState(AdapterState state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    changed_(state);
}

}  // namespace quorvel::bluetooth

#include "moc_bluez_adapter_monitor.cpp"
