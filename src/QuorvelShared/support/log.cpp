#include "QuorvelShared/support/log.hpp"

#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

namespace quorvel {
namespace {

std::mutex sinkMutex;
std::shared_ptr<LogSink>& installedSink() {
    static std::shared_ptr<LogSink> sink;
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
    std::lock_guard lock(sinkMutex);
    installedSink() = std::move(sink);
}

void logWarning(LogArea area, std::string_view text) noexcept {
    std::shared_ptr<LogSink> sink;
    {
        std::lock_guard lock(sinkMutex);
        sink = installedSink();
    }
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
