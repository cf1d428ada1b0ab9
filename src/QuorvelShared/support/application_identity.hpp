#pragma once

// The application's one identifier, in reverse-DNS form. The desktop knows the application by it:
// it is the desktop entry's id (so also the autostart entry's and the icon's name), the name the
// running application owns on the session bus, and the domain of its user defaults. Windows of
// the application itself are reported under it, and it is never a lock target.
#include <string_view>

namespace quorvel {

inline constexpr std::string_view macApplicationId = "app.quorvel.mac";

}  // namespace quorvel
