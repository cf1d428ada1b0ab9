#pragma once

#include <optional>
#include <string_view>

#include <QImage>

namespace quorvel::ui {

// Each module of the code is drawn as this many pixels square; the view then scales the whole
// image to its frame without smoothing, so the modules stay sharp.
inline constexpr int pairingQRModulePixels = 12;

// The QR code of the text's UTF-8 bytes at error-correction level M, one module of quiet zone on
// every side, black on white. Nothing when the text cannot be encoded (empty or too long).
std::optional<QImage> makePairingQRCode(std::string_view text);

}  // namespace quorvel::ui
