#include "QuorvelNativeHost/daemon/standard_input_watch.hpp"

#include <unistd.h>

#include <cerrno>

namespace quorvel::daemon {

StandardInputWatch::StandardInputWatch(std::function<void()> onEnd)
    : reader_([onEnd = std::move(onEnd)] {
          char buffer[4096];
          for (;;) {
              const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
              if (count > 0)
                  continue;
              if (count < 0 && errno == EINTR)
                  continue;
              break;
          }
          onEnd();
      }) {}

StandardInputWatch::~StandardInputWatch() {
    if (reader_.joinable())
        reader_.join();
}

}  // namespace quorvel::daemon
