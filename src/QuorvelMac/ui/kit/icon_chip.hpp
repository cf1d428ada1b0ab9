#pragma once

// A square tile with a white symbol on a top-to-bottom gradient of one colour.
#include <QColor>
#include <QString>
#include <QWidget>

namespace quorvel::ui {

class IconChip : public QWidget {
    Q_OBJECT


public:
    IconChip(const QString& systemImage, QColor colour, double size, QWidget* parent = nullptr);

    void setColour(QColor colour);
    QString systemImage() const { return systemImage_; }
    QColor colour() const { return colour_; }
    double cornerRadius() const { return size_ * 0.24; }
    double symbolSize() const { return size_ * 0.5; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString systemImage_;
    QColor colour_;
    double size_;
};

}  // namespace quorvel::ui
