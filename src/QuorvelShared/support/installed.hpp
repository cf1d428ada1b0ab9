#pragma once

// The one instance of a service that a program installs at start for the shared code (the
// notification poster, the log sink), replaced as a whole and read from any thread.
#include <memory>
#include <mutex>

namespace quorvel {

template <class Service>
class Installed {
public:
    void install(std::shared_ptr<Service> service) {
        std::lock_guard lock(mutex_);
        service_ = std::move(service);
    }
    std::shared_ptr<Service> get() const {
        std::lock_guard lock(mutex_);
        return service_;
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<Service> service_;
};

}  // namespace quorvel
