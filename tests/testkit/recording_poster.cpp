#include "testkit/recording_poster.hpp"

#include <atomic>
#include <stdexcept>
#include <string>

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

ScopedRecordingPoster::~ScopedRecordingPoster() {
    installNotificationPoster(nullptr);
}

class ScopedFailingPoster::Poster final : public NotificationPoster {
public:
    void post(std::string_view name) override {
        ++attempts;
        throw std::runtime_error("the session bus is gone; " + std::string(name) + " not sent");
    }
    std::atomic<int> attempts = 0;
};

ScopedFailingPoster::ScopedFailingPoster() : poster_(std::make_shared<Poster>()) {
    installNotificationPoster(poster_);
}

ScopedFailingPoster::~ScopedFailingPoster() {
    installNotificationPoster(nullptr);
}

int ScopedFailingPoster::attempts() const {
    return poster_->attempts;
}

}  // namespace quorvel::testkit
