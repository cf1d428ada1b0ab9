#pragma once

// The left half of the pairing pane: the pending offer's QR code and number, the expired notice,
// the "registered" confirmation or a placeholder with a start button.
#include <functional>
#include <string>

#include <QWidget>

#include "QuorvelMac/model/pairing_state.hpp"
#include "QuorvelMac/ui/kit/panel.hpp"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quorvel::ui {

// Draws a text as a QR image scaled without smoothing on a white rounded tile; the "qrcode"
// symbol stands in when the text cannot be encoded.
class PairingQRCodeView : public QWidget {
    Q_OBJECT

public:
    PairingQRCodeView(const std::string& value, int size, QWidget* parent = nullptr);
    bool hasCode() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// A raised panel (the look of the cards) padded 24, its content centred, spacing 18.
class PairingQRPanel : public Panel {
public:
    enum class Face { expired, code, paired, placeholder };

    PairingQRPanel(std::function<void()> startPairing, QWidget* parent = nullptr);

    void render(const PairingState& pairing);

    Face face() const { return face_; }
    static Face faceFor(const PairingState& pairing);

private:
    void addHeadline(const QString& text);
    void addSymbol(const QString& name, int symbolSize, theme::Ink ink, int frameHeight);
    QPushButton* addStartButton(const QString& title, const QString& systemImage);

    std::function<void()> startPairing_;
    QVBoxLayout* stack_;
    Face face_ = Face::placeholder;
};

}  // namespace quorvel::ui
