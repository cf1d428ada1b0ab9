#pragma once

// A short coloured status label on a capsule of its own colour: optional symbol, then the text.
#include <optional>

#include <QColor>
#include <QString>
#include <QWidget>

#include "QuorvelMac/ui/kit/tone.hpp"

class QLabel;

namespace quorvel::ui {

class StatusPill : public QWidget {
    Q_OBJECT

public:
    using Tone = ui::Tone;

    StatusPill(const QString& text, Tone tone, std::optional<QString> systemImage = std::nullopt,
               QWidget* parent = nullptr);

    // Changes all three at once; a pill is redrawn in place when a status changes.
    void set(const QString& text, Tone tone, std::optional<QString> systemImage = std::nullopt);
    void set(const PillContent& content);
    explicit StatusPill(const PillContent& content, QWidget* parent = nullptr);

    QString text() const { return text_; }
    Tone tone() const { return tone_; }
    std::optional<QString> systemImage() const { return systemImage_; }

    // The tone's colour now: its text and symbol, and its capsule at low opacity.
    static QColor colour(Tone tone);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    Tone tone_;
    std::optional<QString> systemImage_;
    QLabel* icon_;
    QLabel* label_;
};

}  // namespace quorvel::ui
