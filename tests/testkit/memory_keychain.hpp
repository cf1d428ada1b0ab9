#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "QuorvelShared/devicekeys/keychain.hpp"

namespace quorvel::testkit {

// A keychain in memory that behaves as the real one does (an add never replaces; a duplicate
// answers -25299) and can be told to fail. Thread-safe.
class MemoryKeychain final : public Keychain {
public:
    using Key = std::pair<std::string, std::string>;  // service, account

    KeychainItemRead copyGenericPassword(const std::string& service,
                                         const std::string& account) override;
    KeychainStatus addGenericPassword(const std::string& service, const std::string& account,
                                      ByteView data) override;

    // Puts an item in place directly, as another program would have.
    void setItem(const std::string& service, const std::string& account, Bytes data);
    std::map<Key, Bytes> items() const;

    // Every later read (or add) of `account` answers `status` until cleared.
    void failCopies(const std::string& account, KeychainStatus status);
    void failAdds(const std::string& account, KeychainStatus status);
    // Every later read of `account` reports success without bytes.
    void answerCopiesWithoutData(const std::string& account);
    void clearFailures();

    // Runs at the start of every add, outside the keychain's lock, with the account: lets a
    // test put an item in place as a rival writer would between a read and an add.
    void setBeforeAdd(std::function<void(const std::string& account)> hook);

    int copyCalls() const;
    int addCalls() const;

private:
    mutable std::mutex mutex_;
    std::map<Key, Bytes> items_;
    std::map<std::string, KeychainStatus> copyFailures_;
    std::map<std::string, KeychainStatus> addFailures_;
    std::set<std::string> copiesWithoutData_;
    std::function<void(const std::string&)> beforeAdd_;
    int copyCalls_ = 0;
    int addCalls_ = 0;
};

}  // namespace quorvel::testkit
