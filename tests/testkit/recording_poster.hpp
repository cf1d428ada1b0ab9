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

}  // namespace quorvel::testkit
