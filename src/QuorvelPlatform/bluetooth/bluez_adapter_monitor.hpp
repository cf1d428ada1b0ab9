#pragma once

// Follows the Bluetooth adapter through BlueZ: who owns the name org.bluez, which adapter its
// object manager lists (the first by path, not a fixed hci0) and that adapter's Powered property.
//   no owner of org.bluez                  -> unknown
//   the owner went away                    -> resetting (a new owner is queried afresh)
//   no adapter                             -> unsupported
//   BlueZ refuses us (access denied)       -> unauthorized
//   Powered false / true                   -> poweredOff / poweredOn
// Every call is asynchronous; replies that an owner change made stale are dropped.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"

namespace quorvel::bluetooth {

class BlueZAdapterMonitor final : public QObject {
    Q_OBJECT

public:
    // `changed` runs on every change of state, never from inside start().
    BlueZAdapterMonitor(QDBusConnection bus, std::function<void(AdapterState)> changed,
                        QObject* parent = nullptr);

    void start();
    AdapterState state() const { return state_; }
    // The adapter in use; empty unless one was found.
    const QString& adapterPath() const { return adapterPath_; }
    // The unique bus name of bluetoothd, the only peer whose calls we serve; empty when unknown.
    const QString& owner() const { return owner_; }

private Q_SLOTS:
    void onOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void onPropertiesChanged(const QDBusMessage& message);
    void onInterfacesChanged(const QDBusMessage& message);

private:
    void askOwner();
    void queryAdapters();
    void takeObjects(const QDBusMessage& reply);
    void setState(AdapterState state);

    QDBusConnection bus_;
    std::function<void(AdapterState)> changed_;
    QDBusServiceWatcher watcher_;
    AdapterState state_ = AdapterState::unknown;
    QString adapterPath_;
    bool hasOwner_ = false;
    QString owner_;
    std::uint64_t generation_ = 0;
};

}  // namespace quorvel::bluetooth
