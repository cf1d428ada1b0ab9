#include "QuorvelMac/ui/qr/pairing_qr_panel.hpp"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/qr/pairing_qr_code.hpp"

namespace quorvel::ui {

namespace {

// The placeholder's tile: a faint rounded square of the text colour behind the viewfinder.
class PlaceholderTile final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = theme::colour(theme::Ink::quaternary);
        fill.setAlphaF(fill.alphaF() * 0.7);
        QPainterPath tile;
        tile.addRoundedRect(QRectF(rect()), 14, 14);
        painter.fillPath(tile, fill);
        painter.end();
        QLabel::paintEvent(event);
    }
};

}  // namespace

PairingQRCodeView::PairingQRCodeView(const std::string& value, int size, QWidget* parent)
    : QWidget(parent) {
    image_ = makePairingQRCode(value).value_or(QImage());
    setFixedSize(size + 24, size + 24);
    setAccessibleName(qs(value));
}

void PairingQRCodeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), 8, 8);
    // A code is read by a camera: dark modules on white in every scheme, the tile's edge and the
    // stand-in symbol in the palette's shadow colour, faint and half-strong.
    painter.fillPath(tile, Qt::white);
    QColor shade = palette().color(QPalette::Shadow);
    shade.setAlphaF(0.08);
    painter.setPen(QPen(shade, 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7.5, 7.5);
    const QRect frame = rect().adjusted(12, 12, -12, -12);
    if (image_.isNull()) {
        shade.setAlphaF(0.55);
        theme::symbol("qrcode", shade).paint(&painter, frame);
        return;
    }
    // Nearest-neighbour scaling keeps every module a sharp square.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QSize fitted = image_.size().scaled(frame.size(), Qt::KeepAspectRatio);
    const QRect target(frame.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
    painter.drawImage(target, image_);
}

PairingQRPanel::PairingQRPanel(std::function<void()> startPairing, QWidget* parent)
    : Panel(Look::raised, theme::Ink::separator, 24, 18, parent),
      startPairing_(std::move(startPairing)),
      stack_(body()) {
    stack_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

PairingQRPanel::Face PairingQRPanel::faceFor(const PairingState& pairing) {
    if (PairingStatusPresentation(pairing).isSessionExpired) {
        return Face::expired;
    }
    if (pairing.qrURL) {
        return Face::code;
    }
    return pairing.pairedIPhoneName ? Face::paired : Face::placeholder;
}

void PairingQRPanel::addSymbol(const QString& name, int symbolSize, theme::Ink ink,
                               int frameHeight) {
    // The placeholder (the tallest frame) stands on a tile.
    auto* symbol = frameHeight == 220 ? new PlaceholderTile(this) : new QLabel(this);
    symbol->setObjectName("symbol");
    symbol->setAlignment(Qt::AlignCenter);
    symbol->setFixedSize(220, frameHeight);
    theme::setSymbol(symbol, name, symbolSize, ink);
    stack_->addWidget(symbol, 0, Qt::AlignHCenter);
}

void PairingQRPanel::addHeadline(const QString& text) {
    // The label takes the panel's width and centres its text, so a long headline wraps whole.
    auto* headline = theme::makeLabel(text, theme::TextStyle::headline, theme::Ink::primary, this);
    headline->setObjectName("headline");
    headline->setAlignment(Qt::AlignHCenter);
    stack_->addWidget(headline);
}

QPushButton* PairingQRPanel::addStartButton(const QString& title, const QString& systemImage) {
    QPushButton* button = makeButton(title, systemImage, ButtonStyle::prominent, this);
    button->setMinimumHeight(34);
    connect(button, &QPushButton::clicked, this, [this] {
        if (startPairing_) {
            startPairing_();
        }
    });
    stack_->addWidget(button, 0, Qt::AlignHCenter);
    return button;
}

void PairingQRPanel::render(const PairingState& pairing) {
    clearLayout(stack_);
    face_ = faceFor(pairing);
    switch (face_) {
        case Face::expired: {
            addSymbol("clock.badge.exclamationmark", 72, theme::Ink::orange, 180);
            addHeadline("QRコードの期限が切れました");
            addStartButton("新しいコードを作る", "arrow.clockwise");
            break;
        }
        case Face::code: {
            stack_->addWidget(new PairingQRCodeView(*pairing.qrURL, 220, this), 0,
                              Qt::AlignHCenter);
            if (pairing.code) {
                auto* codeStack = new QVBoxLayout;
                codeStack->setSpacing(5);
                auto* caption = theme::makeLabel("コード", theme::TextStyle::caption,
                                                 theme::Ink::secondary, this);
                caption->setAlignment(Qt::AlignHCenter);
                auto* code = new QLabel(qs(*pairing.code), this);
                code->setObjectName("pairingCode");
                code->setTextFormat(Qt::PlainText);
                code->setFont(theme::monospacedFont(34, QFont::DemiBold));
                code->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
                code->setAlignment(Qt::AlignHCenter);
                codeStack->addWidget(caption);
                codeStack->addWidget(code);
                stack_->addLayout(codeStack);
            }
            break;
        }
        case Face::paired:
            addSymbol("checkmark.circle.fill", 72, theme::Ink::green, 180);
            addHeadline("このMacにiPhone登録あり");
            break;
        case Face::placeholder:
            addSymbol("qrcode.viewfinder", 78, theme::Ink::secondary, 220);
            addStartButton("ペアリング開始", "link");
            break;
    }
}

}  // namespace quorvel::ui
