#pragma once

// The peripheral over BlueZ on the system bus: our GATT application registered with
// GattManager1, our advertisement with LEAdvertisingManager1, the adapter followed by
// BlueZAdapterMonitor. A central is a BlueZ device path; it subscribes through AcquireNotify,
// and its frames may be up to its ATT MTU - 3 bytes.
//
// bluetoothd 5.66 (Debian 12) acquires one notify socket per characteristic, shared by every
// phone, and names the first subscriber; later versions acquire one per device. Both arrive here
// as "a device acquired a socket": with 5.66 the other phones simply receive what is sent to the
// first one.
//
// Every call to BlueZ is asynchronous: bluetoothd reads our objects back before it answers
// RegisterApplication, so a blocking call would wait on itself.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"
#include "QuorvelPlatform/bluetooth/bluez_adapter_monitor.hpp"
#include "QuorvelPlatform/bluetooth/gatt_application.hpp"
#include "QuorvelPlatform/bluetooth/le_advertisement.hpp"
#include "QuorvelPlatform/bluetooth/notify_socket.hpp"

namespace quorvel::bluetooth {

class BlueZPeripheral final : public QObject, public BlePeripheral {
    Q_OBJECT

public:
    // Objects go under `objectRoot`; the adapter watch starts at once.
    explicit BlueZPeripheral(QDBusConnection bus,
                             QString objectRoot = QStringLiteral("/app/quorvel/ble"));
    ~BlueZPeripheral() override;

    void setDelegate(BlePeripheralDelegate* delegate) override;
    AdapterState state() const override { return monitor_.state(); }
    void addService(const GattServiceLayout& layout) override;
    void removeAllServices() override;
    void startAdvertising(const std::string& serviceUUID) override;
    void stopAdvertising() override;
    bool isAdvertising() const override { return advertising_ != Advertising::idle; }
    bool updateValue(ByteView frame, const std::vector<std::string>& centralIdentifiers) override;

private:
    enum class Advertising { idle, starting, on };
    struct Subscription {
        std::unique_ptr<NotifySocket> socket;
        std::int64_t maximumUpdateValueLength = 0;
    };

    void adapterStateChanged(AdapterState state);
    // The only caller our objects answer: bluetoothd.
    BlueZObject::Caller bluetoothd() const;
    int acquire(const QString& device, int attMtu);
    void socketClosed(const QString& device, const NotifySocket* socket);
    void write(const QString& device, const QByteArray& value, WriteResponder responder);
    void deliverWrites();
    void advertisementReleased(std::uint64_t generation);
    void endSubscriptions(bool tellDelegate);
    void callLater(std::function<void(BlePeripheralDelegate&)> call);
    void readyAgain();
    // Sends `member` to the adapter's `interface` with one object path argument; `done` gets
    // the reply unless this peripheral is gone.
    void callAdapter(const QString& interface, const QString& member, const QString& objectPath,
                     std::function<void(const QDBusMessage&)> done);

    QDBusConnection bus_;
    QString objectRoot_;
    BlueZAdapterMonitor monitor_;
    BlePeripheralDelegate* delegate_ = nullptr;

    std::optional<GattServiceLayout> layout_;
    std::unique_ptr<GattApplication> application_;
    std::uint64_t applicationGeneration_ = 0;
    bool applicationRegistered_ = false;
    std::map<QString, Subscription> subscriptions_;
    std::vector<WriteRequest> pendingWrites_;
    bool readyOwed_ = false;

    std::unique_ptr<LEAdvertisement> advertisement_;
    QString advertisementPath_;
    std::uint64_t advertisementGeneration_ = 0;
    Advertising advertising_ = Advertising::idle;
    std::uint64_t nextObjectNumber_ = 0;
};

// The peripheral the daemon runs: BlueZ on the system bus.
std::unique_ptr<BlePeripheral> makeBlueZPeripheral();

}  // namespace quorvel::bluetooth
