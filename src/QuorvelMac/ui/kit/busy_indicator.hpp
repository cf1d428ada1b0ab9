#pragma once

// The small indeterminate progress indicator: twelve spokes round a centre in the secondary
// text colour, the darkest one going round once a second, so the wait visibly moves. It turns
// only while it is on screen.
#include <QTimer>
#include <QWidget>

namespace quorvel::ui {

class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    static constexpr int spokes = 12;

    explicit BusyIndicator(int side, QWidget* parent = nullptr);

    bool isSpinning() const { return timer_.isActive(); }
    // The spoke drawn darkest now, 0 to spokes - 1.
    int phase() const { return phase_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer timer_;
    int phase_ = 0;
};

}  // namespace quorvel::ui
