#include "QuorvelMac/shell/lock_overlay_window_controller.hpp"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

#include "QuorvelPlatform/windows/panel_placement.hpp"

namespace quorvel {

namespace {

constexpr int trackingIntervalMs = 150;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

LockOverlayPanel::LockOverlayPanel(LockOverlayView::IconSource icons)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint),
      view_(new LockOverlayView(std::move(icons), this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Pellorim"));
    auto* layout = new QVBoxLayout(this);
    // The panel takes exactly the covered window's size, however narrow.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    resize(900, 700);
}

LockOverlayWindowController::LockOverlayWindowController(windows::ForegroundAppObserver* observer,
                                                         LockOverlayView::IconSource icons,
                                                         QObject* parent)
    : QObject(parent), observer_(observer), icons_(std::move(icons)) {
    tracking_.setInterval(trackingIntervalMs);
    tracking_.setTimerType(Qt::PreciseTimer);
    connect(&tracking_, &QTimer::timeout, this, &LockOverlayWindowController::refreshFrame);
    if (observer_ && observer_->watcher()) {
        // Follow at once instead of at the next tick.
        auto follow = [this] {
            if (processIdentifier_)
                refreshFrame();
        };
        connect(observer_->watcher(), &windows::ActiveWindowWatcher::activeWindowChanged, this,
                follow);
        connect(observer_->watcher(), &windows::ActiveWindowWatcher::activeWindowGeometryChanged,
                this, follow);
    }
}

LockOverlayWindowController::~LockOverlayWindowController() {
    delete panel_;
}

void LockOverlayWindowController::ensurePanel() {
    if (panel_)
        return;
    panel_ = new LockOverlayPanel(icons_);
    // The native window exists before the first show, and a compositing window manager never
    // draws it past its compositor.
    windows::keepComposited(qtConnection(), static_cast<xcb_window_t>(panel_->winId()));
}

void LockOverlayWindowController::prepare() {
    ensurePanel();
    // A first show pays for the backing store, the style and the fonts of the Japanese texts;
    // pay it now, out of sight, with a stand-in state painted once.
    MacLockTarget standIn;
    standIn.displayName = "Pellorim";
    panel_->view()->setState(LockOverlayState{standIn, LockOverlayState::Status::locked()},
                             nullptr);
    panel_->setGeometry(-20000, -20000, 900, 700);
    panel_->show();
    panel_->repaint();
    panel_->hide();
    if (auto* c = qtConnection())
        xcb_flush(c);
}

void LockOverlayWindowController::show(const LockOverlayState& state, pid_t processIdentifier,
                                       std::function<void()> onUnlock) {
    ensurePanel();
    panel_->view()->setState(state, std::move(onUnlock));
    // A fade-out still running is called off: the panel stays. The stopped animation deletes
    // itself only on a later turn, so it is forgotten here, or a close() in this same turn would
    // take it for a fade still under way and leave the panel up.
    if (fade_) {
        fade_->stop();
        fade_.clear();
    }
    panel_->setWindowOpacity(1.0);
    processIdentifier_ = processIdentifier;
    refreshFrame();
    if (!tracking_.isActive())
        tracking_.start();
}

void LockOverlayWindowController::close() {
    tracking_.stop();
    processIdentifier_.reset();
    if (!panel_)
        return;
    if (!panel_->isVisible()) {
        orderOut();
        return;
    }
    if (fade_ && fade_->state() == QAbstractAnimation::Running)
        return;  // already fading out
    auto* animation = new QPropertyAnimation(panel_, "windowOpacity", this);
    animation->setDuration(180);
    animation->setStartValue(panel_->windowOpacity());
    animation->setEndValue(0.0);
    connect(animation, &QPropertyAnimation::finished, this, [this] {
        orderOut();
        panel_->setWindowOpacity(1.0);
    });
    fade_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void LockOverlayWindowController::orderOut() {
    if (!panel_ || !panel_->isVisible())
        return;
    panel_->hide();
    placed_.reset();
    if (auto* c = qtConnection())
        xcb_flush(c);
}

void LockOverlayWindowController::refreshFrame() {
    if (!panel_)
        return;
    if (!processIdentifier_ || !observer_)
        return orderOut();
    const auto rect = observer_->frame(*processIdentifier_);
    if (!rect)
        return orderOut();
    place(*rect);
}

void LockOverlayWindowController::place(const windows::ScreenRect& nativeRect) {
    const auto pixels = windows::pixelGeometry(nativeRect);
    // Qt keeps logical pixels; the exact device pixels follow natively below.
    const qreal ratio = panel_->screen() ? panel_->screen()->devicePixelRatio() : 1.0;
    const QRect logical(qRound(pixels.x / ratio), qRound(pixels.y / ratio),
                        qRound(pixels.width / ratio), qRound(pixels.height / ratio));
    const auto window = static_cast<xcb_window_t>(panel_->winId());
    if (panel_->isVisible() && placed_ == pixels) {
        // Nothing moved: only stay on top (a window manager may have raised a frame over us).
        windows::raiseAbove(qtConnection(), window);
        return;
    }
    if (panel_->geometry() != logical)
        panel_->setGeometry(logical);
    if (!panel_->isVisible())
        panel_->show();
    windows::placeAbove(qtConnection(), window, pixels);
    placed_ = pixels;
}

}  // namespace quorvel
