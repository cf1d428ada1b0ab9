#pragma once

// Desktops start programs with a soft limit of open files (often 1,024, sometimes 256) far below
// the hard limit they allow. Both programs raise theirs to the hard limit at start, so that a
// burst of requests, notifications and state files never meets the smaller one.
namespace quorvel {

// Raises the soft RLIMIT_NOFILE to the hard limit. A refusal is reported on standard error and
// the program goes on with the limit it has.
void raiseOpenFileLimit() noexcept;

}  // namespace quorvel
