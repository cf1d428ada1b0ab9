#include "QuorvelNativeHost/host/host_main.hpp"

namespace quorvel::host {

// Placeholder until the host role lands: ends at once, as with an empty input.
int runHost(int, char**) { return 0; }

}  // namespace quorvel::host
