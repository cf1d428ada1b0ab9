#include "QuorvelPlatform/process/open_file_limit.hpp"

#include <errno.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace quorvel {

void raiseOpenFileLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        std::fprintf(stderr, "%s: cannot read the open-file limit: %s\n",
                     program_invocation_short_name, std::strerror(errno));
        return;
    }
    if (limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        std::fprintf(stderr, "%s: cannot raise the open-file limit: %s\n",
                     program_invocation_short_name, std::strerror(errno));
    }
}

}  // namespace quorvel
