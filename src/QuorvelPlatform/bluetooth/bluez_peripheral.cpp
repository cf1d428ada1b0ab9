#include "QuorvelPlatform/bluetooth/bluez_peripheral.hpp"

#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QPointer>

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel::bluetooth {
namespace {

constexpr int leastAttMtu = 23;

std::string errorText(const QString& what, const QDBusMessage& reply) {
    return (what + QStringLiteral(": ") + reply.errorName() + QStringLiteral(": ") +
            reply.errorMessage())
        .toStdString();
}

bool isRegistrationReply(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

BlueZPeripheral::BlueZPeripheral(QDBusConnection bus, QString objectRoot)
    : bus_(std::move(bus)),
      objectRoot_(std::move(objectRoot)),
      monitor_(bus_, [this](AdapterState state) { adapterStateChanged(state); }) {
    bluez::registerDBusTypes();
    if (!(bus_.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        qCWarning(lcBluez, "the system bus does not pass file descriptors: no phone can subscribe");
    }
    monitor_.start();
}

BlueZPeripheral::~BlueZPeripheral() {
    delegate_ = nullptr;
    stopAdvertising();
    removeAllServices();
}

void BlueZPeripheral::setDelegate(BlePeripheralDelegate* delegate) {
    delegate_ = delegate;
    if (delegate_) {
        callLater([this](BlePeripheralDelegate& d) { d.adapterStateChanged(monitor_.state()); });
    }
}

void BlueZPeripheral::callLater(std::function<void(BlePeripheralDelegate&)> call) {
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)] {
            if (delegate_) {
                call(*delegate_);
            }
        },
        Qt::QueuedConnection);
}

void BlueZPeripheral::callAdapter(const QString& interface, const QString& member,
                                  const QString& objectPath,
                                  std::function<void(const QDBusMessage&)> done) {
    QDBusMessage call = QDBusMessage::createMethodCall(bluez::serviceName, monitor_.adapterPath(),
                                                       interface, member);
    call << QVariant::fromValue(QDBusObjectPath(objectPath));
    if (member.startsWith(QLatin1String("Register"))) {
        call << QVariantMap();
    }
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        if (done)
            done(watcher->reply());
    });
}

void BlueZPeripheral::adapterStateChanged(AdapterState state) {
    if (state != AdapterState::poweredOn) {
        // Without power or without bluetoothd nothing we registered is on the air any more; the
        // daemon publishes and advertises afresh once the adapter is back on.
        if (state == AdapterState::poweredOff) {
            stopAdvertising();
        } else {
            ++advertisementGeneration_;
            advertising_ = Advertising::idle;
            if (advertisement_) {
                bus_.unregisterObject(advertisementPath_);
                advertisement_.reset();
            }
            applicationRegistered_ = false;
            endSubscriptions(true);
        }
    }
    callLater([state](BlePeripheralDelegate& d) { d.adapterStateChanged(state); });
}

void BlueZPeripheral::addService(const GattServiceLayout& layout) {
    removeAllServices();
    if (monitor_.state() != AdapterState::poweredOn || monitor_.adapterPath().isEmpty()) {
        callLater([](BlePeripheralDelegate& d) {
            d.serviceAdded(std::string("Bluetooth adapter is not powered on"));
        });
        return;
    }
    layout_ = layout;
    const std::uint64_t generation = ++applicationGeneration_;
    const QString path = objectRoot_ + QStringLiteral("/app%1").arg(++nextObjectNumber_);
    application_ = std::make_unique<GattApplication>(
        bus_, path, bluetoothd(), layout,
        [this](const QString& device, int mtu) { return acquire(device, mtu); },
        [this](const QString& device, const QByteArray& value, WriteResponder responder) {
            write(device, value, std::move(responder));
        });
    QString exportError;
    if (!application_->exportObjects(exportError)) {
        application_.reset();
        callLater([error = exportError.toStdString()](BlePeripheralDelegate& d) {
            d.serviceAdded(error);
        });
        return;
    }
    callAdapter(bluez::gattManagerInterface, QStringLiteral("RegisterApplication"), path,
                [this, generation, path](const QDBusMessage& reply) {
                    if (generation != applicationGeneration_) {
                        // Withdrawn while bluetoothd was reading it: take it back there too.
                        if (isRegistrationReply(reply)) {
                            callAdapter(bluez::gattManagerInterface,
                                        QStringLiteral("UnregisterApplication"), path, {});
                        }
                        return;
                    }
                    if (!isRegistrationReply(reply)) {
                        application_.reset();
                        const std::string error =
                            errorText(QStringLiteral("RegisterApplication"), reply);
                        callLater([error](BlePeripheralDelegate& d) { d.serviceAdded(error); });
                        return;
                    }
                    applicationRegistered_ = true;
                    callLater([](BlePeripheralDelegate& d) { d.serviceAdded(std::nullopt); });
                });
}

