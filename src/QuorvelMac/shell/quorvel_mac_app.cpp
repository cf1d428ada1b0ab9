#include "QuorvelMac/shell/quorvel_mac_app.hpp"

#include <QDBusConnection>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include "QuorvelMac/ui/kit/scheme_follower.hpp"
#include "QuorvelShared/support/clock.hpp"

namespace quorvel {

namespace {
constexpr int refreshIntervalMs = 5000;
}

QuorvelMacApp::QuorvelMacApp(Parts parts, QObject* parent)
    : QObject(parent),
      observer_(std::move(parts.observer)),
      overlay_(std::make_unique<LockOverlayWindowController>(observer_.get(), parts.icons)),
      scenes_(std::move(parts.scenes)) {
    overlay_->prepare();
    model_ = parts.makeModel();
    connectModel();
    refreshLoop_.setInterval(refreshIntervalMs);
    connect(&refreshLoop_, &QTimer::timeout, this, [this] {
        model_->refreshChromeProfiles();
        model_->refreshBluetoothStatus();
        refreshSettingsRelaxationProtection();
    });
    refreshSettingsRelaxationProtection();
    startForegroundObservation();
    if (parts.showScenes) {
        installTrayIcon();
        showMainWindow();
    }
}

QuorvelMacApp::~QuorvelMacApp() {
    delete mainWindow_.data();
}

void QuorvelMacApp::connectModel() {
    MacAppModel* m = model_.get();
    connect(m, &MacAppModel::settingsRelaxationConfigurationChanged, this,
            &QuorvelMacApp::refreshSettingsRelaxationProtection);
    connect(m, &MacAppModel::overlayChanged, this,
            [this] { updateOverlayWindow(model_->overlay()); });
    connect(m, &MacAppModel::authorizationRevisionChanged, this,
            &QuorvelMacApp::reevaluateFrontmostApplication);
    connect(m, &MacAppModel::targetsChanged, this, &QuorvelMacApp::reevaluateFrontmostApplication);
    connect(m, &MacAppModel::accessibilityPermissionGrantedChanged, this,
            &QuorvelMacApp::reevaluateFrontmostApplication);
    connect(m, &MacAppModel::setupStatusChanged, this, &QuorvelMacApp::updateTrayIcon);
    connect(m, &MacAppModel::allowWindowsChanged, this, &QuorvelMacApp::updateTrayIcon);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    model_->refreshAccessibilityPermission(false);
                    reevaluateFrontmostApplication();
                } else {
                    relaxation_.setEditingSessionActive(false);
                }
            });
    // After a suspend the application in front may have changed unseen.
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(reevaluateAfterSleep(bool)));
}

void QuorvelMacApp::startForegroundObservation() {
    if (model_->isMarketingFixture() || didStartForegroundObservation_)
        return;
    didStartForegroundObservation_ = true;
    QPointer<QuorvelMacApp> self(this);
    observer_->start([self](const std::optional<RunningApplicationSnapshot>& snapshot) {
        // The decision runs on a later turn of the loop, not inside the observer's callback.
        QMetaObject::invokeMethod(
            self.data(),
            [self, snapshot] {
                if (self)
                    self->handleForegroundApplication(snapshot);
            },
            Qt::QueuedConnection);
    });
    reevaluateFrontmostApplication();
}

void QuorvelMacApp::reevaluateFrontmostApplication() {
    handleForegroundApplication(observer_->currentSnapshot());
}

void QuorvelMacApp::handleForegroundApplication(
    const std::optional<RunningApplicationSnapshot>& snapshot) {
    const auto release = [this] {
        blockedProcessIdentifier_.reset();
        overlay_->close();
    };
    if (!snapshot)
        return release();
    model_->refreshAccessibilityPermission(false);
    LockDecisionInput input;
    input.accessibilityPermissionGranted = model_->accessibilityPermissionGranted();
    input.targets = model_->targets();
    input.activeAllowWindows = model_->activeAllowWindows();
    input.now = systemClock().now();
    input.overlay = model_->overlay();
    const LockDecision decision = decideLock(*snapshot, input);
    switch (decision.kind) {
        case LockDecision::Kind::release:
            return release();
        case LockDecision::Kind::resume:
            blockedProcessIdentifier_ = decision.processIdentifier;
            return updateOverlayWindow(model_->overlay());
        case LockDecision::Kind::lockNew:
            blockedProcessIdentifier_ = decision.processIdentifier;
            // The overlay's change handler shows the panel.
            model_->setOverlay(
                LockOverlayState{*decision.target, LockOverlayState::Status::locked()});
            return;
    }
}

