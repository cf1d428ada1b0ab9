// The main of the screenshot tests: a widget application on the real X display of the test
// session (Xvfb), so the pictures are what a person would see, fonts and all.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("screenshot tests: no DISPLAY; run them inside scripts/test-env.sh\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