void BlueZPeripheral::removeAllServices() {
    ++applicationGeneration_;
    endSubscriptions(false);
    if (application_ && applicationRegistered_) {
        callAdapter(bluez::gattManagerInterface, QStringLiteral("UnregisterApplication"),
                    application_->path(), {});
    }
    applicationRegistered_ = false;
    application_.reset();
    layout_.reset();
}

void BlueZPeripheral::startAdvertising(const std::string& serviceUUID) {
    stopAdvertising();
    if (monitor_.state() != AdapterState::poweredOn || monitor_.adapterPath().isEmpty()) {
        callLater([](BlePeripheralDelegate& d) {
            d.advertisingStarted(std::string("Bluetooth adapter is not powered on"));
        });
        return;
    }
    const std::uint64_t generation = ++advertisementGeneration_;
    const QString path = objectRoot_ + QStringLiteral("/advertisement%1").arg(++nextObjectNumber_);
    advertisement_ = std::make_unique<LEAdvertisement>(
        bluetoothd(), serviceUUID, [this, generation] { advertisementReleased(generation); });
    if (!bus_.registerVirtualObject(path, advertisement_.get())) {
        advertisement_.reset();
        callLater([error = bus_.lastError().message().toStdString()](BlePeripheralDelegate& d) {
            d.advertisingStarted(error);
        });
        return;
    }
    advertisementPath_ = path;
    advertising_ = Advertising::starting;
    callAdapter(
        bluez::advertisingManagerInterface, QStringLiteral("RegisterAdvertisement"), path,
        [this, generation, path](const QDBusMessage& reply) {
            if (generation != advertisementGeneration_) {
                if (isRegistrationReply(reply)) {
                    callAdapter(bluez::advertisingManagerInterface,
                                QStringLiteral("UnregisterAdvertisement"), path, {});
                }
                return;
            }
            if (!isRegistrationReply(reply)) {
                advertising_ = Advertising::idle;
                bus_.unregisterObject(advertisementPath_);
                advertisement_.reset();
                const std::string error = errorText(QStringLiteral("RegisterAdvertisement"), reply);
                callLater([error](BlePeripheralDelegate& d) { d.advertisingStarted(error); });
                return;
            }
            advertising_ = Advertising::on;
            callLater([](BlePeripheralDelegate& d) { d.advertisingStarted(std::nullopt); });
        });
}

void BlueZPeripheral::stopAdvertising() {
    ++advertisementGeneration_;
    if (advertisement_) {
        if (advertising_ == Advertising::on) {
            callAdapter(bluez::advertisingManagerInterface,
                        QStringLiteral("UnregisterAdvertisement"), advertisementPath_, {});
        }
        bus_.unregisterObject(advertisementPath_);
        advertisement_.reset();
    }
    advertising_ = Advertising::idle;
}

void BlueZPeripheral::advertisementReleased(std::uint64_t generation) {
    // bluetoothd dropped the advertisement on its own; the object goes on a later turn, not
    // inside its own Release call.
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != advertisementGeneration_) {
                return;
            }
            ++advertisementGeneration_;
            bus_.unregisterObject(advertisementPath_);
            advertisement_.reset();
            advertising_ = Advertising::idle;
        },
        Qt::QueuedConnection);
}

BlueZObject::Caller BlueZPeripheral::bluetoothd() const {
    // The system bus's policy already keeps others out; a bus that lets them through must not
    // let them pose as bluetoothd or as a phone, nor take our objects off the air.
    // Our objects die before the monitor: they are members declared after it.
    return [this] { return monitor_.owner(); };
}

