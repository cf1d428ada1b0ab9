// QuorvelMac: the tray-and-window application. Makes the platform services, claims the single
// instance, then hands everything to the application shell.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDesktopServices>
#include <QSocketNotifier>
#include <memory>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/native_messaging_registrar.hpp"
#include "QuorvelMac/model/platform_services.hpp"
#include "QuorvelMac/shell/bluetooth_bridge_daemon_process.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/shell/mac_application_picker.hpp"
#include "QuorvelMac/shell/qt_translations.hpp"
#include "QuorvelMac/shell/quorvel_mac_app.hpp"
#include "QuorvelMac/shell/single_instance.hpp"
#include "QuorvelMac/shell/x11_accessibility_probe.hpp"
#include "QuorvelMac/ui/kit/application_icon.hpp"
#include "QuorvelMac/ui/user_interface.hpp"
#include "QuorvelPlatform/hostname/computer_name.hpp"
#include "QuorvelPlatform/keychain/program_device_key_store.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/process/guarded_application.hpp"
#include "QuorvelPlatform/process/open_file_limit.hpp"
#include "QuorvelShared/support/application_identity.hpp"
#include "QuorvelShared/support/preferences.hpp"

namespace {

using namespace quorvel;

// Ending by a signal (logout, Ctrl-C) takes the same road as quitting from the menu, so the
// daemon launcher is released and "stopped" is written.
int quitSignalFds[2] = {-1, -1};

void onQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(quitSignalFds[1], &byte, 1);
}

void quitOnSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, quitSignalFds) != 0)
        return;
    auto* notifier = new QSocketNotifier(quitSignalFds[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

std::filesystem::path ownFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

MacAppModel::Dependencies modelDependencies(
    const std::shared_ptr<AccessibilityProbe>& accessibility) {
    MacAppModel::Dependencies deps;
    deps.clock = std::shared_ptr<const Clock>(&systemClock(), [](const Clock*) {});
    deps.userDefaults =
        std::make_shared<JsonFilePreferences>(std::string(preferenceDomains::application));
    deps.deviceKeyStore = programDeviceKeyStore();
    deps.bridgeDaemon = std::make_shared<BluetoothBridgeDaemonProcess>();
    deps.notificationCenter = std::make_shared<DBusDistributedNotificationCenter>();
    deps.accessibility = accessibility;
    deps.loginItem = std::make_shared<XdgAutostartLoginItem>(ownFolder() / "QuorvelMac");
    deps.userNotifications = std::make_shared<DesktopUserNotificationCenter>();
    deps.manifestFiles = NativeMessagingRegistrar::defaultManifestFiles();
    deps.nativeHostPath = (ownFolder() / "QuorvelNativeHost").string();
    deps.hostDisplayName = hostname::computerDisplayName(hostname::systemComputerNameSources());
    return deps;
}

}  // namespace

int main(int argc, char** argv) {
    // Watching and covering other programs' windows needs X11; under Wayland the X11 platform
    // (XWayland) at least lets the application start and say so.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    raiseOpenFileLimit();
    GuardedApplication<QApplication> app(argc, argv);
    installQtLogSink();
    QApplication::setApplicationName(QStringLiteral("Pellorim"));
    QApplication::setDesktopFileName(QString::fromUtf8(macApplicationId));
    if (!installJapaneseQtTranslations(app))
        qCWarning(lcShell, "Qt's Japanese texts are not installed (qt6-translations-l10n).");
    QApplication::setWindowIcon(ui::applicationIcon());
    // The application lives in the tray and keeps locking with every window closed.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    switch (instance.claim()) {
        case SingleInstance::Outcome::handedOver:
            return 0;
        case SingleInstance::Outcome::noSessionBus:
            qCWarning(lcShell, "no D-Bus session bus; Pellorim needs one to talk to its daemon.");
            return 1;
        case SingleInstance::Outcome::first:
            break;
    }
    try {
        installDBusNotificationPoster();
    } catch (const std::exception& error) {
        qCWarning(lcShell, "%s", error.what());
        return 1;
    }
    quitOnSignals(app);

    auto index = std::make_shared<desktop::DesktopEntryIndex>();
    auto watcher = windows::ActiveWindowWatcher::connect();
    if (!watcher)
        qCWarning(lcShell, "no X11 display; applications cannot be watched or covered.");
    auto observer = std::make_unique<windows::ForegroundAppObserver>(std::move(watcher), index);
    auto accessibility = std::make_shared<X11AccessibilityProbe>(observer.get());
    auto icons = std::make_shared<MacApplicationIconProvider>(index);
    auto picker = std::make_shared<MacApplicationPicker>(index);
    ui::ViewServices services;
    services.chooseApplications = [picker] { return picker->chooseApplications(); };
    services.applicationIcon = [icons](const MacLockTarget& target) { return icons->icon(target); };
    services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    services.quit = [] { QApplication::quit(); };
    services.applicationOwnIcon = QApplication::windowIcon();
    auto views = std::make_shared<ui::UserInterface>(services);

    QuorvelMacApp::Parts parts;
    parts.observer = std::move(observer);
    parts.icons = services.applicationIcon;
    parts.makeModel = [accessibility] {
        return std::make_unique<MacAppModel>(modelDependencies(accessibility));
    };
    parts.scenes.mainWindow = [views](MacAppModel& model,
                                      MacSettingsRelaxationProtectionController& protection) {
        return views->makeMainWindow(model, protection);
    };
    parts.scenes.menuBar = [views](MacAppModel& model, std::function<void()> openMainWindow) {
        return views->makeTrayMenu(model, std::move(openMainWindow));
    };
    QuorvelMacApp shell(std::move(parts));
    instance.setShowMainWindow([&shell] { shell.showMainWindow(); });
    return app.exec();
}
