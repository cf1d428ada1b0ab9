#pragma once

// Distributed notifications: a name, no payload, delivered to every observer of that name in the
// user's processes. Shared code only posts; each program installs the real poster at start.
#include <memory>
#include <string_view>

namespace quorvel {

class NotificationPoster {
public:
    virtual ~NotificationPoster() = default;
    virtual void post(std::string_view name) = 0;
};

// Installs the process's poster (replacing any earlier one). Call once at start.
void installNotificationPoster(std::shared_ptr<NotificationPoster> poster);

// Posts through the installed poster. Posting with none installed is a programming error: it
// throws std::logic_error rather than dropping the notification silently.
void postNotification(std::string_view name);

// Posts `name` to announce a write that has already replaced a file. The write stands whatever the
// poster does: its failure is reported (support/log.hpp) and the call returns normally, so that no
// caller retries a save against a state that already changed. Posting with no poster installed
// still throws std::logic_error, as above.
void postAfterWrite(std::string_view name);

}  // namespace quorvel
