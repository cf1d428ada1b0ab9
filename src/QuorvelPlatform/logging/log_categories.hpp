#pragma once

// The programs' logging categories, one per area, all here. Qt code reports through them
// directly (qCWarning(lcDaemon, …)); shared code reports through the sink below, which writes to
// the same categories. Qt writes every category to standard error, never to standard output,
// which in the browser's host belongs to the browser.
#include <QLoggingCategory>

#include "QuorvelShared/support/log.hpp"

namespace quorvel {

Q_DECLARE_LOGGING_CATEGORY(lcState)
Q_DECLARE_LOGGING_CATEGORY(lcProcess)
Q_DECLARE_LOGGING_CATEGORY(lcModel)
Q_DECLARE_LOGGING_CATEGORY(lcShell)
Q_DECLARE_LOGGING_CATEGORY(lcDaemon)
Q_DECLARE_LOGGING_CATEGORY(lcHost)
Q_DECLARE_LOGGING_CATEGORY(lcBluez)
Q_DECLARE_LOGGING_CATEGORY(lcWindows)

const QLoggingCategory& logCategory(LogArea area);

// What each program calls at start: shared code's reports go to the categories above.
void installQtLogSink();

}  // namespace quorvel
