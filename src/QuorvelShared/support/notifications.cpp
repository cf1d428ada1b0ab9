#include "QuorvelShared/support/notifications.hpp"

#include <iostream>
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

std::shared_ptr<NotificationPoster> posterFor(std::string_view name) {
    std::shared_ptr<NotificationPoster> poster;
    {
        std::lock_guard lock(posterMutex);
        poster = installedPoster();
    }
    if (!poster) {
        throw std::logic_error("no notification poster is installed; cannot post " +
                               std::string(name));
    }
    return poster;
}

}  // namespace

void installNotificationPoster(std::shared_ptr<NotificationPoster> poster) {
    std::lock_guard lock(posterMutex);
    installedPoster() = std::move(poster);
}

void postNotification(std::string_view name) {
    posterFor(name)->post(name);
}

void postAfterWrite(std::string_view name) {
    const std::shared_ptr<NotificationPoster> poster = posterFor(name);
    try {
        poster->post(name);
    } catch (const std::exception& error) {
        std::cerr << "quorvel: the file was saved, but posting " << name
                  << " failed: " << error.what() << std::endl;
    } catch (...) {
        std::cerr << "quorvel: the file was saved, but posting " << name << " failed" << std::endl;
    }
}

}  // namespace quorvel
