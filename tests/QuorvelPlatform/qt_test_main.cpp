// The main of the test programs for Qt code: QtDBus and timers need the application object.
#include <gtest/gtest.h>

#include <QCoreApplication>

#ifdef QUORVEL_TEST_PRIVATE_SESSION_BUS
#include "bus/private_bus.hpp"
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUORVEL_TEST_PRIVATE_SESSION_BUS
    // The program's tests post or count the shared notifications, whose names are fixed: a
    // session bus of the process's own keeps the posts of every other test running at the same
    // time away from them. It starts before Qt's first use of the session bus and ends with the
    // process; the programs a test starts find it through their environment.
    const quorvel::testing::PrivateBus sessionBus(quorvel::testing::PrivateBus::Kind::session,
                                                  {.serviceFolders = {}, .endsWithProcess = true});
#endif
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
