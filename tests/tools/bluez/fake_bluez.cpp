#include "bluez/fake_bluez.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>

namespace quorvel::testing {

namespace bluez = bluetooth::bluez;

namespace {

const QString gattServiceUuidsRefused[] = {QStringLiteral("00001800-0000-1000-8000-00805f9b34fb"),
                                           QStringLiteral("00001801-0000-1000-8000-00805f9b34fb")};

const QSet<QString>& knownFlags() {
    static const QSet<QString> flags{"broadcast",
                                     "read",
                                     "write-without-response",
                                     "write",
                                     "notify",
                                     "indicate",
                                     "authenticated-signed-writes",
                                     "extended-properties",
                                     "reliable-write",
                                     "writable-auxiliaries",
                                     "encrypt-read",
                                     "encrypt-write",
                                     "encrypt-notify",
                                     "encrypt-indicate",
                                     "encrypt-authenticated-read",
                                     "encrypt-authenticated-write",
                                     "encrypt-authenticated-notify",
                                     "encrypt-authenticated-indicate",
                                     "secure-read",
                                     "secure-write",
                                     "secure-notify",
                                     "secure-indicate",
                                     "authorize"};
    return flags;
}

template <typename T>
bool holds(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<T>();
}

QVariantMap centralOptions(const QString& device, int mtu) {
    return {{QStringLiteral("device"), QVariant::fromValue(QDBusObjectPath(device))},
            {QStringLiteral("link"), QStringLiteral("LE")},
            {QStringLiteral("mtu"), QVariant::fromValue(static_cast<ushort>(mtu))}};
}

}  // namespace

NotifyLink::NotifyLink(int fd, QObject* parent)
    : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &NotifyLink::onReadable);
}

NotifyLink::~NotifyLink() {
    close();
}

void NotifyLink::addDevice(const QString& device, int mtu, FrameHandler onFrame) {
    devices_[device] = Device{mtu, std::move(onFrame)};
}

bool NotifyLink::removeDevice(const QString& device) {
    devices_.erase(device);
    return devices_.empty();
}

void NotifyLink::close() {
    notifier_.setEnabled(false);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void NotifyLink::onReadable() {
    // One read is one notification; bluetoothd reads at most 512 bytes and each device gets at
    // most its ATT MTU - 3 of them.
    std::uint8_t buffer[512];
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        peerHungUp_ = true;
        close();
        return;
    }
    const auto devices = devices_;
    for (const auto& [device, entry] : devices) {
        const auto size = std::min<std::size_t>(
            static_cast<std::size_t>(got), static_cast<std::size_t>(std::max(entry.mtu - 3, 0)));
        if (entry.onFrame)
            entry.onFrame(Bytes(buffer, buffer + size));
    }
}

FakeBlueZ::FakeBlueZ(const QString& address, bool powered)
    : connectionName_([] {
          static std::atomic<int> counter{0};
          return QStringLiteral("quorvel-fake-bluez-%1").arg(++counter);
      }()),
      bus_(QDBusConnection::connectToBus(address, connectionName_)),
      powered_(powered) {
    bluez::registerDBusTypes();
    if (!bus_.isConnected()) {
        qFatal("fake BlueZ cannot reach the bus: %s", qPrintable(bus_.lastError().message()));
    }
    bus_.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath);
    claimName();
}

FakeBlueZ::~FakeBlueZ() {
    dropEverything();
    // Every call that reached us is answered, and every answer has left, before the connection
    // closes. Qt answers a call still waiting for an object that goes with an error of its own,
    // and an answer handed to a connection that is gone by the time its thread sends it is a
    // libdbus message nobody frees. A call of our own comes back only after the bus took all
    // that this connection sent before it.
    QCoreApplication::sendPostedEvents(this);
    bus_.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    bus_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    if (ownsName_)
        bus_.unregisterService(bluez::serviceName);
    QDBusConnection::disconnectFromBus(connectionName_);
}

void FakeBlueZ::takeCallsFrom(const QDBusConnection& sender) {
    // Calls from one connection arrive in order, and the bus daemon answers a ping to us only
    // after our connection took everything the sender sent before it; what it took waits for
    // this object in the loop.
    QDBusConnection peer = sender;
    peer.call(QDBusMessage::createMethodCall(bus_.baseService(), QStringLiteral("/"),
                                             QStringLiteral("org.freedesktop.DBus.Peer"),
                                             QStringLiteral("Ping")));
    QCoreApplication::sendPostedEvents(this);
}

