#include "QuorvelPlatform/process/open_file_limit.hpp"

#include <errno.h>
#include <sys/resource.h>

#include <cstring>

#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel {

void raiseOpenFileLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        qCWarning(lcProcess, "cannot read the open-file limit: %s", std::strerror(errno));
        return;
    }
    if (limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        qCWarning(lcProcess, "cannot raise the open-file limit: %s", std::strerror(errno));
    }
}

}  // namespace quorvel
