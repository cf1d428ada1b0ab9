#include "QuorvelMac/shell/x11_accessibility_probe.hpp"

#include <QMessageBox>

namespace quorvel {

const char* X11AccessibilityProbe::explanation() {
    return "Pellorimがロック対象のアプリのウインドウを見つけて覆うには、X11のデスクトップセッション"
           "と、"
           "アクティブなウインドウを知らせるウインドウマネージャが必要です。Waylandのセッションでは"
           "使えません。"
           "ログイン画面でX11（Xorg）のセッションを選んでから、Pellorimを開き直してください。";
}

bool X11AccessibilityProbe::isTrusted(bool prompt) {
    const bool trusted = observer_ && observer_->canObserveWindows();
    if (!trusted && prompt)
        openSettings();
    return trusted;
}

void X11AccessibilityProbe::openSettings() {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Pellorim"),
                                QString::fromUtf8(explanation()), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace quorvel
