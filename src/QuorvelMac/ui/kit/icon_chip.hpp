#pragma once

// A square tile with a white symbol on a top-to-bottom gradient of one ink.
#include <QColor>
#include <QString>
#include <QWidget>

#include "QuorvelMac/ui/kit/palette_colours.hpp"

namespace quorvel::ui {

class IconChip : public QWidget {
    Q_OBJECT

public:
    IconChip(const QString& systemImage, theme::Ink ink, double size, QWidget* parent = nullptr);

    void setInk(theme::Ink ink);
    QString systemImage() const { return systemImage_; }
    theme::Ink ink() const { return ink_; }
    QColor colour() const { return theme::colour(ink_); }
    double cornerRadius() const { return size_ * 0.24; }
    double symbolSize() const { return size_ * 0.5; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString systemImage_;
    theme::Ink ink_;
    double size_;
};

}  // namespace quorvel::ui