void FakeBlueZ::claimName() {
    ownsName_ = bus_.registerService(bluez::serviceName);
    if (!ownsName_)
        qFatal("fake BlueZ cannot own org.bluez");
}

void FakeBlueZ::releaseName() {
    dropEverything();
    bus_.unregisterService(bluez::serviceName);
    ownsName_ = false;
}

void FakeBlueZ::dropEverything() {
    ++epoch_;
    application_.reset();
    advertisement_.reset();
    for (auto& [device, link] : links_) {
        if (link)
            link->close();
    }
    links_.clear();
}

void FakeBlueZ::setPowered(bool powered) {
    if (powered == powered_)
        return;
    powered_ = powered;
    if (!powered) {
        // The links go down with the radio; devices that are not bonded lose their
        // subscriptions, which closes the acquired sockets.
        for (auto& [device, link] : links_) {
            if (link)
                link->close();
        }
        links_.clear();
    }
    QDBusMessage changed = QDBusMessage::createSignal(adapterPath, bluez::propertiesInterface,
                                                      QStringLiteral("PropertiesChanged"));
    changed << bluez::adapterInterface << QVariantMap{{QStringLiteral("Powered"), powered}}
            << QStringList();
    bus_.send(changed);
}

void FakeBlueZ::setAdapterPresent(bool present) {
    if (present == adapterPresent_)
        return;
    adapterPresent_ = present;
    QDBusMessage changed = QDBusMessage::createSignal(
        QStringLiteral("/"), bluez::objectManagerInterface,
        present ? QStringLiteral("InterfacesAdded") : QStringLiteral("InterfacesRemoved"));
    changed << QVariant::fromValue(QDBusObjectPath(adapterPath));
    if (present) {
        changed << QVariant::fromValue(
            InterfaceMap{{bluez::adapterInterface, adapterProperties()}});
    } else {
        changed << QStringList{bluez::adapterInterface, bluez::gattManagerInterface,
                               bluez::advertisingManagerInterface};
        dropEverything();
    }
    bus_.send(changed);
}

QVariantMap FakeBlueZ::adapterProperties() const {
    return {{QStringLiteral("Address"), QStringLiteral("00:11:22:33:44:55")},
            {QStringLiteral("Name"), QStringLiteral("fake")},
            {QStringLiteral("Powered"), powered_}};
}

QString FakeBlueZ::introspect(const QString&) const {
    return {};
}

bool FakeBlueZ::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.path() == QLatin1String("/"))
        return handleRoot(message);
    if (message.path() == adapterPath && adapterPresent_)
        return handleAdapter(message);
    return false;
}

bool FakeBlueZ::handleRoot(const QDBusMessage& message) {
    if (message.interface() != bluez::objectManagerInterface ||
        message.member() != QLatin1String("GetManagedObjects")) {
        return false;
    }
    if (refuseAccess_) {
        replyError(message, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                   QStringLiteral("not allowed"));
        return true;
    }
    ManagedObjects objects;
    if (adapterPresent_) {
        objects[QDBusObjectPath(adapterPath)] = {{bluez::adapterInterface, adapterProperties()},
                                                 {bluez::gattManagerInterface, {}},
                                                 {bluez::advertisingManagerInterface, {}}};
    }
    reply(message, {QVariant::fromValue(objects)});
    return true;
}

