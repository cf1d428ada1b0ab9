#include "QuorvelNativeHost/daemon/bridge_daemon.hpp"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QMetaObject>
#include <exception>
#include <memory>
#include <optional>

#include "QuorvelNativeHost/daemon/bridge_daemon_core.hpp"
#include "QuorvelNativeHost/daemon/parent_watch.hpp"
#include "QuorvelNativeHost/daemon/standard_input_watch.hpp"
#include "QuorvelPlatform/bluetooth/bluez_peripheral.hpp"
#include "QuorvelPlatform/keychain/program_device_key_store.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/process/guarded_application.hpp"
#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel::daemon {

int runBluetoothBridgeDaemon(int argc, char** argv, std::optional<std::int32_t> parentProcessId) {
    std::optional<ParentWatch> parentWatch;
    if (parentProcessId) {
        parentWatch.emplace(*parentProcessId);
        // Started for a parent that is already gone: nothing to serve.
        if (!parentWatch->isParent())
            return 0;
    }
    GuardedApplication<QCoreApplication> application(argc, argv);
    installQtLogSink();
    if (parentWatch)
        parentWatch->start(application);
    try {
        installDBusNotificationPoster();
    } catch (const std::exception& error) {
        qCWarning(lcDaemon, "cannot post notifications: %s", error.what());
    }
    // Whatever fails here fails the whole run, which still ends with status 0 as every end of
    // the daemon does: the application never restarts it.
    runEventHandler(LogArea::daemon, "the Bluetooth bridge daemon", [&] {
        bluetooth::BlueZPeripheral platform(QDBusConnection::systemBus());
        BridgeDaemonCore daemon(platform, programDeviceKeyStore());
        {
            StandardInputWatch input([&application] {
                QMetaObject::invokeMethod(&application, &QCoreApplication::quit,
                                          Qt::QueuedConnection);
            });
            application.exec();
        }
        daemon.shutDown();
    });
    return 0;
}

}  // namespace quorvel::daemon
