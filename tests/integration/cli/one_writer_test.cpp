#include "cli_fixture.hpp"

#include <fmt/format.h>

namespace orvendel::testing {
namespace {

// One process at a time is signed in as a user on a data folder: a second one is refused before it touches
// the folder, and the first goes on as if nothing had happened.
class CliOneWriterTest : public CliTest {
protected:
    static void SetUpTestSuite()
    {
        s_service = std::make_unique<ServiceProcess>(
            ServiceProcessOptions{.seed = 5, .extraArguments = {"--add-user", "ann:annpw"}});
    }

    static std::string refusalOf(const CliProcess& holder)
    {
        return fmt::format(
            "DEMO is signed in in another Orvendel process (orvendel-cli, pid {}). Sign out there first.",
            holder.pid());
    }

    static void expectRefused(const json& reply, const CliProcess& holder)
    {
        EXPECT_EQ(reply["ok"], false) << reply.dump();
        EXPECT_EQ(reply["error"]["domain"], "ORVError") << reply.dump();
        EXPECT_EQ(reply["error"]["code"], 1030) << reply.dump();
        EXPECT_EQ(reply["error"]["description"], refusalOf(holder)) << reply.dump();
    }

    CliProcess& startOneShot(const std::string& user, std::vector<std::string> command,
                             const std::string& password = "demo")
    {
        std::vector<std::string> arguments{"--json",     "--service-url",       serviceUrl(),
                                           "--data-dir", dataFolder().string(), "--user",
                                           user,         "--password-stdin"};
        arguments.insert(arguments.end(), command.begin(), command.end());
        auto& cli = start(std::move(arguments));
        cli.send(password);
        cli.closeInput();
        return cli;
    }
};

TEST_F(CliOneWriterTest, ASecondSignInOfTheSameUserIsRefusedAndTheFirstKeepsItsWork)
{
    auto& first = startShell();
    const auto login = first.login();
    ASSERT_EQ(login["ok"], true) << login.dump();
    const int number = login["heats"][0]["heatNumber"];
    const auto heatCount = login["heats"].size();
    ASSERT_EQ(first.command(fmt::format("comment {}/1 Kept by the first", number))["ok"], true);

    // A one-shot command and a second shell, as the same user on the same folder.
    auto& oneShot = startOneShot("demo", {"--furnace", "1", "heats"});
    const auto oneShotReply = json::parse(oneShot.readRest());
    expectRefused(oneShotReply, first);
    EXPECT_EQ(oneShot.wait(), 1);
    auto& second = startShell();
    expectRefused(second.login(), first);
    // Its logout has no session to end and no edits of the first to take.
    second.command("logout");

    // The first process goes on untouched: its list, its edit, its save and its furnace switch.
    const auto refresh = first.command("refresh");
    ASSERT_EQ(refresh["ok"], true) << refresh.dump();
    EXPECT_EQ(first.command("heats")["heats"].size(), heatCount);
    EXPECT_EQ(first.command("edits")["edits"].size(), 1u);
    const auto save = first.command(fmt::format("save {}", number));
    EXPECT_EQ(save["saved"], true) << save.dump();
    EXPECT_EQ(first.command("use 2")["ok"], true);
    const auto back = first.command("use 1");
    EXPECT_EQ(back["ok"], true) << back.dump();

    // A different user on the same folder is no concern of the lock.
    auto& otherUser = startOneShot("ann", {"heats"}, "annpw");
    const auto otherReply = json::parse(otherUser.readRest());
    EXPECT_EQ(otherReply["ok"], true) << otherReply.dump();
    EXPECT_EQ(otherUser.wait(), 0);

    // The lock of a killed process never blocks: the second shell signs in now, with the unsaved edit.
    ASSERT_EQ(first.command(fmt::format("comment {}/1 Unsaved at the crash", number))["ok"], true);
    first.killNow();
    const auto again = second.login();
    ASSERT_EQ(again["ok"], true) << again.dump();
    EXPECT_EQ(again["restoredEdits"], 1) << again.dump();
    // Now it is the first process's turn to be refused, until the second signs out.
    auto& third = startShell();
    expectRefused(third.login(), second);
    ASSERT_EQ(second.command("logout")["ok"], true);
    EXPECT_EQ(third.login()["ok"], true);
}

} // namespace
} // namespace orvendel::testing
