#pragma once

// Where the view tests leave pictures for people to look at: under the build folder.
#include <QDir>
#include <QImage>
#include <QString>

namespace quorvel::ui::testing {

inline QString artefactPath(const QString& fileName) {
    QDir folder(QStringLiteral(QUORVEL_UI_ARTEFACTS));
    folder.mkpath(QStringLiteral("."));
    return folder.filePath(fileName);
}

// True when the picture holds more than one colour over a noticeable share of its pixels: a blank
// or single-colour window fails.
inline bool isNonBlank(const QImage& image) {
    if (image.isNull() || image.width() < 8 || image.height() < 8) {
        return false;
    }
    const QRgb first = image.pixel(0, 0);
    qsizetype differing = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            differing += image.pixel(x, y) != first;
        }
    }
    return differing * 4 * 100 / (qsizetype(image.width()) * image.height()) >= 1;
}

}  // namespace quorvel::ui::testing
