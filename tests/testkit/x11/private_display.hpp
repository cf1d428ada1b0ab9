#pragma once

// An Xvfb display of the test process's own. Tests that set the root window's properties, as a
// window manager does, must not share a display with tests running beside them.
#include <sys/types.h>

#include <string>

namespace quorvel::testkit {

class PrivateDisplay {
public:
    // Starts Xvfb with one screen of the size (1280x800 unless given), 24 bits deep, and points
    // DISPLAY at it; throws when it does not come up.
    explicit PrivateDisplay(const std::string& screenSize = "1280x800");
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// True when the program was asked only to list its tests (no display is needed then).
bool isListingTests(int argc, char** argv);

}  // namespace quorvel::testkit
