#include "testkit/report_lines.hpp"

#include <sstream>

namespace quorvel::testkit {

std::vector<std::string> linesStartingWith(const std::string& errors, const std::string& head) {
    std::vector<std::string> found;
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(head))
            found.push_back(line);
    }
    return found;
}

}  // namespace quorvel::testkit
