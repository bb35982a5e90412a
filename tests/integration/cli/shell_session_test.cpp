#include "cli_fixture.hpp"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>

namespace orvendel::testing {
namespace {

class CliSessionTest : public CliTest {};

std::string signInFailureText(const json& error)
{
    return fmt::format("{} (Error: {})", error["description"].get<std::string>(), error["code"].get<int>());
}

TEST_F(CliSessionTest, SignsInListsHeatsAndFurnacesAndEndsCleanly)
{
    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_TRUE(login.is_object()) << cli.stderrText();
    ASSERT_EQ(login["ok"], true) << login.dump();
    EXPECT_EQ(login["user"], "DEMO");
    EXPECT_EQ(login["furnace"]["id"], 1);
    ASSERT_FALSE(login["heats"].empty());
    const auto& first = login["heats"][0];
    EXPECT_EQ(first["title"], fmt::format("Heat {}", first["heatNumber"].get<int>()));
    EXPECT_EQ(first["delays"][0]["ref"], fmt::format("{}/1", first["heatNumber"].get<int>()));

    const auto heats = cli.command("heats");
    EXPECT_EQ(heats["heats"], login["heats"]);
    const auto furnaces = cli.command("furnaces");
    EXPECT_EQ(furnaces["selectedFurnaceId"], 1);
    ASSERT_GE(furnaces["furnaces"].size(), 2u);
    EXPECT_EQ(furnaces["furnaces"][0]["selected"], true);

    const auto quit = cli.command("quit");
    EXPECT_EQ(quit["ok"], true);
    EXPECT_EQ(cli.wait(), 0);
    // Diagnostics went to the log, never to standard output.
    EXPECT_NE(cli.logText().find("Loaded Session"), std::string::npos);
}

TEST_F(CliSessionTest, BadCredentialsShowTheSignInAlertAndLeaveNoSession)
{
    auto& cli = startShell();
    const auto login = cli.login("demo", "not-the-password");
    ASSERT_EQ(login["ok"], false) << login.dump();
    EXPECT_EQ(login["error"]["domain"], "ServerError");
    ASSERT_EQ(login["alerts"].size(), 1u);
    EXPECT_EQ(login["alerts"][0]["title"], "Problem");
    EXPECT_EQ(login["message"], signInFailureText(login["error"]));

    const auto heats = cli.command("heats");
    EXPECT_EQ(heats["ok"], false);
    EXPECT_EQ(heats["error"]["domain"], "CLIError");
    EXPECT_EQ(heats["error"]["code"], 2);
    cli.closeInput();
    EXPECT_EQ(cli.wait(), 1);
}

TEST_F(CliSessionTest, ServiceDownGivesTheTransportErrorsAlertText)
{
    ServiceProcess gone({.seed = 5});
    ASSERT_TRUE(gone.running()) << gone.logText();
    const std::string url = gone.baseUrl();

    // Signed in while the service runs, then it stops: the next download fails with the transport's error.
    auto& working = startShell({}, false, url);
    ASSERT_EQ(working.login()["ok"], true);
    gone.stop();
    const auto refresh = working.command("refresh");
    ASSERT_EQ(refresh["ok"], false) << refresh.dump();
    const auto& error = refresh["error"];
    EXPECT_NE(error["domain"], "ServerError");
    EXPECT_EQ(refresh["alerts"][0]["title"], "Problem");
    EXPECT_EQ(refresh["message"], fmt::format("{} ({}:{})", error["description"].get<std::string>(),
                                              error["domain"].get<std::string>(), error["code"].get<int>()));

    // Signing in against the stopped service shows the sign-in screen's form of the same error (once the
    // first shell has ended: while it runs, the user's folder is its own).
    working.closeInput();
    working.wait(); // its status tells of the failed refresh
    auto& late = startShell({}, false, url);
    const auto login = late.login();
    ASSERT_EQ(login["ok"], false) << login.dump();
    EXPECT_EQ(login["error"]["domain"], error["domain"]);
    EXPECT_EQ(login["message"], signInFailureText(login["error"]));
}

TEST_F(CliSessionTest, WithoutNetworkEveryAttemptIsTheNoInternetAlert)
{
    auto& cli = startShell({"--connectivity", "offline"});
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], false);
    EXPECT_EQ(login["error"]["domain"], "ORVError");
    EXPECT_EQ(login["error"]["code"], 1015);
    EXPECT_EQ(login["alerts"][0]["title"], "No Internet Connection");
    EXPECT_EQ(login["message"], "Please check your internet connection and try again.. (ORVError:1015)");
}

