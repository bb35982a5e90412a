#include "core/support/unicode.hpp"
#include "core/support/utf8.hpp"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <string>

namespace orvendel::unicode {
namespace {

TEST(UnicodeCharacterCount, CountsWhatAReaderSeesAsOneCharacter)
{
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("abc"), 3u);
    EXPECT_EQ(characterCount("e\xCC\x81"), 1u);                        // e + combining acute
    EXPECT_EQ(characterCount("a\xCC\x88\xCC\x81"), 1u);                // two stacked marks
    EXPECT_EQ(characterCount("\r\n"), 1u);                             // CR LF
    EXPECT_EQ(characterCount("\n\r"), 2u);                             // LF CR is two
    EXPECT_EQ(characterCount("\xE2\x9D\xA4\xEF\xB8\x8F"), 1u);         // heart + variation selector 16
    EXPECT_EQ(characterCount("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"), 1u); // thumbs up + skin tone
    // man ZWJ woman ZWJ girl
    EXPECT_EQ(characterCount("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"), 1u);
    EXPECT_EQ(characterCount("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"), 1u); // flag DE
    // three regional indicators: a flag and a lone one
    EXPECT_EQ(characterCount("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xBA"), 2u);
    EXPECT_EQ(characterCount("\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8"), 1u); // Hangul jamo L V T
    EXPECT_EQ(characterCount("\xEA\xB0\x80\xE1\x86\xA8"), 1u);             // Hangul syllable LV + jamo T
    EXPECT_EQ(characterCount("\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7"), 1u); // Devanagari conjunct
    // A zero-width non-joiner after the virama is how a writer asks for no conjunct.
    EXPECT_EQ(characterCount("\xE0\xA4\x95\xE0\xA5\x8D\xE2\x80\x8C\xE0\xA4\xB7"), 2u);
    // A joiner after a letter does not join the following emoji to it.
    EXPECT_EQ(characterCount("a\xE2\x80\x8D\xF0\x9F\x98\x80"), 2u);
}

TEST(UnicodeCharacterCount, MalformedBytesCountOneEach)
{
    EXPECT_EQ(characterCount("a\xFF\xC0z"), 4u);
    EXPECT_EQ(characterCount("\xE2\x82"), 2u);     // truncated sequence
    EXPECT_EQ(characterCount("\xED\xA0\x80"), 3u); // an encoded surrogate
    // A stray byte does not take the mark after it: the mark stays with its own base.
    EXPECT_EQ(characterCount("e\xCC\x81\x80"), 2u);
}

TEST(UnicodeUpperCased, AsciiMapsExactlyLikeTheCLocale)
{
    // Folders on devices and users known to the service are named by this mapping.
    for (int c = 0; c < 0x80; ++c) {
        const char expected = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
        EXPECT_EQ(upperCased(std::string(1, static_cast<char>(c))), std::string(1, expected)) << c;
    }
}

TEST(UnicodeUpperCased, FullMappingsBeyondAscii)
{
    EXPECT_EQ(upperCased("j\xC3\xBCrgen"), "J\xC3\x9CRGEN"); // ü → Ü
    EXPECT_EQ(upperCased("stra\xC3\x9F"
                         "e"),
              "STRASSE");                                                                          // ß → SS
    EXPECT_EQ(upperCased("\xC3\xA0\xC3\xBE\xC3\xB7\xC3\xBF"), "\xC3\x80\xC3\x9E\xC3\xB7\xC5\xB8"); // àþ÷ÿ → ÀÞ÷Ÿ
    EXPECT_EQ(upperCased("\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD\xD1\x8F"),
              "\xD0\x98\xD0\x92\xD0\x90\xD0\x9D\xD0\xAF"); // Cyrillic
    EXPECT_EQ(upperCased("\xCF\x83\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82"),
              "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCE\xA3");                                         // σοφός
    EXPECT_EQ(upperCased("\xC5\x82\xC3\xB3\xC4\x91\xC5\xBA"), "\xC5\x81\xC3\x93\xC4\x90\xC5\xB9"); // łóđź → ŁÓĐŹ
    EXPECT_EQ(upperCased("Nguy\xE1\xBB\x85n \xC6\xB0\xC6\xA1"), "NGUY\xE1\xBB\x84N \xC6\xAF\xC6\xA0"); // ễ ư ơ
    EXPECT_EQ(upperCased("\xEF\xAC\x81"), "FI");                                                       // ﬁ ligature
    EXPECT_EQ(upperCased("\xC5\x89"), "\xCA\xBCN");                                                    // ŉ → ʼN
    EXPECT_EQ(upperCased("\xE5\xBC\xA0\xE4\xBC\x9F"), "\xE5\xBC\xA0\xE4\xBC\x9F"); // no case: unchanged
    EXPECT_EQ(upperCased("a\xFF"), "A\xEF\xBF\xBD");                               // a malformed byte becomes U+FFFD
}

TEST(UnicodeUpperCased, DoesNotFollowTheProcessLocale)
{
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), status);
    ASSERT_TRUE(U_SUCCESS(status));
    const std::string mapped = upperCased("istanbul");
    icu::Locale::setDefault(previous, status);
    EXPECT_EQ(mapped, "ISTANBUL"); // not "İSTANBUL"
}

TEST(UnicodeComposed, CombiningMarksJoinTheirLetter)
{
    EXPECT_EQ(unicode::composed("ju\xCC\x88rgen"), "j\xC3\xBCrgen");
    EXPECT_EQ(unicode::composed("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB"), "\xED\x95\x9C"); // jamo → 한
    EXPECT_EQ(unicode::composed("plain ascii ~!"), "plain ascii ~!");
    EXPECT_EQ(unicode::composed("a\xFF"), "a\xEF\xBF\xBD");
}

// The one well-formedness check every layer uses (a login body, credentials, comments).
TEST(Utf8IsValid, RefusesWhatIsNotWellFormed)
{
    EXPECT_TRUE(utf8::isValid("plain, Z\xC3\xBCrich, \xE6\x9D\xB1\xE4\xBA\xAC, \xF0\x9F\x94\xA5"));
    EXPECT_FALSE(utf8::isValid("\xC3"));             // cut short
    EXPECT_FALSE(utf8::isValid("\xC0\xAF"));         // overlong
    EXPECT_FALSE(utf8::isValid("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(utf8::isValid("\xF4\x90\x80\x80")); // beyond U+10FFFF
}

} // namespace
} // namespace orvendel::unicode
