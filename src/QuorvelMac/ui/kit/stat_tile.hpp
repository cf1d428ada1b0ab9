#pragma once

// A raised tile with a large number and its label below.
#include <QColor>
#include <QString>

#include "QuorvelMac/ui/kit/panel.hpp"

class QLabel;

namespace quorvel::ui {

class StatTile : public Panel {
    Q_OBJECT


public:
    StatTile(const QString& value, const QString& label, QColor colour, QWidget* parent = nullptr);

    void set(const QString& value, QColor colour);
    QString value() const;
    QString label() const;
    QColor colour() const { return colour_; }

private:
    QLabel* value_;
    QLabel* label_;
    QColor colour_;
};

}  // namespace quorvel::ui
