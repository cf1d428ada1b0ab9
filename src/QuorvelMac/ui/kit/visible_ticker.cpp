#include "QuorvelMac/ui/kit/visible_ticker.hpp"

#include <QEvent>
#include <QWidget>

namespace quorvel::ui {

VisibleTicker::VisibleTicker(QWidget* watched, std::function<void()> onTick)
    : QObject(watched), onTick_(std::move(onTick)) {
    timer_.setInterval(1000);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTick_(); });
    watched->installEventFilter(this);
    if (watched->isVisible()) {
        timer_.start();
    }
}

bool VisibleTicker::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Show) {
        // Coming back on screen redraws at once rather than a second late.
        onTick_();
        timer_.start();
    } else if (event->type() == QEvent::Hide) {
        timer_.stop();
    }
    return false;
}

}  // namespace quorvel::ui
