#include "core/screens/comment_rules.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/login_validation.hpp"
#include "core/screens/unicode_text.hpp"

#include "support/repeated_text.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orvendel::screens {
namespace {

using test::repeat;

TEST(UnicodeText, Utf16OffsetsAsATextViewReportsThem)
{
    EXPECT_EQ(utf16Length("a\xF0\x9F\x98\x80"), 3u);
    EXPECT_EQ(utf8OffsetOfUtf16("a\xF0\x9F\x98\x80", 1), 1u);
    EXPECT_EQ(utf8OffsetOfUtf16("a\xF0\x9F\x98\x80", 2), std::nullopt); // inside the surrogate pair
    EXPECT_EQ(utf8OffsetOfUtf16("a\xF0\x9F\x98\x80", 3), 5u);
    EXPECT_EQ(utf8OffsetOfUtf16("a", 2), std::nullopt);
    // Each byte that starts no well-formed sequence is one unit: a stray byte, a cut sequence, an overlong form.
    EXPECT_EQ(utf16Length("a\xFF\xE2\x80"), 4u);
    EXPECT_EQ(utf8OffsetOfUtf16("\xC0\xAF"
                                "b\xF0\x9F\x98\x80",
                                3),
              3u);
}

TEST(UnicodeText, ReorderingControlsAreLeftOutOfDisplayedTexts)
{
    // "Reason 8" behind a right-to-left override, each kind of control, and what must stay.
    EXPECT_EQ(withoutBidiControls("\xE2\x80\xAEReason 8\xE2\x80\xAC"), "Reason 8");
    EXPECT_EQ(withoutBidiControls("a\xE2\x80\xAA"
                                  "b\xE2\x80\xAB"
                                  "c\xE2\x80\xAD"
                                  "d\xE2\x81\xA6"
                                  "e\xE2\x81\xA7"
                                  "f"
                                  "\xE2\x81\xA8"
                                  "g\xE2\x81\xA9"
                                  "h\xD8\x9C"
                                  "i\xE2\x80\x8E"
                                  "j\xE2\x80\x8F"),
              "abcdefghij");
    const std::string kept = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xE2\x80\x8D\xE2\x80\xA9 \xD8\x9B x\xFF\xE2\x80";
    EXPECT_EQ(withoutBidiControls(kept), kept); // Hebrew, ZWJ, U+2029, U+061B, malformed bytes
    EXPECT_EQ(withoutBidiControls(""), "");
}

TEST(CommentRules, EditsAreCountedInUserPerceivedCharacters)
{
    const std::string emoji = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"; // 4 UTF-16 units, one character
    EXPECT_EQ(CommentRules::characterCountText(repeat(emoji, 15)), "15/120");
    EXPECT_EQ(CommentRules::characterCountText(""), "0/120");

    const std::string full = repeat("x", 120);
    EXPECT_FALSE(CommentRules::acceptsEdit(full, 120, 0, "y")); // one more character
    EXPECT_TRUE(CommentRules::acceptsEdit(full, 119, 1, ""));   // a deletion
    EXPECT_TRUE(CommentRules::acceptsEdit(repeat("x", 119), 119, 0, "y"));
    EXPECT_TRUE(CommentRules::acceptsEdit(full, 0, 1, emoji));        // replacing one by one
    EXPECT_TRUE(CommentRules::acceptsEdit(full, 120, 0, "\xCC\x81")); // a mark merges with the last letter
    // A paste that would reach 121 is refused whole, not cut.
    EXPECT_FALSE(CommentRules::acceptsEdit(repeat("x", 100), 100, 0, repeat("p", 21)));
    EXPECT_TRUE(CommentRules::acceptsEdit(repeat("x", 100), 100, 0, repeat("p", 20)));
}

TEST(CommentRules, ReplacingAWideCharacterCannotOverrunTheLimit)
{
    // 119 letters and one emoji; replacing the emoji's 4 code units with two letters would make 121.
    const std::string emoji = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";
    const std::string text = repeat("x", 119) + emoji;
    EXPECT_FALSE(CommentRules::acceptsEdit(text, 119, 4, "ab"));
    EXPECT_TRUE(CommentRules::acceptsEdit(text, 119, 4, "a"));
    EXPECT_FALSE(CommentRules::acceptsEdit(text, 119, 1, "a")); // splits a surrogate pair
    EXPECT_FALSE(CommentRules::acceptsEdit(text, 200, 0, "a")); // beyond the text
}

// A comment already over the limit (from the service, or kept before the limit existed) can be worked down
// to it: anything that does not make it longer is accepted, anything that does is still refused.
TEST(CommentRules, AnOverlongCommentCanBeShortenedStepByStep)
{
    const std::string over = repeat("x", 130);
    EXPECT_TRUE(CommentRules::acceptsEdit(over, 129, 1, ""));   // one deletion, still 129
    EXPECT_TRUE(CommentRules::acceptsEdit(over, 0, 1, "y"));    // a replacement of the same length
    EXPECT_FALSE(CommentRules::acceptsEdit(over, 130, 0, "y")); // one more
    EXPECT_FALSE(CommentRules::acceptsEdit(over, 0, 1, "yz"));
    EXPECT_TRUE(CommentRules::acceptsText(over, repeat("x", 125)));
    EXPECT_FALSE(CommentRules::acceptsText(over, repeat("x", 125) + "\x01")); // still no control characters
    // "Update" waits until it fits: the service refuses a longer comment.
    EXPECT_FALSE(CommentRules::isUpdateEnabled(repeat("x", 125), over));
    EXPECT_TRUE(CommentRules::isUpdateEnabled(repeat("x", 120), over));
}

TEST(CommentRules, UpdateButton)
{
    EXPECT_TRUE(CommentRules::isUpdateEnabled("text", std::nullopt));
    EXPECT_FALSE(CommentRules::isUpdateEnabled("  \n", std::nullopt));
    EXPECT_TRUE(CommentRules::isUpdateEnabled("  \n", std::string("old")));
    EXPECT_TRUE(CommentRules::isUpdateEnabled("", std::string())); // an empty comment view still counts
}

TEST(LoginValidation, ButtonNeedsANameThatIsNotBlankAndAnyPassword)
{
    using LoginValidation::isLoginButtonEnabled;
    EXPECT_TRUE(isLoginButtonEnabled("demo", "x"));
    EXPECT_FALSE(isLoginButtonEnabled("   ", "x"));
    EXPECT_FALSE(isLoginButtonEnabled("\t\n", "x"));
    EXPECT_FALSE(isLoginButtonEnabled("", "x"));
    EXPECT_FALSE(isLoginButtonEnabled("demo", ""));
    EXPECT_TRUE(isLoginButtonEnabled("demo", "   ")); // a password of spaces enables the button
}

TEST(LoginValidation, CredentialsAreTrimmed)
{
    const auto credentials = LoginValidation::trimmedCredentials("  demo user \n", "   ");
    EXPECT_EQ(credentials.username, "demo user");
    EXPECT_EQ(credentials.password, ""); // sent empty
    EXPECT_EQ(LoginValidation::trimmedCredentials("a", " p w ").password, "p w");
}

TEST(ErrorAlerts, TextsAsTheUserSeesThem)
{
    EXPECT_EQ(errorAlertMessage(Error{"ServerError", 3, "Session expired"}),
              "There was a problem with the server. (ServerError: 3)");
    EXPECT_EQ(errorAlertMessage(Error{"ORVError", 1023, "The reply could not be read"}),
              "The reply could not be read (ORVError:1023)");
    EXPECT_EQ(problemAlert(Error{"ORVError", 1011, "Empty"}).title, "Problem");

    const AlertText noNet = noInternetConnectionAlert();
    EXPECT_EQ(noNet.title, "No Internet Connection");
    EXPECT_EQ(noNet.message, "Please check your internet connection and try again.. (ORVError:1015)");
    EXPECT_EQ(noInternetConnectionError().code, 1015);

    EXPECT_EQ(signInFailureAlert(Error{"NSURLErrorDomain", -1004, "Could not connect to the server."}).message,
              "Could not connect to the server. (Error: -1004)");
    EXPECT_EQ(signInSetupFailureAlert().message, "Failed to setup initial configuration. (Error: 200)");
    EXPECT_EQ(editedDelaysRemovedAlert().title, "Edited Delays Removed");
}

TEST(ErrorAlerts, SaveFailuresSayWhatHappenedAndWhatToDoBeforeTheDetail)
{
    const Error stale{"ServerError", 10, "Delay 11 was changed by someone else. Reload and try again."};
    EXPECT_TRUE(isStaleSaveRefusal(stale));
    EXPECT_EQ(savingFailedAlert(stale, 2, std::nullopt),
              (AlertText{"Error Saving Delays",
                         "Someone else changed this heat's delays. Refresh to see their version; your changes to 2 "
                         "delays will be replaced. There was a problem with the server. (ServerError: 10)"}));
    EXPECT_EQ(savingFailedAlert(stale, 1, std::nullopt).message,
              "Someone else changed this heat's delays. Refresh to see their version; your changes to 1 delay will "
              "be replaced. There was a problem with the server. (ServerError: 10)");
    EXPECT_EQ(savingFailedAlert(stale, std::nullopt, std::nullopt).message,
              "Someone else changed this heat's delays. Refresh to see their version; your changes will be "
              "replaced. There was a problem with the server. (ServerError: 10)");

    // The connection's failures: a sentence of their own, then the text shown before.
    const Error timedOut{"TransportError", 2, "The request timed out."};
    EXPECT_EQ(savingFailedAlert(timedOut, 2, ConnectionProblem::timedOut).message,
              "The server did not answer in time. Your changes are kept; check the connection and save again. "
              "The request timed out. (TransportError:2)");
    std::set<std::string> sentences;
    for (const auto problem :
         {ConnectionProblem::timedOut, ConnectionProblem::serverNotFound, ConnectionProblem::serverUnreachable,
          ConnectionProblem::connectionLost, ConnectionProblem::notSecure, ConnectionProblem::other}) {
        const std::string message = savingFailedAlert(timedOut, 2, problem).message;
        EXPECT_TRUE(message.ends_with(". The request timed out. (TransportError:2)")) << message;
        EXPECT_NE(message.find("Your changes are kept"), std::string::npos) << message;
        sentences.insert(message);
    }
    EXPECT_EQ(sentences.size(), 6u);

    // Other refusals keep their text.
    EXPECT_FALSE(isStaleSaveRefusal(Error{"ORVError", 10, "x"}));
    EXPECT_EQ(savingFailedAlert(Error{"ServerError", 7, "No."}, 2, std::nullopt).message,
              "There was a problem with the server. (ServerError: 7)");
    EXPECT_EQ(savingFailedAlert(Error{"ORVError", 1023, "Unreadable"}, 2, std::nullopt).message,
              "Unreadable (ORVError:1023)");
}

} // namespace
} // namespace orvendel::screens
