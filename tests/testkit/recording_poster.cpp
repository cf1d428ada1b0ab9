#include "testkit/recording_poster.hpp"

namespace quorvel::testkit {

void RecordingNotificationPoster::post(std::string_view name) {
    std::lock_guard lock(mutex_);
    posted_.emplace_back(name);
}

std::vector<std::string> RecordingNotificationPoster::posted() const {
    std::lock_guard lock(mutex_);
    return posted_;
}

void RecordingNotificationPoster::clear() {
    std::lock_guard lock(mutex_);
    posted_.clear();
}

ScopedRecordingPoster::ScopedRecordingPoster()
    : poster_(std::make_shared<RecordingNotificationPoster>()) {
    installNotificationPoster(poster_);
}

ScopedRecordingPoster::~ScopedRecordingPoster() { installNotificationPoster(nullptr); }

}  // namespace quorvel::testkit
