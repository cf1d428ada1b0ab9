#include "QuorvelMac/ui/kit/theme.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace quorvel::ui::theme {

QColor green() { return QColor(0x2e, 0xa0, 0x4a); }
QColor orange() { return QColor(0xe6, 0x7e, 0x00); }
QColor red() { return QColor(0xd9, 0x30, 0x25); }
QColor blue() { return QColor(0x1f, 0x6f, 0xe5); }
QColor gray() { return QColor(0x8e, 0x8e, 0x93); }
QColor secondary() { return QColor(0x6e, 0x6e, 0x73); }
QColor tertiary() { return QColor(0xa0, 0xa0, 0xa6); }
QColor primary() { return QApplication::palette().color(QPalette::WindowText); }
QColor controlBackground() { return QApplication::palette().color(QPalette::Base); }
QColor windowBackground() { return QApplication::palette().color(QPalette::Window); }
QColor separator() { return QColor(0, 0, 0, 60); }

namespace {

double basePointSize() {
    const double size = QApplication::font().pointSizeF();
    return size > 0 ? size : 10.0;
}

// Sizes relative to the body text, in the ratios of the usual desktop type ramp.
double scale(TextStyle style) {
    switch (style) {
    case TextStyle::body: return 1.0;
    case TextStyle::callout: return 0.94;
    case TextStyle::caption: return 0.85;
    case TextStyle::headline: return 1.0;
    case TextStyle::subheadline: return 0.92;
    case TextStyle::title2: return 1.4;
    case TextStyle::title3: return 1.2;
    }
    return 1.0;
}

}  // namespace

QFont font(TextStyle style) {
    return font(style, style == TextStyle::headline ? QFont::DemiBold : QFont::Normal);
}

QFont font(TextStyle style, QFont::Weight weight) {
    QFont result = QApplication::font();
    result.setPointSizeF(basePointSize() * scale(style));
    result.setWeight(weight);
    return result;
}

QFont systemFont(double pointSize, QFont::Weight weight) {
    QFont result = QApplication::font();
    result.setPointSizeF(pointSize);
    result.setWeight(weight);
    return result;
}

QFont monospacedFont(double pointSize, QFont::Weight weight) {
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result.setStyleHint(QFont::Monospace);
    result.setPointSizeF(pointSize);
    result.setWeight(weight);
    return result;
}

namespace {

struct SymbolChoice {
    const char* themeName;
    char glyph;  // the drawn stand-in's shape
};

const QHash<QString, SymbolChoice>& symbolTable() {
    static const QHash<QString, SymbolChoice> table{
        {"speedometer", {"utilities-system-monitor", 'o'}},
        {"shield", {"security-high", 's'}},
        {"globe", {"applications-internet", 'o'}},
        {"iphone", {"phone", 'p'}},
        {"exclamationmark.circle.fill", {"dialog-warning", '!'}},
        {"exclamationmark.circle", {"dialog-warning", '!'}},
        {"exclamationmark.triangle.fill", {"dialog-warning", '!'}},
        {"exclamationmark.triangle", {"dialog-warning", '!'}},
        {"lock.open.fill", {"changes-allow", 'u'}},
        {"lock.open", {"changes-allow", 'u'}},
        {"lock.fill", {"changes-prevent", 'l'}},
        {"pause.circle", {"media-playback-pause", '='}},
        {"checkmark.circle.fill", {"emblem-default", 'v'}},
        {"checkmark.circle", {"emblem-default", 'v'}},
        {"checkmark", {"dialog-ok", 'v'}},
        {"clock.fill", {"appointment-soon", 'c'}},
        {"clock.arrow.circlepath", {"document-open-recent", 'c'}},
        {"clock.badge.exclamationmark", {"appointment-missed", 'c'}},
        {"antenna.radiowaves.left.and.right.slash", {"network-wireless-offline", 'x'}},
        {"antenna.radiowaves.left.and.right", {"network-wireless", 'w'}},
        {"arrow.clockwise", {"view-refresh", 'r'}},
        {"link", {"insert-link", 'k'}},
        {"plus", {"list-add", '+'}},
        {"hand.raised", {"security-medium", 'h'}},
        {"app.dashed", {"application-x-executable", 'a'}},
        {"app", {"application-x-executable", 'a'}},
        {"ellipsis.circle", {"open-menu", '.'}},
        {"qrcode.viewfinder", {"view-barcode-qr", 'q'}},
        {"qrcode", {"view-barcode-qr", 'q'}},
        {"macwindow", {"window-new", 'w'}},
        {"gearshape", {"preferences-system", 'g'}},
        {"app.badge", {"application-x-executable", 'a'}},
        {"book", {"help-contents", 'b'}},
        {"questionmark.circle", {"help-about", '?'}},
        {"doc.text", {"text-x-generic", 'd'}},
        {"circle.dashed", {"", 'o'}},
    };
    return table;
}

// A plain round badge with a letter, drawn when the desktop has no icon theme (Xvfb, minimal
// sessions): the symbol then still takes its place and reads as something.
QIcon drawnStandIn(char glyph) {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x55, 0x55, 0x5a), 5));
    painter.drawEllipse(QRectF(5, 5, 54, 54));
    QFont glyphFont = painter.font();
    glyphFont.setPixelSize(34);
    glyphFont.setBold(true);
    painter.setFont(glyphFont);
    painter.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QString(QChar(glyph)));
    return QIcon(pixmap);
}

}  // namespace

QIcon symbol(const QString& name) {
    const auto& table = symbolTable();
    const auto found = table.constFind(name);
    const SymbolChoice choice = found == table.constEnd() ? SymbolChoice{"", '?'} : *found;
    if (choice.themeName[0] != '\0') {
        QIcon themed = QIcon::fromTheme(QString::fromLatin1(choice.themeName));
        if (!themed.isNull()) {
            return themed;
        }
    }
    return drawnStandIn(choice.glyph);
}

QPixmap tintedSymbol(const QString& name, int side, const QColor& colour) {
    QPixmap glyph = symbol(name).pixmap(side, side);
    QPainter painter(&glyph);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(glyph.rect(), colour);
    return glyph;
}

void setForeground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QLabel* makeLabel(const QString& text, TextStyle style, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font(style));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    setForeground(label, colour);
    return label;
}

}  // namespace quorvel::ui::theme
