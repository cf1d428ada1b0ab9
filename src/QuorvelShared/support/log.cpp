#include "QuorvelShared/support/log.hpp"

#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "QuorvelShared/support/installed.hpp"

namespace quorvel {
namespace {

Installed<LogSink>& installedSink() {
    static Installed<LogSink> sink;
    return sink;
}

void writeToStandardError(std::string_view line) noexcept {
    // One write, so that reports of two threads do not interleave within a line.
    std::fprintf(stderr, "%s: %.*s\n", program_invocation_short_name, static_cast<int>(line.size()),
                 line.data());
    std::fflush(stderr);
}

}  // namespace

void installLogSink(std::shared_ptr<LogSink> sink) {
    installedSink().install(std::move(sink));
}

void logWarning(LogArea area, std::string_view text) noexcept {
    const std::shared_ptr<LogSink> sink = installedSink().get();
    try {
        std::string line(text);
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        if (sink) {
            sink->warning(area, line);
        } else {
            writeToStandardError(line);
        }
    } catch (...) {
        // Copying the text failed (no memory left): the text as it is, rather than nothing.
        writeToStandardError(text);
    }
}

}  // namespace quorvel
