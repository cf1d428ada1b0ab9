#include "testkit/memory_keychain.hpp"

namespace quorvel::testkit {

KeychainItemRead MemoryKeychain::copyGenericPassword(const std::string& service,
                                                     const std::string& account) {
    std::lock_guard lock(mutex_);
    ++copyCalls_;
    if (const auto failure = copyFailures_.find(account); failure != copyFailures_.end()) {
        return KeychainItemRead{failure->second, std::nullopt};
    }
    if (copiesWithoutData_.contains(account)) {
        return KeychainItemRead{KeychainStatus{}, std::nullopt};
    }
    const auto found = items_.find({service, account});
    if (found == items_.end()) {
        return KeychainItemRead{KeychainStatus{keychainstatus::itemNotFound, "not found"},
                                std::nullopt};
    }
    return KeychainItemRead{KeychainStatus{}, found->second};
}

KeychainStatus MemoryKeychain::addGenericPassword(const std::string& service,
                                                  const std::string& account, ByteView data) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(mutex_);
        hook = beforeAdd_;
    }
    if (hook) {
        hook(account);
    }
    std::lock_guard lock(mutex_);
    ++addCalls_;
    if (const auto failure = addFailures_.find(account); failure != addFailures_.end()) {
        return failure->second;
    }
    const auto [slot, inserted] = items_.try_emplace({service, account}, data.begin(), data.end());
    if (!inserted) {
        return KeychainStatus{keychainstatus::duplicateItem, "duplicate item"};
    }
    return KeychainStatus{};
}

void MemoryKeychain::setItem(const std::string& service, const std::string& account, Bytes data) {
    std::lock_guard lock(mutex_);
    items_[{service, account}] = std::move(data);
}

std::map<MemoryKeychain::Key, Bytes> MemoryKeychain::items() const {
    std::lock_guard lock(mutex_);
    return items_;
}

void MemoryKeychain::failCopies(const std::string& account, KeychainStatus status) {
    std::lock_guard lock(mutex_);
    copyFailures_[account] = std::move(status);
}

void MemoryKeychain::failAdds(const std::string& account, KeychainStatus status) {
    std::lock_guard lock(mutex_);
    addFailures_[account] = std::move(status);
}

void MemoryKeychain::answerCopiesWithoutData(const std::string& account) {
    std::lock_guard lock(mutex_);
    copiesWithoutData_.insert(account);
}

void MemoryKeychain::clearFailures() {
    std::lock_guard lock(mutex_);
    copyFailures_.clear();
    addFailures_.clear();
    copiesWithoutData_.clear();
}

void MemoryKeychain::setBeforeAdd(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(mutex_);
    beforeAdd_ = std::move(hook);
}

int MemoryKeychain::copyCalls() const {
    std::lock_guard lock(mutex_);
    return copyCalls_;
}

int MemoryKeychain::addCalls() const {
    std::lock_guard lock(mutex_);
    return addCalls_;
}

}  // namespace quorvel::testkit
