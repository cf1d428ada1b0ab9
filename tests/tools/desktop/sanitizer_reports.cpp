#include "desktop/sanitizer_reports.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quorvel::testing {
namespace {

std::string withLogPath(const char* options, const std::filesystem::path& path) {
    std::string text = options ? options : "";
    if (!text.empty())
        text += ':';
    return text + "log_path=" + path.string();
}

}  // namespace

SanitizerReports::SanitizerReports(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
}

QProcessEnvironment SanitizerReports::applyTo(QProcessEnvironment environment) const {
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        const QString key = QString::fromLatin1(name);
        const std::string current = environment.value(key).toStdString();
        const auto prefix = std::string(name) == "ASAN_OPTIONS" ? "asan" : "ubsan";
        environment.insert(
            key, QString::fromStdString(
                     withLogPath(current.empty() ? nullptr : current.c_str(), folder_ / prefix)));
    }
    return environment;
}

void SanitizerReports::applyToOwnEnvironment() const {
    const QProcessEnvironment applied = applyTo(QProcessEnvironment::systemEnvironment());
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        ::setenv(name, applied.value(QString::fromLatin1(name)).toStdString().c_str(), 1);
}

std::vector<std::string> SanitizerReports::reports() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        std::ifstream file(entry.path());
        std::ostringstream text;
        text << file.rdbuf();
        found.push_back(entry.path().filename().string() + "\n" + text.str());
    }
    return found;
}

}  // namespace quorvel::testing
