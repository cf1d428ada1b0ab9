#include "QuorvelMac/ui/kit/theme.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <algorithm>

#include "QuorvelMac/ui/kit/desktop_icons.hpp"
#include "QuorvelMac/ui/kit/symbolic_icons.hpp"

namespace quorvel::ui::theme {

QColor green() {
    return colour(Ink::green);
}
QColor orange() {
    return colour(Ink::orange);
}
QColor red() {
    return colour(Ink::red);
}
QColor blue() {
    return colour(Ink::blue);
}
QColor accent() {
    return colour(Ink::accent);
}
QColor onAccent() {
    return colour(Ink::onAccent);
}
QColor gray() {
    return colour(Ink::gray);
}
QColor secondary() {
    return colour(Ink::secondary);
}
QColor tertiary() {
    return colour(Ink::tertiary);
}
QColor primary() {
    return colour(Ink::primary);
}
QColor separator() {
    return colour(Ink::separator);
}
QColor controlBackground() {
    return QApplication::palette().color(QPalette::Base);
}
QColor windowBackground() {
    return QApplication::palette().color(QPalette::Window);
}
QColor lockActionFill() {
    return QColor::fromRgbF(0.05f, 0.42f, 0.95f);
}
QColor lockActionText() {
    return QColor(Qt::white);
}

namespace {

double basePointSize() {
    const double size = QApplication::font().pointSizeF();
    return size > 0 ? size : 10.0;
}

// Sizes relative to the body text, in the ratios of the usual desktop type ramp.
double scale(TextStyle style) {
    switch (style) {
        case TextStyle::body:
            return 1.0;
        case TextStyle::callout:
            return 0.94;
        case TextStyle::caption:
            return 0.85;
        case TextStyle::headline:
            return 1.0;
        case TextStyle::subheadline:
            return 0.92;
        case TextStyle::title2:
            return 1.4;
        case TextStyle::title3:
            return 1.2;
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

// Each symbol name of the design and the freedesktop symbolic icon that stands for it. The
// symbolic icons are monochrome drawings, so tinting keeps their shape.
const QHash<QString, QString>& symbolTable() {
    static const QHash<QString, QString> table{
        {"speedometer", "power-profile-balanced-symbolic"},
        {"shield", "security-high-symbolic"},
        {"globe", "globe-symbolic"},
        {"iphone", "phone-apple-iphone-symbolic"},
        {"exclamationmark.circle.fill", "emblem-important-symbolic"},
        {"exclamationmark.circle", "emblem-important-symbolic"},
        {"exclamationmark.triangle.fill", "dialog-warning-symbolic"},
        {"exclamationmark.triangle", "dialog-warning-symbolic"},
        {"lock.open.fill", "changes-allow-symbolic"},
        {"lock.open", "changes-allow-symbolic"},
        {"lock.fill", "changes-prevent-symbolic"},
        {"pause.circle", "media-playback-pause-symbolic"},
        {"checkmark.circle.fill", "emblem-default-symbolic"},
        {"checkmark.circle", "selection-mode-symbolic"},
        {"checkmark", "object-select-symbolic"},
        {"clock.fill", "preferences-system-time-symbolic"},
        {"clock.arrow.circlepath", "document-open-recent-symbolic"},
        {"clock.badge.exclamationmark", "appointment-soon-symbolic"},
        {"antenna.radiowaves.left.and.right.slash", "bluetooth-disabled-symbolic"},
        {"antenna.radiowaves.left.and.right", "bluetooth-active-symbolic"},
        {"arrow.clockwise", "view-refresh-symbolic"},
        {"link", "link-symbolic"},
        {"plus", "list-add-symbolic"},
        {"hand.raised", "preferences-system-privacy-symbolic"},
        {"app.dashed", "view-app-grid-symbolic"},
        {"app", "checkbox-symbolic"},
        {"ellipsis.circle", "view-more-horizontal-symbolic"},
        {"qrcode.viewfinder", "qr-code-scanner-symbolic"},
        {"qrcode", "preferences-desktop-apps-symbolic"},
        {"macwindow", "sidebar-show-symbolic"},
        {"gearshape", "emblem-system-symbolic"},
        {"app.badge", "help-about-symbolic"},
        {"book", "accessories-dictionary-symbolic"},
        {"questionmark.circle", "dialog-question-symbolic"},
        {"doc.text", "x-office-document-symbolic"},
        {"circle.dashed", "radio-symbolic"},
    };
    return table;
}

}  // namespace

std::vector<QString> symbolNames() {
    std::vector<QString> names(symbolTable().keyBegin(), symbolTable().keyEnd());
    std::sort(names.begin(), names.end());
    return names;
}

QString symbolicIconName(const QString& name) {
    return symbolTable().value(name);
}

QIcon symbolShape(const QString& name) {
    const QString iconName = symbolicIconName(name);
    return iconName.isEmpty() ? QIcon() : desktopIcon(iconName);
}

QIcon symbol(const QString& name, Ink ink) {
    return tintedSymbolIcon(symbolicIconName(name), symbolShape(name),
                            [ink] { return colour(ink); });
}

QIcon symbol(const QString& name, const QColor& colour) {
    return tintedSymbolIcon(symbolicIconName(name), symbolShape(name), [colour] { return colour; });
}

QPixmap tintedSymbol(const QString& name, int side, const QColor& colour) {
    return symbol(name, colour).pixmap(QSize(side, side), qApp ? qApp->devicePixelRatio() : 1.0);
}

QLabel* makeLabel(const QString& text, TextStyle style, Ink ink, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font(style));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    setForeground(label, ink);
    return label;
}

}  // namespace quorvel::ui::theme