void QuorvelMacApp::updateOverlayWindow(std::optional<LockOverlayState> overlay) {
    if (!overlay || !blockedProcessIdentifier_)
        return overlay_->close();
    QPointer<MacAppModel> model(model_.get());
    // The request shows the panel again with a new callback, which replaces this one; the model
    // takes its own copy of the target before anything changes.
    overlay_->show(*overlay, *blockedProcessIdentifier_, [model, target = overlay->target] {
        if (model)
            model->requestUnlock(target);
    });
}

void QuorvelMacApp::refreshSettingsRelaxationProtection() {
    relaxation_.updateConfiguration(model_->settingsRelaxationConfiguration());
}

PellorimMenuBarIcon::State QuorvelMacApp::menuBarIconState() const {
    return PellorimMenuBarIcon::state(model_->setupStatus(), model_->activeAllowWindows());
}

void QuorvelMacApp::installTrayIcon() {
    trayColours_ = windows::SystemTrayColours::connect();
    if (trayColours_) {
        connect(trayColours_.get(), &windows::SystemTrayColours::normalChanged, this,
                &QuorvelMacApp::updateTrayIcon);
    }
    tray_ = std::make_unique<QSystemTrayIcon>();
    tray_->setToolTip(QStringLiteral("Pellorim"));
    if (scenes_.menuBar) {
        trayMenu_.reset(scenes_.menuBar(*model_, [this] { showMainWindow(); }));
        tray_->setContextMenu(trayMenu_.get());
    }
    // The desktop switching its scheme changes the palette's colours, which the pixels are in.
    ui::theme::followScheme(tray_.get(), QStringLiteral("tray icon"), [this] { updateTrayIcon(); });
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    showMainWindow();
            });
    updateTrayIcon();
    tray_->show();
}

void QuorvelMacApp::updateTrayIcon() {
    if (!tray_)
        return;
    // The desktop colours the named symbolic icon for its panel; its pixels, for a tray that
    // takes them instead, are in the panel's text colour. A tray that names no colour may still
    // be of any shade (a dark one under a light scheme), so the glyph carries a halo that stands
    // out from its ink.
    const QColor ink = panelTextColour();
    tray_->setIcon(PellorimMenuBarIcon::icon(
        menuBarIconState(), ink, PellorimMenuBarIcon::haloFor(ink, qGuiApp->palette())));
}

QColor QuorvelMacApp::panelTextColour() const {
    // The colour an X11 tray asks its icons for, else the desktop's text colour.
    if (const auto colour = trayColours_ ? trayColours_->normal() : std::nullopt) {
        return QColor::fromRgba64(colour->red, colour->green, colour->blue);
    }
    return qGuiApp->palette().color(QPalette::WindowText);
}

void QuorvelMacApp::showMainWindow() {
    if (!mainWindow_ && scenes_.mainWindow) {
        // Its title is the shown pane's, which the window keeps itself.
        mainWindow_ = scenes_.mainWindow(*model_, relaxation_);
        mainWindow_->setMinimumSize(820, 560);
        mainWindow_->installEventFilter(this);
    }
    if (!mainWindow_)
        return;
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
}

bool QuorvelMacApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mainWindow_ &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        onMainWindowShown(event->type() == QEvent::Show);
    }
    return QObject::eventFilter(watched, event);
}

void QuorvelMacApp::onMainWindowShown(bool shown) {
    if (shown) {
        refreshSettingsRelaxationProtection();
        if (!refreshLoop_.isActive())
            refreshLoop_.start();
    } else {
        // The refresh runs only while the window is shown; a closed window ends the editing
        // session.
        refreshLoop_.stop();
        relaxation_.setEditingSessionActive(false);
    }
}

void QuorvelMacApp::reevaluateAfterSleep(bool goingToSleep) {
    if (!goingToSleep)
        reevaluateFrontmostApplication();
}

}  // namespace quorvel
