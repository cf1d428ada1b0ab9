#pragma once

// Where the sanitizers of programs started by a test write their reports. A program whose
// output goes nowhere (the application's daemon writes to /dev/null) would hide a report; with
// log_path in its sanitizer options it writes one file per process into a folder of the test's,
// and the test fails when any is there. Options the test process itself runs with are kept.
#include <QProcessEnvironment>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::testing {

class SanitizerReports {
public:
    explicit SanitizerReports(std::filesystem::path folder);

    // `environment` with ASAN_OPTIONS (LeakSanitizer's too) and UBSAN_OPTIONS writing here.
    QProcessEnvironment applyTo(QProcessEnvironment environment) const;
    // The same, set in this process's own environment, for children it forks itself.
    void applyToOwnEnvironment() const;

    // Every report written so far: its file name, then its text.
    std::vector<std::string> reports() const;

private:
    std::filesystem::path folder_;
};

}  // namespace quorvel::testing
