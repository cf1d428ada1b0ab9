#pragma once

// A real notification server for the tests: dunst on the session bus and display this process
// uses. dunst runs a rule's script for every notification it shows; the script writes down what
// was shown (title, a line break, body), one file per notification named by dunst's id.
// Header-only, so that the test kit itself stays free of Qt.
#include <sys/stat.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <filesystem>
#include <map>
#include <string>

#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {

class DunstServer {
public:
    explicit DunstServer(const std::filesystem::path& folder) : shownFolder_(folder / "shown") {
        std::filesystem::create_directories(shownFolder_);
        const auto script = folder / "record.sh";
        writeFile(script, "#!/bin/sh\nprintf '%s\\n%s' \"$2\" \"$3\" > \"" + shownFolder_.string() +
                              "/$DUNST_ID\"\n");
        ::chmod(script.c_str(), 0700);
        const auto config = folder / "dunstrc";
        writeFile(config,
                  "[global]\n    always_run_script = true\n"
                  "[urgency_normal]\n    timeout = 0\n"
                  "[record]\n    appname = \"Pellorim\"\n    script = \"" +
                      script.string() + "\"\n");
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start("dunst", {"-config", QString::fromStdString(config.string())});
    }
    ~DunstServer() {
        process_.terminate();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    DunstServer(const DunstServer&) = delete;
    DunstServer& operator=(const DunstServer&) = delete;

    // True once dunst owns the notification service's name.
    bool waitUntilServing() {
        return process_.waitForStarted(30000) && runLoopUntil([] {
                   return QDBusConnection::sessionBus()
                       .interface()
                       ->isServiceRegistered("org.freedesktop.Notifications")
                       .value();
               });
    }
    // Starts the record of shown notifications afresh.
    void forget() {
        for (const auto& entry : std::filesystem::directory_iterator(shownFolder_))
            std::filesystem::remove(entry.path());
    }
    // dunst's id -> "title\nbody" of every notification shown since the start or forget().
    std::map<unsigned, std::string> shown() const {
        std::map<unsigned, std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(shownFolder_))
            result[std::stoul(entry.path().filename().string())] = readFile(entry.path());
        return result;
    }

private:
    std::filesystem::path shownFolder_;
    QProcess process_;
};

}  // namespace quorvel::testkit
