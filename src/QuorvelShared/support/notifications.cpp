#include "QuorvelShared/support/notifications.hpp"

#include <stdexcept>
#include <string>

#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/support/installed.hpp"
#include "QuorvelShared/support/log.hpp"

namespace quorvel {
namespace {

Installed<NotificationPoster>& installedPoster() {
    static Installed<NotificationPoster> poster;
    return poster;
}

std::shared_ptr<NotificationPoster> posterFor(std::string_view name) {
    std::shared_ptr<NotificationPoster> poster = installedPoster().get();
    if (!poster) {
        throw std::logic_error("no notification poster is installed; cannot post " +
                               std::string(name));
    }
    return poster;
}

}  // namespace

void installNotificationPoster(std::shared_ptr<NotificationPoster> poster) {
    installedPoster().install(std::move(poster));
}

void postNotification(std::string_view name) {
    posterFor(name)->post(name);
}

void postAfterWrite(std::string_view name) {
    const std::shared_ptr<NotificationPoster> poster = posterFor(name);
    try {
        poster->post(name);
    } catch (...) {
        logWarning(LogArea::state, "the file was saved, but posting " + std::string(name) +
                                       " failed: " + describeException(std::current_exception()));
    }
}

}  // namespace quorvel
