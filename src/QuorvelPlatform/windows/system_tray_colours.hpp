#pragma once

// The colours an X11 system tray asks its icons to be drawn in. The tray manager, the owner of
// the selection "_NET_SYSTEM_TRAY_S<screen>", may set "_NET_SYSTEM_TRAY_COLORS" on its window:
// twelve CARDINALs, the red, green and blue (0 to 65535) of its normal, error, warning and
// success colours. The watcher reads the normal one and follows the property, a new manager
// (the MANAGER message on the root window) and the manager going away.
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>

#include "QuorvelPlatform/windows/x11_event_connection.hpp"

namespace quorvel::windows {

struct TrayColour {
    std::uint16_t red = 0, green = 0, blue = 0;
    friend bool operator==(const TrayColour&, const TrayColour&) = default;
};

// The normal colour of a _NET_SYSTEM_TRAY_COLORS value; no value when it holds fewer than its
// three first numbers. Numbers above 65535 are taken as 65535.
std::optional<TrayColour> normalTrayColour(const std::uint32_t* values, std::size_t count);

class SystemTrayColours : public QObject {
    Q_OBJECT
public:
    // Connects to the display (nullptr: $DISPLAY). No value when no X server answers.
    static std::unique_ptr<SystemTrayColours> connect(const char* display = nullptr);
    ~SystemTrayColours() override;

    // The tray manager's normal colour; no value without a manager or without the property.
    std::optional<TrayColour> normal() const { return normal_; }

Q_SIGNALS:
    void normalChanged();

private:
    explicit SystemTrayColours(std::unique_ptr<X11EventConnection> x);
    void handle(const xcb_generic_event_t* event);
    // Finds the selection's owner now, watches it and reads its colours.
    void followManager(xcb_window_t owner);
    void readColours();

    std::unique_ptr<X11EventConnection> x_;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_atom_t colours_ = XCB_ATOM_NONE;
    xcb_atom_t manager_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    std::optional<TrayColour> normal_;
};

}  // namespace quorvel::windows
