#pragma once

// The frame of every pane of the main window: a vertical scroll area over the window
// background, holding a column at most 700 wide (centred in wider windows) with the pane's
// title, optional subtitle and then its content.
#include <optional>

#include <QScrollArea>
#include <QString>

class QLabel;
class QVBoxLayout;

namespace quorvel::ui {

class PaneLayout : public QScrollArea {
public:
    static constexpr int maximumColumnWidth = 700;

    PaneLayout(const QString& title, std::optional<QString> subtitle = std::nullopt,
               QWidget* parent = nullptr);

    // Makes the frame the whole content of `host` (a pane widget) and returns it.
    static PaneLayout* fill(QWidget* host, const QString& title,
                            std::optional<QString> subtitle = std::nullopt);

    QVBoxLayout* content() const { return content_; }
    QWidget* column() const { return column_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitle_; }

private:
    QWidget* column_;
    QLabel* title_;
    QLabel* subtitle_ = nullptr;
    QVBoxLayout* content_;
};

// Sets up `scroll` with the pane's centred column and returns the column's layout (padding 28,
// spacing 14). Also used by views that draw their own header (the setup checklist).
QVBoxLayout* installCentredColumn(QScrollArea* scroll);

}  // namespace quorvel::ui
