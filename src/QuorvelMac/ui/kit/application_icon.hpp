#pragma once

// Pellorim's own icon: the installed one of the icon theme where there is one, else the copy
// built into the program, so the window, the task bar and the welcome header always show it.
#include <QIcon>

namespace quorvel::ui {

QIcon applicationIcon();

}  // namespace quorvel::ui
