#include "cli/output.hpp"
#include "cli/terminal_text.hpp"

#include <gtest/gtest.h>

namespace orvendel::cli {
namespace {

TEST(Output, JsonIsOneObjectOnOneLineWithOkFirst)
{
    Reply reply;
    reply.data["heats"] = nlohmann::ordered_json::array({1, 2});
    reply.data["ok"] = "data cannot override the outcome";
    reply.lines.push_back("text for people only");
    const auto rendered = renderJson(reply);
    EXPECT_EQ(rendered.out, "{\"ok\":true,\"heats\":[1,2]}\n");
    EXPECT_TRUE(rendered.err.empty());
}

TEST(Output, JsonFailureCarriesTheErrorTheAlertTextAndEveryAlert)
{
    Reply reply;
    reply.add(Alert{"Edited Delays Removed", "removed", std::nullopt});
    reply.add(Alert{"Problem", "There was a problem with the server. (ServerError: 5)", Error{"ServerError", 5, "x"}});
    reply.add(Alert{"Error Saving Delays", "second", Error{"ORVError", 1014, "y"}});
    reply.notices.push_back("Signed out.");
    const auto json = nlohmann::json::parse(renderJson(reply).out);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["error"], (nlohmann::json{{"domain", "ServerError"}, {"code", 5}, {"description", "x"}}));
    EXPECT_EQ(json["message"], "There was a problem with the server. (ServerError: 5)");
    ASSERT_EQ(json["alerts"].size(), 3u);
    EXPECT_FALSE(json["alerts"][0].contains("error"));
    EXPECT_EQ(json["alerts"][2]["error"]["code"], 1014);
    EXPECT_EQ(json["notices"][0], "Signed out.");
}

TEST(Output, JsonSurvivesTextThatIsNotUtf8)
{
    Reply reply;
    reply.data["comment"] = std::string("bad \xFF byte");
    const auto rendered = renderJson(reply);
    EXPECT_EQ(std::count(rendered.out.begin(), rendered.out.end(), '\n'), 1);
    EXPECT_TRUE(nlohmann::json::accept(rendered.out));
}

TEST(Output, TextPutsFailuresOnStandardErrorOnce)
{
    Reply fromAlert;
    fromAlert.lines.push_back("Signed in as DEMO.");
    fromAlert.add(Alert{"Problem", "Invalid user name or password. (Error: 1)", Error{"ServerError", 1, "d"}});
    auto rendered = renderText(fromAlert);
    EXPECT_EQ(rendered.out, "Signed in as DEMO.\n");
    EXPECT_EQ(rendered.err, "Problem: Invalid user name or password. (Error: 1)\n");

    Reply own;
    own.add(Alert{"Edited Delays Removed", "One or more…", std::nullopt});
    own.fail(cli_error::notFound, "Heat 7 is not listed; see `heats`.");
    rendered = renderText(own);
    EXPECT_EQ(rendered.out, "Edited Delays Removed: One or more…\n");
    EXPECT_EQ(rendered.err, "error: Heat 7 is not listed; see `heats`.\n");
}

TEST(Output, TextJoinsAQuestionTitleAndItsMessageWithoutAColon)
{
    Reply reply;
    reply.add(Alert{"You have unsaved delays. Do you want to proceed?", "If you select Yes, all changes will be lost.",
                    Error{"CLIError", 4, "refused"}});
    EXPECT_EQ(renderText(reply).err,
              "You have unsaved delays. Do you want to proceed? If you select Yes, all changes will be lost.\n");
}

TEST(Output, TextFromTheServiceCannotSteerTheTerminal)
{
    // A comment with an escape sequence that would clear the screen, a bell, a 8-bit CSI, a direction
    // override and a byte that is not UTF-8; box drawing and accented letters pass.
    EXPECT_EQ(terminalSafe("a\x1B[2Jb\x07"
                           "c"),
              "a\\x1B[2Jb\\x07c");
    EXPECT_EQ(terminalSafe("x\xC2\x9By"), "x\\x9By");
    EXPECT_EQ(terminalSafe("evil\xE2\x80\xAEtxt.exe"), "evil\\u202Etxt.exe");
    EXPECT_EQ(terminalSafe("a\xD8\x9C"
                           "b\xE2\x81\xA6"
                           "c\xE2\x80\x8F"),
              "a\\u061Cb\\u2066c\\u200F");
    EXPECT_EQ(terminalSafe("bad\xFF\xC0\xAF"), "bad\\xFF\\xC0\\xAF");
    EXPECT_EQ(terminalSafe("J\xC3\xBCrgen \xE2\x94\x82 \xF0\x9F\x94\xA5"),
              "J\xC3\xBCrgen \xE2\x94\x82 \xF0\x9F\x94\xA5");
    EXPECT_EQ(terminalSafe("two\nlines\tand tab\x7F"), "two\\x0Alines\\x09and tab\\x7F");

    Reply reply;
    reply.lines.push_back("Furnace \x1B]0;owned\x07");
    reply.add(Alert{"Problem", "bad \x1B[31m", Error{"ServerError", 1, "d"}});
    const auto rendered = renderText(reply);
    EXPECT_EQ(rendered.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(rendered.err.find('\x1B'), std::string::npos);
}

} // namespace
} // namespace orvendel::cli
