#pragma once

// Reports of a failure that the caller goes on without (a status file that cannot be written, a
// reply that cannot be sent): one line in the caller's category, "<step> (<file>): <error>".
#include <QLoggingCategory>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "QuorvelShared/support/operation_step.hpp"
#include "QuorvelShared/support/repeated_failure.hpp"

namespace quorvel {

void reportFailure(QMessageLogger::CategoryFunction category, const OperationStep& step,
                   std::string_view error);

// For work that runs again and again: reported only when `repeated` finds it new.
void reportFailure(QMessageLogger::CategoryFunction category, RepeatedFailure& repeated,
                   const OperationStep& step, std::string_view error);

// Runs `work(step)`, a step whose failure the caller goes on without; true when it returned.
// `work` names in `step` the file it is about to read or write (finding the file can fail too).
// What it throws is reported, once per change of its text for work that runs again and again
// (a success ends the failure), and goes no further.
template <class Work>
bool runReportingFailure(QMessageLogger::CategoryFunction category, RepeatedFailure& repeated,
                         OperationStep step, Work&& work) {
    try {
        std::forward<Work>(work)(step);
        repeated.ended();
        return true;
    } catch (const std::exception& error) {
        reportFailure(category, repeated, step, error.what());
        return false;
    }
}

// The same for work whose every failure is reported.
template <class Work>
bool runReportingFailure(QMessageLogger::CategoryFunction category, OperationStep step,
                         Work&& work) {
    RepeatedFailure fresh;  // finds any failure new
    return runReportingFailure(category, fresh, std::move(step), std::forward<Work>(work));
}

// What a store's `load()` reads from its file, `file()`, or an empty value when that cannot be
// read: the caller goes on as if the file held nothing, and the failure is reported as above.
template <class Value>
Value loadReportingFailure(QMessageLogger::CategoryFunction category, RepeatedFailure& repeated,
                           std::string what, std::filesystem::path (*file)(), Value (*load)()) {
    Value value{};
    runReportingFailure(category, repeated, {std::move(what), {}}, [&](OperationStep& step) {
        step.file = file();
        value = load();
    });
    return value;
}

template <class Value>
Value loadReportingFailure(QMessageLogger::CategoryFunction category, std::string what,
                           std::filesystem::path (*file)(), Value (*load)()) {
    RepeatedFailure fresh;  // finds any failure new
    return loadReportingFailure(category, fresh, std::move(what), file, load);
}

}  // namespace quorvel
