#pragma once

// User defaults: one domain of named settings. The programs use their own domain and the shared
// application-group suite; a setting is re-read on every call, so a change made by another
// process takes effect at the next read.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel {

class Preferences {
public:
    virtual ~Preferences() = default;
    // The value under `key` when it is of that type; no value otherwise.
    virtual std::optional<std::string> string(std::string_view key) const = 0;
    virtual std::optional<bool> boolean(std::string_view key) const = 0;
    virtual void setString(std::string_view key, std::string_view value) = 0;
    virtual void setBoolean(std::string_view key, bool value) = 0;
};

namespace preferenceDomains {
inline constexpr std::string_view application = macApplicationId;
inline constexpr std::string_view nativeHost = "app.quorvel.native";
inline constexpr std::string_view sharedAppGroup = "group.com.merrowind.tollquake";
}  // namespace preferenceDomains

// A domain kept as one JSON object in $XDG_CONFIG_HOME/Quorvel/defaults/<domain>.json, read on
// every call and replaced atomically under a lock on every change. A file that does not decode
// reads as empty and is replaced by the next change; any other read or write failure of a change
// throws, and so does a change whose folder belongs to another user. A change keeps both folders
// below the config home at mode 0700.
class JsonFilePreferences final : public Preferences {
public:
    explicit JsonFilePreferences(std::string domain);

    std::filesystem::path fileLocation() const;

    std::optional<std::string> string(std::string_view key) const override;
    std::optional<bool> boolean(std::string_view key) const override;
    void setString(std::string_view key, std::string_view value) override;
    void setBoolean(std::string_view key, bool value) override;

private:
    std::string domain_;
};

}  // namespace quorvel
