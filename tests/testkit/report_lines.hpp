#pragma once

// Reading what a program reported on standard error, one line per report.
#include <string>
#include <vector>

namespace quorvel::testkit {

// The lines of `errors` that begin with `head`, in order.
std::vector<std::string> linesStartingWith(const std::string& errors, const std::string& head);

}  // namespace quorvel::testkit