int BlueZPeripheral::acquire(const QString& device, int attMtu) {
    auto pair = NotifySocket::create();
    if (!pair || !layout_) {
        if (pair)
            ::close(pair->theirs);
        return -1;
    }
    NotifySocket* socket = pair->ours.get();
    connect(socket, &NotifySocket::closed, this,
            [this, device, socket] { socketClosed(device, socket); });
    connect(socket, &NotifySocket::writable, this, &BlueZPeripheral::readyAgain);
    // A repeated acquisition for the same device replaces the old socket: bluetoothd only asks
    // again once it let the old one go.
    const std::int64_t frameLimit = std::max(attMtu, leastAttMtu) - 3;
    subscriptions_[device] = Subscription{std::move(pair->ours), frameLimit};
    if (application_)
        application_->setNotifyAcquired(true);
    const SubscribedCentral central{device.toStdString(), frameLimit};
    callLater([central, uuid = layout_->notifyCharacteristicUUID](BlePeripheralDelegate& d) {
        d.centralSubscribed(central, uuid);
    });
    return pair->theirs;
}

void BlueZPeripheral::socketClosed(const QString& device, const NotifySocket* socket) {
    const auto found = subscriptions_.find(device);
    if (found == subscriptions_.end() || found->second.socket.get() != socket || !layout_) {
        return;
    }
    // The socket is inside its own signal: let it go on a later turn.
    found->second.socket.release()->deleteLater();
    subscriptions_.erase(found);
    if (application_ && subscriptions_.empty())
        application_->setNotifyAcquired(false);
    callLater([identifier = device.toStdString(), uuid = layout_->notifyCharacteristicUUID](
                  BlePeripheralDelegate& d) { d.centralUnsubscribed(identifier, uuid); });
}

void BlueZPeripheral::endSubscriptions(bool tellDelegate) {
    if (tellDelegate && layout_) {
        for (const auto& [device, subscription] : subscriptions_) {
            callLater([identifier = device.toStdString(), uuid = layout_->notifyCharacteristicUUID](
                          BlePeripheralDelegate& d) { d.centralUnsubscribed(identifier, uuid); });
        }
    }
    // Never called from inside a socket's own signal, so the sockets can go at once.
    subscriptions_.clear();
    if (application_)
        application_->setNotifyAcquired(false);
}

bool BlueZPeripheral::updateValue(ByteView frame,
                                  const std::vector<std::string>& centralIdentifiers) {
    std::vector<std::pair<QString, NotifySocket*>> targets;
    for (const std::string& identifier : centralIdentifiers) {
        const auto found = subscriptions_.find(QString::fromStdString(identifier));
        if (found != subscriptions_.end() && !found->second.socket->isClosed()) {
            targets.emplace_back(found->first, found->second.socket.get());
        }
    }
    // Look for room everywhere first, so that a refused frame reached nobody.
    for (const auto& [device, socket] : targets) {
        if (!socket->hasRoom()) {
            readyOwed_ = true;
            socket->watchForRoom();
            return false;
        }
    }
    for (const auto& [device, socket] : targets) {
        if (socket->send(frame) == NotifySocket::SendResult::full) {
            readyOwed_ = true;
            return false;
        }
    }
    return true;
}

void BlueZPeripheral::readyAgain() {
    if (!readyOwed_) {
        return;
    }
    readyOwed_ = false;
    callLater([](BlePeripheralDelegate& d) { d.readyToUpdateSubscribers(); });
}

void BlueZPeripheral::write(const QString& device, const QByteArray& value,
                            WriteResponder responder) {
    if (!layout_) {
        responder.respond(AttResult::unlikelyError);
        return;
    }
    // A write of zero bytes carries no value: the daemon answers it "request not supported" (6),
    // as any write without a value, rather than taking it for a frame too short to read.
    std::optional<Bytes> bytes;
    if (!value.isEmpty())
        bytes = Bytes(value.begin(), value.end());
    pendingWrites_.push_back(WriteRequest{device.toStdString(), layout_->writeCharacteristicUUID,
                                          std::move(bytes), std::move(responder)});
    if (pendingWrites_.size() == 1) {
        QMetaObject::invokeMethod(this, &BlueZPeripheral::deliverWrites, Qt::QueuedConnection);
    }
}

void BlueZPeripheral::deliverWrites() {
    std::vector<WriteRequest> writes = std::exchange(pendingWrites_, {});
    if (delegate_ && !writes.empty()) {
        delegate_->receivedWrites(std::move(writes));
    }
    // Without a delegate the responders answer "unlikely error" as they go.
}

std::unique_ptr<BlePeripheral> makeBlueZPeripheral() {
    return std::make_unique<BlueZPeripheral>(QDBusConnection::systemBus());
}

}  // namespace quorvel::bluetooth

#include "moc_bluez_peripheral.cpp"
