#pragma once

// A once-a-second tick that runs only while a widget is on screen, for the remaining times.
#include <functional>

#include <QObject>
#include <QTimer>

class QWidget;

namespace quorvel::ui {

class VisibleTicker : public QObject {
public:
    VisibleTicker(QWidget* watched, std::function<void()> onTick);
    bool isRunning() const { return timer_.isActive(); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QTimer timer_;
    std::function<void()> onTick_;
};

}  // namespace quorvel::ui
