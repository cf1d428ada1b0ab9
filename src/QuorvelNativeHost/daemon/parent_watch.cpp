#include "QuorvelNativeHost/daemon/parent_watch.hpp"

#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/process/process_descriptor.hpp"

namespace quorvel::daemon {

ParentWatch::ParentWatch(std::int32_t parentProcessId)
    : descriptor_(openProcessDescriptor(parentProcessId)) {
    const int openError = errno;
    isParent_ = ::getppid() == parentProcessId;
    if (!isParent_ || descriptor_ >= 0)
        return;
    qCWarning(lcDaemon,
              "cannot watch the parent process %d: %s; the daemon ends only with its "
              "standard input",
              static_cast<int>(parentProcessId), std::strerror(openError));
}

ParentWatch::~ParentWatch() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void ParentWatch::start(QObject& owner) {
    if (descriptor_ < 0 || !isParent_)
        return;
    auto* parentEnd = new QSocketNotifier(descriptor_, QSocketNotifier::Read, &owner);
    QObject::connect(parentEnd, &QSocketNotifier::activated, parentEnd, [] { ::_exit(0); });
}

}  // namespace quorvel::daemon
