#pragma once

namespace quorvel::host {

// The native-messaging role of the program: serves the browser extension over standard input and
// output until input ends. Returns the process's exit status.
int runHost(int argc, char** argv);

}  // namespace quorvel::host
