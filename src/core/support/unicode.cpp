#include "core/support/unicode.hpp"

#include "core/support/utf8.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace orvendel::unicode {
namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

icu::UnicodeString utf16(std::string_view text)
{
    icu::UnicodeString out;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = utf8::sequenceAt(text, i, c);
        out.append(length == 0 ? replacementCharacter : static_cast<UChar32>(c));
        i += length == 0 ? 1 : length;
    }
    return out;
}

// Building a break iterator loads its rules, so each thread keeps one. It holds on to the text it was given,
// which therefore lives beside it and outlives it.
struct CharacterBreaks {
    icu::UnicodeString text;
    std::unique_ptr<icu::BreakIterator> iterator;

    CharacterBreaks()
    {
        UErrorCode status = U_ZERO_ERROR;
        iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            iterator.reset();
        }
    }
};

} // namespace

std::string upperCased(std::string_view text)
{
    icu::UnicodeString mapped = utf16(text);
    mapped.toUpper(icu::Locale::getRoot());
    std::string out;
    mapped.toUTF8String(out);
    return out;
}

std::string composed(std::string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    icu::UnicodeString source = utf16(text);
    if (U_FAILURE(status) || nfc == nullptr) {
        std::string out;
        source.toUTF8String(out);
        return out;
    }
    icu::UnicodeString result = nfc->normalize(source, status);
    std::string out;
    (U_FAILURE(status) ? source : result).toUTF8String(out);
    return out;
}

std::size_t characterCount(std::string_view text)
{
    thread_local CharacterBreaks breaks;
    breaks.text = utf16(text);
    if (!breaks.iterator) {
        // Without ICU's rules every code point counts: the limit gets stricter, never looser.
        return static_cast<std::size_t>(breaks.text.countChar32());
    }
    breaks.iterator->setText(breaks.text);
    std::size_t count = 0;
    breaks.iterator->first();
    while (breaks.iterator->next() != icu::BreakIterator::DONE) {
        ++count;
    }
    return count;
}

bool isWhitespaceOrNewline(char32_t c)
{
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

std::string trimWhitespaceAndNewlines(std::string_view text)
{
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        std::size_t length = utf8::sequenceAt(text, i, c);
        // A malformed byte is a character of its own, never a blank.
        if (length == 0 || !isWhitespaceOrNewline(c)) {
            length = std::max<std::size_t>(length, 1);
            first = std::min(first, i);
            end = i + length;
        }
        i += length;
    }
    return first < end ? std::string(text.substr(first, end - first)) : std::string();
}

bool isBlank(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = utf8::sequenceAt(text, i, c);
        if (length == 0 || !isWhitespaceOrNewline(c)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace orvendel::unicode