bool FakeBlueZ::handleAdapter(const QDBusMessage& message) {
    const QString interface = message.interface();
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    if (interface == bluez::propertiesInterface) {
        if (member == QLatin1String("Get") && args.size() == 2 &&
            args[0].toString() == bluez::adapterInterface) {
            reply(
                message,
                {QVariant::fromValue(QDBusVariant(adapterProperties().value(args[1].toString())))});
        } else if (member == QLatin1String("GetAll") && args.size() == 1) {
            reply(message, {args[0].toString() == bluez::adapterInterface ? adapterProperties()
                                                                          : QVariantMap()});
        } else if (member == QLatin1String("Set") && args.size() == 3 &&
                   args[1].toString() == QLatin1String("Powered")) {
            setPowered(qvariant_cast<QDBusVariant>(args[2]).variant().toBool());
            reply(message);
        } else {
            return false;
        }
        return true;
    }
    if (interface == bluez::gattManagerInterface &&
        member == QLatin1String("RegisterApplication")) {
        registerApplication(message);
        return true;
    }
    if (interface == bluez::gattManagerInterface &&
        member == QLatin1String("UnregisterApplication")) {
        const QString path = qvariant_cast<QDBusObjectPath>(args.value(0)).path();
        if (application_ && application_->owner == message.service() &&
            application_->path == path) {
            application_.reset();
            reply(message);
        } else {
            replyError(message, QStringLiteral("org.bluez.Error.DoesNotExist"),
                       QStringLiteral("Does Not Exist"));
        }
        return true;
    }
    if (interface == bluez::advertisingManagerInterface &&
        member == QLatin1String("RegisterAdvertisement")) {
        registerAdvertisement(message);
        return true;
    }
    if (interface == bluez::advertisingManagerInterface &&
        member == QLatin1String("UnregisterAdvertisement")) {
        const QString path = qvariant_cast<QDBusObjectPath>(args.value(0)).path();
        if (advertisement_ && advertisement_->owner == message.service() &&
            advertisement_->path == path) {
            advertisement_.reset();
            reply(message);
        } else {
            replyError(message, QStringLiteral("org.bluez.Error.DoesNotExist"),
                       QStringLiteral("Does Not Exist"));
        }
        return true;
    }
    return false;
}

void FakeBlueZ::registerApplication(const QDBusMessage& message) {
    const QString path = qvariant_cast<QDBusObjectPath>(message.arguments().value(0)).path();
    const QString owner = message.service();
    if (application_ && application_->owner == owner && application_->path == path) {
        replyError(message, QStringLiteral("org.bluez.Error.AlreadyExists"),
                   QStringLiteral("Already Exists"));
        return;
    }
    // bluetoothd answers only after it has read the application back.
    callApp(
        owner, path, bluez::objectManagerInterface, QStringLiteral("GetManagedObjects"), {},
        [this, message, owner, path](const QDBusMessage& answer) {
            if (answer.type() != QDBusMessage::ReplyMessage) {
                problems_ << QStringLiteral("GetManagedObjects failed: ") + answer.errorName();
                replyError(message, bluez::errorFailed, QStringLiteral("No object received"));
                return;
            }
            if (answer.signature() != QLatin1String("a{oa{sa{sv}}}")) {
                problems_ << QStringLiteral("GetManagedObjects signature ") + answer.signature();
            }
            Application app{owner, path, qdbus_cast<ManagedObjects>(answer.arguments().value(0)),
                            {},    {},   {}};
            if (const auto refusal = checkApplication(app.objects, app)) {
                problems_ << *refusal;
                replyError(message, bluez::errorFailed, *refusal);
                return;
            }
            if (application_) {
                problems_ << QStringLiteral("a second application while %1 is registered")
                                 .arg(application_->path);
            }
            application_ = app;
            ++applicationRegistrations_;
            reply(message);
        });
}

