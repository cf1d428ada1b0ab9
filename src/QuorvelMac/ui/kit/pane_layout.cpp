#include "QuorvelMac/ui/kit/pane_layout.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

QVBoxLayout* installCentredColumn(QScrollArea* scroll) {
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // Rows wrap to the column's width; what still cannot shrink further scrolls sideways
    // rather than being cut.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // The palette's window colour, whatever the scheme.
    auto* canvas = new QWidget;
    canvas->setAutoFillBackground(true);

    auto* centring = new QHBoxLayout(canvas);
    centring->setContentsMargins(0, 0, 0, 0);
    auto* column = new QWidget(canvas);
    column->setObjectName("paneColumn");
    column->setMaximumWidth(PaneLayout::maximumColumnWidth);
    column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    centring->addStretch(0);
    centring->addWidget(column, 1);
    centring->addStretch(0);

    auto* outer = new QVBoxLayout(column);
    outer->setContentsMargins(28, 28, 28, 28);
    outer->setSpacing(14);
    scroll->setWidget(canvas);
    return outer;
}

PaneLayout* PaneLayout::fill(QWidget* host, const QString& title, std::optional<QString> subtitle) {
    auto* pane = new PaneLayout(title, std::move(subtitle), host);
    auto* outer = new QVBoxLayout(host);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(pane);
    return pane;
}

PaneLayout::PaneLayout(const QString& title, std::optional<QString> subtitle, QWidget* parent)
    : QScrollArea(parent), content_(new QVBoxLayout) {
    auto* outer = installCentredColumn(this);
    column_ = outer->parentWidget();

    auto* header = new QVBoxLayout;
    header->setSpacing(5);
    header->setContentsMargins(0, 0, 0, 8);
    title_ = new QLabel(title, column_);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(theme::systemFont(26, QFont::Bold));
    title_->setObjectName("paneTitle");
    header->addWidget(title_);
    if (subtitle) {
        subtitle_ =
            theme::makeLabel(*subtitle, theme::TextStyle::callout, theme::Ink::secondary, column_);
        subtitle_->setObjectName("paneSubtitle");
        header->addWidget(subtitle_);
    }
    outer->addLayout(header);
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(14);
    outer->addLayout(content_);
    outer->addStretch(1);
}

}  // namespace quorvel::ui
