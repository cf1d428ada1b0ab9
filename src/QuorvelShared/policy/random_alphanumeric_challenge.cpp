#include "QuorvelShared/policy/random_alphanumeric_challenge.hpp"

#include <utility>

#include "QuorvelShared/policy/user_perceived_characters.hpp"

namespace quorvel {
namespace {

char pick(std::string_view alphabet, RandomSource& random) {
    return alphabet[random.uniform(alphabet.size())];
}

}  // namespace

std::string RandomAlphanumericChallenge::generate(std::int64_t length) {
    return generate(length, systemRandomSource());
}

std::string RandomAlphanumericChallenge::generate(std::int64_t length, RandomSource& random) {
    std::string code;
    code += pick(uppercase, random);
    code += pick(lowercase, random);
    code += pick(digits, random);
    while (static_cast<std::int64_t>(code.size()) < length) {
        code += pick(all, random);
    }
    // Fisher-Yates, so the guaranteed three do not always lead.
    for (std::size_t i = 0; i + 1 < code.size(); ++i) {
        const std::size_t j = i + random.uniform(code.size() - i);
        std::swap(code[i], code[j]);
    }
    return code;
}

std::vector<std::string> RandomAlphanumericChallenge::displayGroups(std::string_view code) {
    const std::vector<std::string_view> characters = userPerceivedCharacters(code);
    const std::size_t count = characters.size();
    if (count == 0) {
        return {};
    }
    const std::size_t groupCount = (count + 4) / 5;
    const std::size_t base = count / groupCount;
    const std::size_t longer = count - base * groupCount;
    std::vector<std::string> groups;
    std::size_t next = 0;
    for (std::size_t group = 0; group < groupCount; ++group) {
        std::string text;
        for (std::size_t n = 0; n < base + (group < longer ? 1 : 0); ++n) {
            text += characters[next++];
        }
        groups.push_back(std::move(text));
    }
    return groups;
}

}  // namespace quorvel
