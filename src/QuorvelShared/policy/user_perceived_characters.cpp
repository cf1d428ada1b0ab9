#include "QuorvelShared/policy/user_perceived_characters.hpp"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace quorvel {
namespace {

[[noreturn]] void fail(UErrorCode status) {
    throw std::runtime_error(std::string("character boundaries failed: ") + u_errorName(status));
}

// A break iterator is costly to make and not thread-safe to share: one per thread.
icu::BreakIterator& characterBreaks() {
    thread_local const std::unique_ptr<icu::BreakIterator> breaks = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            fail(status);
        }
        return made;
    }();
    return *breaks;
}

}  // namespace

std::vector<std::string_view> userPerceivedCharacters(std::string_view text) {
    std::vector<std::string_view> characters;
    if (text.empty()) {
        return characters;
    }
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UText, decltype(&utext_close)> utext(
        utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status),
        &utext_close);
    icu::BreakIterator& breaks = characterBreaks();
    breaks.setText(utext.get(), status);
    if (U_FAILURE(status)) {
        fail(status);
    }
    // Offsets of a UTF-8 UText are byte offsets into `text`.
    std::size_t start = 0;
    for (auto end = breaks.next(); end != icu::BreakIterator::DONE; end = breaks.next()) {
        const auto stop = static_cast<std::size_t>(end);
        characters.push_back(text.substr(start, stop - start));
        start = stop;
    }
    return characters;
}

}  // namespace quorvel
