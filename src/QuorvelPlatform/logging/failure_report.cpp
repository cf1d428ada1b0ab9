#include "QuorvelPlatform/logging/failure_report.hpp"

#include <string>

namespace quorvel {

void reportFailure(QMessageLogger::CategoryFunction category, const OperationStep& step,
                   std::string_view error) {
    qCWarning(category, "%s", describeFailure(step, error).c_str());
}

void reportFailure(QMessageLogger::CategoryFunction category, RepeatedFailure& repeated,
                   const OperationStep& step, std::string_view error) {
    const std::string text = describeFailure(step, error);
    if (repeated.isNew(text))
        qCWarning(category, "%s", text.c_str());
}

}  // namespace quorvel
