#include "QuorvelPlatform/logging/log_categories.hpp"

#include <memory>
#include <string>

namespace quorvel {

Q_LOGGING_CATEGORY(lcState, "quorvel.state")
Q_LOGGING_CATEGORY(lcProcess, "quorvel.process")
Q_LOGGING_CATEGORY(lcModel, "quorvel.model")
Q_LOGGING_CATEGORY(lcShell, "quorvel.shell")
Q_LOGGING_CATEGORY(lcDaemon, "quorvel.daemon")
Q_LOGGING_CATEGORY(lcHost, "quorvel.host")
Q_LOGGING_CATEGORY(lcBluez, "quorvel.bluez")
Q_LOGGING_CATEGORY(lcWindows, "quorvel.windows")

const QLoggingCategory& logCategory(LogArea area) {
    switch (area) {
        case LogArea::state:
            return lcState();
        case LogArea::process:
            return lcProcess();
        case LogArea::model:
            return lcModel();
        case LogArea::shell:
            return lcShell();
        case LogArea::daemon:
            return lcDaemon();
        case LogArea::host:
            return lcHost();
        case LogArea::bluez:
            return lcBluez();
        case LogArea::windows:
            return lcWindows();
    }
    return lcProcess();
}

namespace {

class QtLogSink final : public LogSink {
public:
    void warning(LogArea area, std::string_view line) noexcept override {
        try {
            const std::string text(line);
            QMessageLogger().warning(logCategory(area), "%s", text.c_str());
        } catch (...) {
            // Qt could not take the line (no memory left); nothing else can be done here.
        }
    }
};

}  // namespace

void installQtLogSink() {
    installLogSink(std::make_shared<QtLogSink>());
}

}  // namespace quorvel
