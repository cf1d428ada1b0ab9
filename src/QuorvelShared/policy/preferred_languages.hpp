#pragma once

// The user's preferred languages, most preferred first, as the environment gives them to every
// program of the session: LANGUAGE (a colon-separated list), then the messages locale (the first
// set of LC_ALL, LC_MESSAGES, LANG). Encodings and modifiers (".UTF-8", "@euro") are dropped;
// "C" and "POSIX" name no language.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Reads the process environment.
std::optional<std::string> processEnvironmentVariable(std::string_view name);

std::vector<std::string> preferredLanguagesFromEnvironment(
    const EnvironmentLookup& lookup = processEnvironmentVariable);

}  // namespace quorvel
