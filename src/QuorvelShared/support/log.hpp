#pragma once

// Reports for whoever reads the programs' standard error: one line per report. Shared code knows
// nothing of how a program logs, so it reports through a sink that each program installs at start
// (the Qt logging categories, one per area). Until a sink is installed (unit tests, fuzzers,
// benchmarks) a report is written to standard error directly as "<program>: <text>": standard
// error is where the programs' sink writes too, so a report is never lost and nothing that
// reports can fail for want of a sink. That is why, unlike posting a notification, reporting
// without a sink is no error.
#include <memory>
#include <string_view>

namespace quorvel {

// Where a report comes from; each area is one logging category of the programs.
enum class LogArea {
    state,    // the state files and their stores
    process,  // the event loop's net, deadlines, process limits
    model,    // the application model
    shell,    // the application shell: start, the daemon launcher
    daemon,   // the Bluetooth bridge daemon
    host,     // the browser's native-messaging host
    bluez,    // our objects on the system bus
    windows,  // the X11 windows
};

class LogSink {
public:
    virtual ~LogSink() = default;
    // Writes `line` as one warning of `area`.
    virtual void warning(LogArea area, std::string_view line) noexcept = 0;
};

// Installs the process's sink (replacing any earlier one). Call once at start.
void installLogSink(std::shared_ptr<LogSink> sink);

// Reports `text` as one line: line breaks inside it become spaces. Never throws.
void logWarning(LogArea area, std::string_view text) noexcept;

}  // namespace quorvel