std::optional<QString> FakeBlueZ::checkApplication(const ManagedObjects& objects,
                                                   Application& app) {
    if (objects.isEmpty())
        return QStringLiteral("No object received");
    QSet<QString> services;
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const auto service = object.value().constFind(bluez::gattServiceInterface);
        if (service == object.value().cend())
            continue;
        const QVariant uuid = service->value(QStringLiteral("UUID"));
        if (!holds<QString>(uuid) || !holds<bool>(service->value(QStringLiteral("Primary")))) {
            return QStringLiteral("service %1 lacks UUID (s) or Primary (b)")
                .arg(object.key().path());
        }
        for (const QString& refused : gattServiceUuidsRefused) {
            if (uuid.toString().compare(refused, Qt::CaseInsensitive) == 0) {
                return QStringLiteral("service UUID %1 is reserved").arg(uuid.toString());
            }
        }
        services.insert(object.key().path());
        if (app.servicePath.isEmpty())
            app.servicePath = object.key().path();
    }
    if (services.isEmpty())
        return QStringLiteral("No valid service object found");
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const auto characteristic = object.value().constFind(bluez::gattCharacteristicInterface);
        if (characteristic == object.value().cend())
            continue;
        const QString path = object.key().path();
        const QVariant service = characteristic->value(QStringLiteral("Service"));
        const QVariant flags = characteristic->value(QStringLiteral("Flags"));
        if (!holds<QString>(characteristic->value(QStringLiteral("UUID"))) ||
            !holds<QDBusObjectPath>(service) || !holds<QStringList>(flags)) {
            return QStringLiteral("characteristic %1 lacks UUID (s), Service (o) or Flags (as)")
                .arg(path);
        }
        if (!services.contains(qvariant_cast<QDBusObjectPath>(service).path())) {
            return QStringLiteral("characteristic %1 names an unknown service").arg(path);
        }
        const QStringList flagList = flags.toStringList();
        if (flagList.isEmpty())
            return QStringLiteral("characteristic %1 has no flags").arg(path);
        for (const QString& flag : flagList) {
            if (!knownFlags().contains(flag)) {
                return QStringLiteral("characteristic %1 has the unknown flag %2").arg(path, flag);
            }
        }
        if (characteristic->contains(QStringLiteral("Handle"))) {
            problems_ << QStringLiteral("characteristic %1 has a Handle; bluetoothd would Set it")
                             .arg(path);
        }
        if (flagList.contains(QStringLiteral("notify")) && app.notifyPath.isEmpty())
            app.notifyPath = path;
        if (flagList.contains(QStringLiteral("write")) && app.writePath.isEmpty())
            app.writePath = path;
    }
    return std::nullopt;
}

void FakeBlueZ::registerAdvertisement(const QDBusMessage& message) {
    const QString path = qvariant_cast<QDBusObjectPath>(message.arguments().value(0)).path();
    const QString owner = message.service();
    if (advertisement_ && advertisement_->owner == owner && advertisement_->path == path) {
        replyError(message, QStringLiteral("org.bluez.Error.AlreadyExists"),
                   QStringLiteral("Already Exists"));
        return;
    }
    // bluetoothd first asks the advertisement for managed objects (an error is fine), then reads
    // its properties.
    callApp(
        owner, path, bluez::objectManagerInterface, QStringLiteral("GetManagedObjects"), {},
        [this, message, owner, path](const QDBusMessage&) {
            callApp(
                owner, path, bluez::propertiesInterface, QStringLiteral("GetAll"),
                {bluez::advertisementInterface},
                [this, message, owner, path](const QDBusMessage& answer) {
                    const auto properties = qdbus_cast<QVariantMap>(answer.arguments().value(0));
                    const QString type = properties.value(QStringLiteral("Type")).toString();
                    if (answer.type() != QDBusMessage::ReplyMessage ||
                        (type != QLatin1String("peripheral") &&
                         type != QLatin1String("broadcast"))) {
                        problems_ << QStringLiteral("advertisement without a valid Type");
                        replyError(message, bluez::errorFailed,
                                   QStringLiteral("Failed to parse advertisement."));
                        return;
                    }
                    if (advertisement_) {
                        problems_ << QStringLiteral("a second advertisement while %1 is registered")
                                         .arg(advertisement_->path);
                    }
                    advertisement_ = Advertisement{owner, path, properties};
                    ++advertisementRegistrations_;
                    reply(message);
                });
        });
}

void FakeBlueZ::subscribe(const QString& device, int mtu, NotifyLink::FrameHandler onFrame,
                          std::function<void(NotifyLink*, const QString&)> done) {
    if (!application_ || application_->notifyPath.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [done] { done(nullptr, QStringLiteral("no application")); },
            Qt::QueuedConnection);
        return;
    }
    for (const auto& [other, link] : links_) {
        if (link && link->isOpen() && (sharedNotifySocket || other == device)) {
            // 5.66 keeps the one socket it acquired for the first subscriber.
            link->addDevice(device, mtu, std::move(onFrame));
            links_[device] = link;
            QPointer<NotifyLink> kept = link;
            QMetaObject::invokeMethod(
                this, [done, kept] { done(kept, {}); }, Qt::QueuedConnection);
            return;
        }
    }
    ++acquireCalls_;
    callApp(application_->owner, application_->notifyPath, bluez::gattCharacteristicInterface,
            QStringLiteral("AcquireNotify"), {centralOptions(device, mtu)},
            [this, device, mtu, onFrame = std::move(onFrame), done](const QDBusMessage& answer) {
                if (answer.type() != QDBusMessage::ReplyMessage) {
                    done(nullptr, answer.errorName());
                    return;
                }
                if (answer.signature() != QLatin1String("hq")) {
                    problems_ << QStringLiteral("AcquireNotify answered ") + answer.signature();
                    done(nullptr, QStringLiteral("bad reply"));
                    return;
                }
                const int fd = ::dup(
                    qvariant_cast<QDBusUnixFileDescriptor>(answer.arguments()[0]).fileDescriptor());
                auto* link = new NotifyLink(fd, this);
                link->addDevice(device, mtu, onFrame);
                links_[device] = link;
                done(link, {});
            });
}

