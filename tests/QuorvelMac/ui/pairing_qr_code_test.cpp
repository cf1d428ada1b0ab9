#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>

#include "QuorvelMac/ui/qr/pairing_qr_code.hpp"
#include "artefacts.hpp"

namespace quorvel::ui {
namespace {

// zbarimg's reading of a picture (the raw bytes, no guessing of a text encoding), with a wide
// white margin as the panel gives the code.
QString decode(const QImage& code, const QString& fileName) {
    QImage framed(code.width() + 96, code.height() + 96, QImage::Format_RGB32);
    framed.fill(Qt::white);
    QPainter(&framed).drawImage(48, 48, code);
    const QString path = testing::artefactPath(fileName);
    EXPECT_TRUE(framed.save(path));
    QProcess zbar;
    zbar.start("zbarimg", {"--quiet", "--raw", "-Sbinary", "-Sdisable", "-Sqrcode.enable", path});
    EXPECT_TRUE(zbar.waitForFinished(60000));
    EXPECT_EQ(zbar.exitCode(), 0) << zbar.readAllStandardError().toStdString();
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

TEST(PairingQRCode, DecodesBackToThePairingURL) {
    const std::string url =
        "quorvel://pair?session=8F0A2C4E-6B1D-4E5F-9A7B-3C2D1E0F4A5B&code=482913";
    const auto image = makePairingQRCode(url);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(decode(*image, "pairing-qr.png").toStdString(), url);
}

TEST(PairingQRCode, NonAsciiTextTravelsAsUtf8) {
    const std::string text = "quorvel://pair?session=%E3%81%82&code=名前";
    const auto image = makePairingQRCode(text);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(decode(*image, "pairing-qr-utf8.png").toStdString(), text);
}

TEST(PairingQRCode, TwelvePixelsPerModuleAndSharpEdges) {
    const auto image = makePairingQRCode("quorvel://pair?session=A&code=1");
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->width(), image->height());
    ASSERT_EQ(image->width() % pairingQRModulePixels, 0);
    // A version-v symbol is 17 + 4v modules wide, plus one module of quiet zone on each side.
    const int modules = image->width() / pairingQRModulePixels - 2;
    EXPECT_EQ((modules - 17) % 4, 0) << modules;
    // Only pure black and white: nothing is smoothed.
    for (int y = 0; y < image->height(); ++y) {
        for (int x = 0; x < image->width(); ++x) {
            const QRgb pixel = image->pixel(x, y);
            ASSERT_TRUE(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255));
        }
    }
    // Each module is uniform over its 12 x 12 square.
    for (int my = 0; my < modules + 2; ++my) {
        for (int mx = 0; mx < modules + 2; ++mx) {
            const QRgb corner = image->pixel(mx * 12, my * 12);
            ASSERT_EQ(image->pixel(mx * 12 + 11, my * 12 + 11), corner);
        }
    }
}

TEST(PairingQRCode, SameTextSameImage) {
    const auto first = makePairingQRCode("quorvel://pair?session=S&code=C");
    const auto second = makePairingQRCode("quorvel://pair?session=S&code=C");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
}

TEST(PairingQRCode, NothingForTextThatCannotBeEncoded) {
    EXPECT_FALSE(makePairingQRCode("").has_value());
    // Beyond the capacity of the largest symbol at level M.
    EXPECT_FALSE(makePairingQRCode(std::string(3000, 'x')).has_value());
}

}  // namespace
}  // namespace quorvel::ui
