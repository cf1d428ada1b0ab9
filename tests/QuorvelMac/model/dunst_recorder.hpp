#pragma once
// dunst, the real notification server of the warning tests, set up to write down what it shows:
// a rule runs a script for every notification of "Pellorim", which writes its summary and body
// into a file named after dunst's id for it. And a warning that comes soon.
#include <sys/stat.h>

#include <QProcess>
#include <filesystem>
#include <map>
#include <string>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "testkit/fakes.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::modeltest {

class DunstRecorder {
public:
    explicit DunstRecorder(const std::filesystem::path& folder)
        : shownFolder_(folder / "shown"), config_(folder / "dunstrc") {
        std::filesystem::create_directories(shownFolder_);
        const auto script = folder / "record.sh";
        // Written beside and renamed into place, so a record is never read half-written.
        testkit::writeFile(script, "#!/bin/sh\nprintf '%s\\n%s' \"$2\" \"$3\" > \"" +
                                       shownFolder_.string() + "/.$DUNST_ID\" && mv \"" +
                                       shownFolder_.string() + "/.$DUNST_ID\" \"" +
                                       shownFolder_.string() + "/$DUNST_ID\"\n");
        ::chmod(script.c_str(), 0700);
        testkit::writeFile(config_,
                           "[global]\n    always_run_script = true\n"
                           "[urgency_normal]\n    timeout = 0\n"
                           "[record]\n    appname = \"Pellorim\"\n    script = \"" +
                               script.string() + "\"\n");
    }

    // The configuration to start dunst with ("-config").
    const std::filesystem::path& config() const { return config_; }

    // Starts the record of shown notifications afresh.
    void forget() {
        for (const auto& entry : std::filesystem::directory_iterator(shownFolder_))
            std::filesystem::remove(entry.path());
    }

    // Summary and body ("summary\nbody") of each notification shown, by dunst's id.
    std::map<unsigned, std::string> shown() const {
        std::map<unsigned, std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(shownFolder_)) {
            const std::string name = entry.path().filename().string();
            if (name.front() != '.')
                result[std::stoul(name)] = testkit::readFile(entry.path());
        }
        return result;
    }

private:
    std::filesystem::path shownFolder_;
    std::filesystem::path config_;
};

// Approves the model's first target for 4 s with a warning lead time of 2 s, so that its re-lock
// warning is due 2 s from `now`; returns the target. The model's clock should stand still at
// `now`, so that a slow turn of a loaded machine between the grant and the warning's scheduling
// cannot eat the lead time.
inline MacLockTarget approveWithWarningDueSoon(MacAppModel& model, Date now) {
    auto targets = model.targets();
    targets[0].inheritsDefaultPolicy = false;
    targets[0].policyOverride = DefaultLockPolicy::defaultFree();
    targets[0].policyOverride->warningBeforeEndSeconds = 2;
    model.setTargets(targets);
    model.applyApproval(targets[0].id, now.addingSeconds(4), std::nullopt);
    return targets[0];
}

// How many notifications the session bus's dunst has on screen; -1 when it cannot be asked.
inline int displayedCount() {
    QProcess control;
    control.start("dunstctl", {"count", "displayed"});
    if (!control.waitForFinished(30000) || control.exitCode() != 0)
        return -1;
    return control.readAllStandardOutput().trimmed().toInt();
}

}  // namespace quorvel::modeltest
