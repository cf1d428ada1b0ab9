#include "QuorvelShared/support/notifications.hpp"

#include <mutex>
#include <stdexcept>
#include <string>

namespace quorvel {
namespace {

std::mutex posterMutex;
std::shared_ptr<NotificationPoster>& installedPoster() {
    static std::shared_ptr<NotificationPoster> poster;
    return poster;
}

}  // namespace

void installNotificationPoster(std::shared_ptr<NotificationPoster> poster) {
    std::lock_guard lock(posterMutex);
    installedPoster() = std::move(poster);
}

void postNotification(std::string_view name) {
    std::shared_ptr<NotificationPoster> poster;
    {
        std::lock_guard lock(posterMutex);
        poster = installedPoster();
    }
    if (!poster) {
        throw std::logic_error("no notification poster is installed; cannot post " +
                               std::string(name));
    }
    poster->post(name);
}

}  // namespace quorvel
