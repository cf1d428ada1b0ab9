#pragma once

// Whether the application can watch and cover other programs' windows: it needs an X11 session
// whose window manager announces the active window. Nothing can be granted here; "opening the
// settings" explains what is missing.
#include <QPointer>

#include "QuorvelMac/model/collaborators.hpp"
#include "QuorvelPlatform/windows/foreground_app_observer.hpp"

namespace quorvel {

class X11AccessibilityProbe final : public AccessibilityProbe {
public:
    explicit X11AccessibilityProbe(windows::ForegroundAppObserver* observer)
        : observer_(observer) {}
    bool isTrusted(bool prompt) override;
    void openSettings() override;

    static const char* explanation();

private:
    QPointer<windows::ForegroundAppObserver> observer_;
};

}  // namespace quorvel
