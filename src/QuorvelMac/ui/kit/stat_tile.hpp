#pragma once

// A raised tile with a large number in an ink and its label below.
#include <QColor>
#include <QString>

#include "QuorvelMac/ui/kit/panel.hpp"

class QLabel;

namespace quorvel::ui {

class StatTile : public Panel {
    Q_OBJECT

public:
    StatTile(const QString& value, const QString& label, theme::Ink ink, QWidget* parent = nullptr);

    void set(const QString& value, theme::Ink ink);
    QString value() const;
    QString label() const;
    theme::Ink ink() const { return ink_; }
    QColor colour() const { return theme::colour(ink_); }

private:
    QLabel* value_;
    QLabel* label_;
    theme::Ink ink_;
};

}  // namespace quorvel::ui