void FakeBlueZ::unsubscribe(const QString& device) {
    const auto found = links_.find(device);
    if (found == links_.end())
        return;
    QPointer<NotifyLink> link = found->second;
    links_.erase(found);
    if (link && link->removeDevice(device))
        link->close();
}

NotifyLink* FakeBlueZ::linkOf(const QString& device) const {
    const auto found = links_.find(device);
    return found == links_.end() ? nullptr : found->second.data();
}

void FakeBlueZ::write(const QString& device, int mtu, const Bytes& value,
                      std::function<void(const QString&, const QString&)> done) {
    if (!application_ || application_->writePath.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [done] { done(QStringLiteral("no application"), {}); }, Qt::QueuedConnection);
        return;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()),
                           static_cast<qsizetype>(value.size()));
    callApp(application_->owner, application_->writePath, bluez::gattCharacteristicInterface,
            QStringLiteral("WriteValue"), {bytes, centralOptions(device, mtu)},
            [this, done](const QDBusMessage& answer) {
                if (answer.type() == QDBusMessage::ReplyMessage) {
                    if (!answer.arguments().isEmpty()) {
                        // bluetoothd turns any returned value into 0x06.
                        problems_ << QStringLiteral("WriteValue returned a value");
                        done(bluez::errorNotSupported, {});
                        return;
                    }
                    done({}, {});
                } else {
                    done(answer.errorName(), answer.errorMessage());
                }
            });
}

template <typename Done>
void FakeBlueZ::callApp(const QString& owner, const QString& path, const QString& interface,
                        const QString& member, const QList<QVariant>& arguments, Done done) {
    QDBusMessage call = QDBusMessage::createMethodCall(owner, path, interface, member);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 60000), this);
    const std::uint64_t epoch = epoch_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, epoch, done = std::move(done)]() mutable {
                watcher->deleteLater();
                // Answers that arrive after "bluetoothd" stopped are lost with it.
                if (epoch == epoch_)
                    done(watcher->reply());
            });
}

void FakeBlueZ::replyError(const QDBusMessage& message, const QString& name, const QString& text) {
    bus_.send(message.createErrorReply(name, text));
}

void FakeBlueZ::reply(const QDBusMessage& message, const QList<QVariant>& arguments) {
    bus_.send(message.createReply(arguments));
}

std::uint8_t attCodeForWriteError(const QString& errorName, const QString& errorText) {
    struct Mapping {
        const char* suffix;
        std::uint8_t code;
    };
    static constexpr Mapping fixed[] = {
        {"NotSupported", 0x06},  {"NotAuthorized", 0x08}, {"InvalidValueLength", 0x0D},
        {"InvalidOffset", 0x07}, {"InProgress", 0xFE},    {"NotPermitted", 0x03},
    };
    if (errorName.isEmpty())
        return 0x00;
    const QString prefix = QStringLiteral("org.bluez.Error.");
    if (!errorName.startsWith(prefix))
        return 0x0E;
    const QString suffix = errorName.mid(prefix.size());
    if (suffix == QLatin1String("Failed")) {
        // A number in the application range is taken; other numbers (an empty text reads as 0)
        // give 0x0E; a text that is no number gives 0x80.
        const std::string text = errorText.toStdString();
        if (text.empty())
            return 0x0E;
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        long value = 0;
        const char* begin = text.data() + (hex ? 2 : 0);
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
        if (error != std::errc() || stop != end)
            return 0x80;
        return value >= 0x80 && value <= 0x9F ? static_cast<std::uint8_t>(value) : 0x0E;
    }
    for (const Mapping& mapping : fixed) {
        if (suffix == QLatin1String(mapping.suffix))
            return mapping.code;
    }
    return 0x0E;
}

}  // namespace quorvel::testing