TEST_F(CliSessionTest, UseRefusesToDropUnsavedEditsUnlessTold)
{
    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], true);
    const std::string ref = login["heats"][0]["delays"][0]["ref"];
    ASSERT_EQ(cli.command("comment " + ref + " checked")["ok"], true);

    const auto refused = cli.command("use 2");
    ASSERT_EQ(refused["ok"], false) << refused.dump();
    EXPECT_EQ(refused["error"]["domain"], "CLIError");
    EXPECT_EQ(refused["error"]["code"], 4);
    EXPECT_EQ(refused["alerts"][0]["title"], "You have unsaved delays. Do you want to proceed?");
    EXPECT_EQ(refused["message"], "If you select Yes, all changes will be lost.");
    EXPECT_EQ(cli.command("furnaces")["selectedFurnaceId"], 1);
    EXPECT_EQ(cli.command("heats")["furnace"]["id"], 1);
    EXPECT_EQ(cli.command("edits")["edits"].size(), 1u);

    const auto switched = cli.command("use 2 --discard");
    ASSERT_EQ(switched["ok"], true) << switched.dump();
    EXPECT_EQ(switched["furnace"]["id"], 2);
    ASSERT_FALSE(switched["heats"].empty());
    EXPECT_EQ(switched["heats"][0]["furnaceId"], 2);
    EXPECT_TRUE(cli.command("edits")["edits"].empty());
    // Nothing at risk now: switching back needs no confirmation.
    EXPECT_EQ(cli.command("use 1")["furnace"]["id"], 1);
}

TEST_F(CliSessionTest, LogoutDropsTheSessionAndItsEditsUntilTheNextLogin)
{
    auto& cli = startShell();
    const auto login = cli.login();
    const std::string ref = login["heats"][0]["delays"][0]["ref"];
    ASSERT_EQ(cli.command("comment " + ref + " to be lost")["ok"], true);
    const auto logout = cli.command("logout");
    ASSERT_EQ(logout["ok"], true);
    EXPECT_EQ(logout["discardedEdits"], 1);
    for (const char* command : {"heats", "furnaces", "save 1", "autosave on"}) {
        const auto reply = cli.command(command);
        EXPECT_EQ(reply["error"]["code"], 2) << command << ": " << reply.dump();
    }
    ASSERT_EQ(cli.login()["ok"], true);
    EXPECT_TRUE(cli.command("edits")["edits"].empty());
    // A second login in the same session is refused, and its password line is not taken as a command.
    const auto again = cli.login();
    EXPECT_EQ(again["error"]["code"], 6);
    EXPECT_EQ(cli.command("help")["ok"], true);
}

TEST_F(CliSessionTest, ASessionTheServiceKeepsExpiringEndsInAForcedSignOut)
{
    auto& cli = startShell();
    ASSERT_EQ(cli.login()["ok"], true);
    // Expired again after the renewal: the download manager gives up and signs the user out.
    ASSERT_EQ(admin->addFault(R"({"resource": "Last24HoursDelays", "kind": "expire-session", "count": 2})").status,
              200);
    const auto refresh = cli.command("refresh");
    ASSERT_EQ(refresh["ok"], false) << refresh.dump();
    EXPECT_EQ(refresh["error"]["code"], 2);
    ASSERT_EQ(refresh["notices"].size(), 1u) << refresh.dump();
    EXPECT_NE(refresh["notices"][0].get<std::string>().find("Signed out"), std::string::npos);
    EXPECT_EQ(cli.command("heats")["error"]["code"], 2);
    const auto again = cli.login();
    EXPECT_EQ(again["ok"], true) << again.dump();
}

