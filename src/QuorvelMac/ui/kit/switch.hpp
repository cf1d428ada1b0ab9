#pragma once

// An on/off switch: a rounded track with a round knob, the accent colour when on. Its text, if
// any, stands on the left and the switch on the right edge. A check box underneath, so it
// behaves like one for the keyboard, accessibility and the code that reads it.
#include <QCheckBox>

namespace quorvel::ui {

class Switch : public QCheckBox {
    Q_OBJECT

public:
    explicit Switch(const QString& text = {}, QWidget* parent = nullptr);

    static constexpr int trackWidth = 38;
    static constexpr int trackHeight = 22;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& point) const override { return rect().contains(point); }
};

}  // namespace quorvel::ui
