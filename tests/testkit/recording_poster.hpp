#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/support/notifications.hpp"

namespace quorvel::testkit {

// Remembers every notification posted, in order.
class RecordingNotificationPoster final : public NotificationPoster {
public:
    void post(std::string_view name) override;
    std::vector<std::string> posted() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> posted_;
};

// Installs a recording poster for the object's lifetime and uninstalls it afterwards.
class ScopedRecordingPoster {
public:
    ScopedRecordingPoster();
    ~ScopedRecordingPoster();
    ScopedRecordingPoster(const ScopedRecordingPoster&) = delete;
    ScopedRecordingPoster& operator=(const ScopedRecordingPoster&) = delete;

    std::vector<std::string> posted() const { return poster_->posted(); }
    void clear() { poster_->clear(); }

private:
    std::shared_ptr<RecordingNotificationPoster> poster_;
};

// Installs, for the object's lifetime, a poster whose every post throws std::runtime_error (a bus
// that went away), and counts the attempts.
class ScopedFailingPoster {
public:
    ScopedFailingPoster();
    ~ScopedFailingPoster();
    ScopedFailingPoster(const ScopedFailingPoster&) = delete;
    ScopedFailingPoster& operator=(const ScopedFailingPoster&) = delete;

    int attempts() const;

private:
    class Poster;
    std::shared_ptr<Poster> poster_;
};

}  // namespace quorvel::testkit