// A damaged local database is reported, not listed as a plant without furnaces or reasons.
TEST_F(CliSessionTest, AnUnreadableDatabaseFailsTheListsWithItsReason)
{
    auto& cli = startShell();
    ASSERT_EQ(cli.login()["ok"], true);
    std::filesystem::path database;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataFolder())) {
        if (entry.path().filename() == "dbData.sqlite") {
            database = entry.path();
        }
    }
    ASSERT_FALSE(database.empty());
    {
        std::fstream file(database, std::ios::in | std::ios::out | std::ios::binary);
        const std::string garbage(100, 'x');
        ASSERT_TRUE(file.write(garbage.data(), static_cast<std::streamsize>(garbage.size())));
    }
    for (const char* list : {"furnaces", "reasons"}) {
        const auto reply = cli.command(list);
        EXPECT_EQ(reply["ok"], false) << list << ": " << reply.dump();
        EXPECT_EQ(reply["error"]["domain"], "SqlDatabase") << list;
        EXPECT_NE(reply["message"].get<std::string>().find("not a database"), std::string::npos) << reply.dump();
    }
    cli.closeInput();
    EXPECT_EQ(cli.wait(), 1);
}

TEST_F(CliSessionTest, OneShotPrintsOneReplyAndReportsByExitStatus)
{
    auto& heats = start({"--json", "--service-url", serviceUrl(), "--data-dir", dataFolder().string(), "--user", "demo",
                         "--password-stdin", "heats"});
    heats.send("demo");
    heats.closeInput();
    const auto rest = heats.readRest();
    ASSERT_EQ(std::count(rest.begin(), rest.end(), '\n'), 1) << rest;
    const auto reply = json::parse(rest);
    EXPECT_EQ(reply["ok"], true);
    EXPECT_FALSE(reply["heats"].empty());
    EXPECT_EQ(heats.wait(), 0);

    auto& refused = start({"--service-url", serviceUrl(), "--data-dir", dataFolder().string(), "--user", "demo",
                           "--password-stdin", "--furnace", "2", "furnaces"});
    refused.send("wrong");
    refused.closeInput();
    EXPECT_EQ(refused.readRest(), "");
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_NE(refused.stderrText().find("Problem: "), std::string::npos) << refused.stderrText();

    auto& usage = start({"--user", "demo", "save", "1"});
    EXPECT_EQ(usage.wait(), 2);
}

TEST_F(CliSessionTest, TextModeShowsAHeatWithItsTimeline)
{
    // Find a heat number first.
    auto& probe = startShell();
    const int number = probe.login()["heats"][0]["heatNumber"];
    probe.closeInput();
    ASSERT_EQ(probe.wait(), 0);

    auto& cli = startShell({}, true);
    cli.send("login demo");
    cli.send("demo");
    cli.send(fmt::format("show {}/1", number));
    cli.send("bogus");
    cli.closeInput();
    const auto out = cli.readRest();
    EXPECT_NE(out.find("Signed in as DEMO."), std::string::npos);
    EXPECT_NE(out.find(fmt::format("\nHeat {}\n", number)), std::string::npos) << out;
    EXPECT_NE(out.find("Start Time: "), std::string::npos);
    EXPECT_NE(out.find("\n|"), std::string::npos);
    EXPECT_NE(out.find(fmt::format("> {}/1 ", number)), std::string::npos);
    EXPECT_EQ(out.find("Download Manager"), std::string::npos);
    EXPECT_NE(cli.stderrText().find("error: unknown command \"bogus\""), std::string::npos);
    EXPECT_EQ(cli.wait(), 2);
}

} // namespace
} // namespace orvendel::testing
