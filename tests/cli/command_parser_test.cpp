#include "cli/command_parser.hpp"

#include <gtest/gtest.h>

namespace orvendel::cli {
namespace {

Command parsed(std::string_view line)
{
    const auto result = parseCommand(line);
    EXPECT_TRUE(result.command) << line << ": " << result.error;
    return result.command.value_or(Command{});
}

TEST(CommandParser, ReadsTheArgumentsOfEveryCommand)
{
    auto login = parsed("login demo");
    EXPECT_EQ(login.kind, CommandKind::login);
    EXPECT_EQ(login.user, "demo");

    auto reason = parsed("  reason 1042/3   17\r");
    EXPECT_EQ(reason.kind, CommandKind::reason);
    EXPECT_EQ(reason.delay, (DelayRef{1042, 3}));
    EXPECT_EQ(reason.number, 17);

    auto split = parsed("split 1042/2 75.5");
    EXPECT_EQ(split.delay, (DelayRef{1042, 2}));
    EXPECT_DOUBLE_EQ(split.seconds, 75.5);

    auto use = parsed("use 2 --discard");
    EXPECT_EQ(use.number, 2);
    EXPECT_TRUE(use.discard);
    EXPECT_FALSE(parsed("use 2").discard);

    auto show = parsed("show 1042/4");
    EXPECT_EQ(show.number, 1042);
    EXPECT_EQ(show.delay, (DelayRef{1042, 4}));
    EXPECT_FALSE(parsed("show 1042").delay);

    EXPECT_TRUE(parsed("autosave on").on);
    EXPECT_FALSE(parsed("autosave off").on);
    EXPECT_EQ(parsed("save 1042").number, 1042);
    EXPECT_EQ(parsed("undo 7/1").delay, (DelayRef{7, 1}));
    EXPECT_EQ(parsed("reasons").kind, CommandKind::reasons);
    EXPECT_EQ(parsed("quit").kind, CommandKind::quit);
}

TEST(CommandParser, CommentKeepsTheTextAsTypedWithoutOneEnclosingPairOfQuotes)
{
    EXPECT_EQ(parsed("comment 1/1   Tap  changer stuck  ").text, "Tap  changer stuck");
    EXPECT_EQ(parsed("comment 1/1 \"quoted text\"").text, "quoted text");
    EXPECT_EQ(parsed("comment 1/1 \"").text, "\"");
    EXPECT_EQ(parsed("comment 1/1 say \"hi\"").text, "say \"hi\"");
    EXPECT_EQ(parsed("comment 1/1").text, "");
    EXPECT_EQ(parsed("comment 1/1 \"\"").text, "");
    EXPECT_EQ(parsed("comment 1/1 Düse verstopft 🔥").text, "Düse verstopft 🔥");
}

TEST(CommandParser, RefusesMalformedArgumentsWithTheCommandsUsage)
{
    for (const char* line :
         {"reason 1042 17", "reason 1042/0 17", "reason 1042/x 17", "reason 1042/1", "split 1/1 -5", "split 1/1 0",
          "split 1/1 abc", "split 1/1 inf", "split 1/1 1e3", "use 2 --force", "use two", "autosave maybe", "heats now",
          "login", "login a b", "show 99999999999", "save 1/1", "comment 1042 text", "undo"}) {
        const auto result = parseCommand(line);
        EXPECT_FALSE(result.command) << line;
        EXPECT_TRUE(result.error.starts_with("usage: ")) << line << ": " << result.error;
    }
    EXPECT_EQ(parseCommand("reason 1").error, "usage: reason HEAT/N REASON_ID");
    EXPECT_EQ(parseCommand("reasons x").error, "usage: reasons");
    EXPECT_NE(parseCommand("frobnicate").error.find("help"), std::string::npos);
}

TEST(CommandParser, BlankAndCommentLinesAreNoCommand)
{
    for (const char* line : {"", "   ", "\t\r", "# a note"}) {
        const auto result = parseCommand(line);
        EXPECT_FALSE(result.command) << line;
        EXPECT_TRUE(result.error.empty()) << line;
    }
}

TEST(CommandParser, OnlySignInHelpAndQuitWorkWithoutASession)
{
    EXPECT_FALSE(needsSession(CommandKind::login));
    EXPECT_FALSE(needsSession(CommandKind::help));
    EXPECT_FALSE(needsSession(CommandKind::quit));
    for (auto kind : {CommandKind::heats, CommandKind::save, CommandKind::autosave, CommandKind::logout}) {
        EXPECT_TRUE(needsSession(kind)) << commandName(kind);
    }
}

} // namespace
} // namespace orvendel::cli
