#pragma once

namespace quorvel::ui {

// The panes of the main window, in sidebar order. Writing the window's selection is the only
// way views navigate.
enum class SidebarItem { overview, targets, chrome, pairing };

}  // namespace quorvel::ui
