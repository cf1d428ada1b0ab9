#include "QuorvelPlatform/process/open_file_limit.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace quorvel {
namespace {

TEST(OpenFileLimit, TheSoftLimitIsRaisedToTheHardLimit) {
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlim_t hard = limit.rlim_max;
    limit.rlim_cur = hard < 256 ? hard : 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    raiseOpenFileLimit();
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_EQ(limit.rlim_cur, hard);
    EXPECT_EQ(limit.rlim_max, hard);
    raiseOpenFileLimit();  // already there: nothing changes
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_EQ(limit.rlim_cur, hard);
}

}  // namespace
}  // namespace quorvel
