#include "QuorvelMac/ui/qr/pairing_qr_code.hpp"

#include <algorithm>
#include <memory>
#include <string>

#include <qrencode.h>

namespace quorvel::ui {

namespace {

struct QRcodeFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

std::optional<QImage> makePairingQRCode(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    // Encoded as 8-bit data, byte for byte: no mode switching, no terminator.
    const std::string bytes(text);
    std::unique_ptr<QRcode, QRcodeFree> code(
        QRcode_encodeData(static_cast<int>(bytes.size()),
                          reinterpret_cast<const unsigned char*>(bytes.data()), 0, QR_ECLEVEL_M));
    if (!code) {
        return std::nullopt;
    }
    constexpr int quiet = 1;
    const int modules = code->width + 2 * quiet;
    const int side = modules * pairingQRModulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    if (image.isNull()) {
        return std::nullopt;
    }
    image.fill(Qt::white);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // Bit 0 of each byte tells a dark module; the other bits describe its role.
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            const int left = (x + quiet) * pairingQRModulePixels;
            const int top = (y + quiet) * pairingQRModulePixels;
            for (int row = top; row < top + pairingQRModulePixels; ++row) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
                std::fill(line + left, line + left + pairingQRModulePixels, black);
            }
        }
    }
    return image;
}

}  // namespace quorvel::ui
