// The main of the process tests: the application object is the guarded one the programs use.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "QuorvelPlatform/process/guarded_application.hpp"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    quorvel::GuardedApplication<QCoreApplication> app(argc, argv);
    return RUN_ALL_TESTS();
}
