#pragma once

// A stand-in for bluetoothd on a private system bus: it owns org.bluez and offers one adapter
// (/org/bluez/hci0) with Adapter1, GattManager1 and LEAdvertisingManager1. It calls a
// registering application back as bluetoothd 5.66 does (GetManagedObjects on the application,
// GetManagedObjects and Properties.GetAll on an advertisement) and checks what it reads the way
// bluetoothd would, noting each departure in problems(). It talks on a connection of its own, so
// every call crosses the bus daemon and file descriptors really pass.
//
// The central's side: subscribe() acquires the notify socket with a device and an MTU, reads
// it 512 bytes at a time and clips each frame to MTU - 3, as bluetoothd does; write() calls
// WriteValue with the device and the MTU. sharedNotifySocket (5.66) hands one socket per
// characteristic to every device; switched off, one per device as later versions do.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"
#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::testing {

using bluetooth::bluez::InterfaceMap;
using bluetooth::bluez::ManagedObjects;

// One acquired notify socket as bluetoothd holds it, with the devices it serves.
class NotifyLink final : public QObject {
    Q_OBJECT

public:
    using FrameHandler = std::function<void(const Bytes&)>;
    NotifyLink(int fd, QObject* parent);
    ~NotifyLink() override;

    void addDevice(const QString& device, int mtu, FrameHandler onFrame);
    // True when no device is left (the caller then closes the link).
    bool removeDevice(const QString& device);
    // bluetoothd lets go of its end: the peripheral reads end of file.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The peripheral closed its end while we held ours.
    bool peerHungUp() const { return peerHungUp_; }

private:
    void onReadable();

    struct Device {
        int mtu = 23;
        FrameHandler onFrame;
    };
    int fd_;
    QSocketNotifier notifier_;
    std::map<QString, Device> devices_;
    bool peerHungUp_ = false;
};

class FakeBlueZ final : public QDBusVirtualObject {
    Q_OBJECT

public:
    static inline const QString adapterPath = QStringLiteral("/org/bluez/hci0");

    // Connects to the bus at `address` and takes org.bluez.
    explicit FakeBlueZ(const QString& address, bool powered = true);
    ~FakeBlueZ() override;

    QDBusConnection& bus() { return bus_; }

    // Switches.
    void setPowered(bool powered);
    bool powered() const { return powered_; }
    void setAdapterPresent(bool present);
    void setRefuseAccess(bool refuse) { refuseAccess_ = refuse; }
    // As if bluetoothd stopped: forgets every registration, closes every acquired socket and
    // lets the name go. claimName() is its start again.
    void releaseName();
    void claimName();
    // Handles now every call `sender` made to us so far, e.g. what a peripheral that just went
    // said on its way out, so that nothing is left unanswered when this object goes.
    void takeCallsFrom(const QDBusConnection& sender);
    bool sharedNotifySocket = true;

    struct Application {
        QString owner;
        QString path;
        ManagedObjects objects;
        QString servicePath;
        QString notifyPath;  // the characteristic flagged "notify"
        QString writePath;   // the characteristic flagged "write"
    };
    struct Advertisement {
        QString owner;
        QString path;
        QVariantMap properties;
    };
    const std::optional<Application>& application() const { return application_; }
    const std::optional<Advertisement>& advertisement() const { return advertisement_; }
    int applicationRegistrations() const { return applicationRegistrations_; }
    int advertisementRegistrations() const { return advertisementRegistrations_; }
    // What bluetoothd would have refused or called back about, and refused registrations.
    const QStringList& problems() const { return problems_; }

    // Subscribes `device`: `onFrame` gets every notification clipped to mtu - 3. `done` gets the
    // link, or nullptr with the error name when the application refused.
    void subscribe(const QString& device, int mtu, NotifyLink::FrameHandler onFrame,
                   std::function<void(NotifyLink*, const QString& error)> done);
    // The phone writes 0 to the CCC: the link closes once no device is left on it.
    void unsubscribe(const QString& device);
    NotifyLink* linkOf(const QString& device) const;
    int acquireCalls() const { return acquireCalls_; }

    // One ATT write request; `done` gets the error name and text of the answer (empty: success).
    void write(const QString& device, int mtu, const Bytes& value,
               std::function<void(const QString& errorName, const QString& errorText)> done);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    bool handleAdapter(const QDBusMessage& message);
    bool handleRoot(const QDBusMessage& message);
    void registerApplication(const QDBusMessage& message);
    void registerAdvertisement(const QDBusMessage& message);
    std::optional<QString> checkApplication(const ManagedObjects& objects, Application& app);
    QVariantMap adapterProperties() const;
    void replyError(const QDBusMessage& message, const QString& name, const QString& text);
    void reply(const QDBusMessage& message, const QList<QVariant>& arguments = {});
    template <typename Done>
    void callApp(const QString& owner, const QString& path, const QString& interface,
                 const QString& member, const QList<QVariant>& arguments, Done done);
    void dropEverything();

    QString connectionName_;
    QDBusConnection bus_;
    bool powered_;
    bool adapterPresent_ = true;
    bool refuseAccess_ = false;
    bool ownsName_ = false;
    std::optional<Application> application_;
    std::optional<Advertisement> advertisement_;
    int applicationRegistrations_ = 0;
    int advertisementRegistrations_ = 0;
    int acquireCalls_ = 0;
    QStringList problems_;
    std::map<QString, QPointer<NotifyLink>> links_;  // by device
    std::uint64_t epoch_ = 0;                        // rises when the name goes
};

// How bluetoothd 5.66 turns the error name of a WriteValue answer into the ATT code the phone
// receives (empty name: success).
std::uint8_t attCodeForWriteError(const QString& errorName, const QString& errorText);

}  // namespace quorvel::testing
