#include "cli_fixture.hpp"

#include <fmt/format.h>

#include <map>

namespace orvendel::testing {
namespace {

class CliEditingTest : public CliTest {
protected:
    // A reason of the furnace that can be assigned (it has an id other than 0).
    static int someReason(CliProcess& cli)
    {
        const auto reply = cli.command("reasons");
        EXPECT_EQ(reply["ok"], true) << reply.dump();
        for (const auto& reason : reply["reasons"]) {
            if (reason["id"].is_number() && reason["id"] != 0) {
                return reason["id"];
            }
        }
        ADD_FAILURE() << "no reason in " << cli.stderrText();
        return 0;
    }

    static json delayStartingAt(const json& heat, const std::string& start)
    {
        for (const auto& delay : heat["delays"]) {
            if (delay["start"] == start) {
                return delay;
            }
        }
        return nullptr;
    }

    // The first heat's first delay commented "mine" in the shell, then saved as "theirs" by another client: the
    // service gives it a new version. The heat as the shell listed it at sign-in.
    json commentedThenOvertaken(CliProcess& cli)
    {
        const auto login = cli.login();
        json heat = login["heats"][0];
        EXPECT_EQ(cli.command(fmt::format("comment {} mine", heat["delays"][0]["ref"].get<std::string>()))["ok"], true);
        ServiceClient other(s_service->port());
        EXPECT_TRUE(other.signIn());
        auto theirs = serviceHeat(heat["heatId"]);
        EXPECT_TRUE(theirs);
        if (theirs) {
            auto delay = (*theirs->delays)[0];
            delay.comment = "theirs";
            wire::SaveDelaysRequestBody body{other.common(1), {theirs->heatId, {delay}}};
            const auto saved = other.call<wire::SaveDelaysResult>("SaveDelays", body);
            EXPECT_TRUE(saved && saved->resultInformation.success);
        }
        return heat;
    }
};

TEST_F(CliEditingTest, ClassifyCommentSplitAndSaveShowTheServicesVersionsAfterTheReload)
{
    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], true) << login.dump();
    const auto heat = heatWithLongDelay(login["heats"], 60);
    ASSERT_TRUE(heat.is_object());
    const int number = heat["heatNumber"];
    const int heatId = heat["heatId"];
    std::size_t longest = 0;
    for (std::size_t i = 0; i < heat["delays"].size(); ++i) {
        if (heat["delays"][i]["durationSeconds"] > heat["delays"][longest]["durationSeconds"]) {
            longest = i;
        }
    }
    const std::size_t other = longest == 0 ? 1 : 0;
    const auto classified = heat["delays"][other];
    const auto split = heat["delays"][longest];
    const std::string classifiedRef = fmt::format("{}/{}", number, other + 1);
    const std::string splitRef = fmt::format("{}/{}", number, longest + 1);
    const int reasonId = someReason(cli);

    const auto reason = cli.command(fmt::format("reason {} {}", classifiedRef, reasonId));
    ASSERT_EQ(reason["ok"], true) << reason.dump();
    EXPECT_EQ(reason["saved"], false);
    EXPECT_EQ(reason["delay"]["reasonId"], reasonId);
    EXPECT_EQ(reason["delay"]["edited"], true);
    EXPECT_EQ(reason["delay"]["ref"], classifiedRef);

    const auto comment = cli.command(fmt::format("comment {}   Tap changer stuck   ", classifiedRef));
    ASSERT_EQ(comment["ok"], true) << comment.dump();
    EXPECT_EQ(comment["delay"]["comment"], "Tap changer stuck");
    EXPECT_EQ(comment["delay"]["reasonId"], reasonId);

    const auto refusedSplit = cli.command(fmt::format("split {} 9", splitRef));
    EXPECT_EQ(refusedSplit["error"]["code"], 4);
    const auto splitReply = cli.command(fmt::format("split {} 30", splitRef));
    ASSERT_EQ(splitReply["ok"], true) << splitReply.dump();
    // Both pieces are listed at once; the reply shows the second, which the split selects.
    const std::string secondRef = fmt::format("{}/{}", number, longest + 2);
    EXPECT_EQ(splitReply["delay"]["ref"], secondRef);
    EXPECT_EQ(splitReply["delay"]["durationSeconds"], split["durationSeconds"].get<long long>() - 30);
    EXPECT_EQ(splitReply["delay"]["split"], true);
    const auto& unsaved = splitReply["heat"]["delays"];
    ASSERT_EQ(unsaved.size(), heat["delays"].size() + 1);
    EXPECT_EQ(unsaved[longest]["durationSeconds"], 30);
    EXPECT_EQ(unsaved[longest]["edited"], true);
    EXPECT_EQ(unsaved[longest]["end"], unsaved[longest + 1]["start"]);
    EXPECT_EQ(unsaved[longest + 1]["end"], split["end"]);
    // The reason+comment edit is one entry; the split adds two pieces.
    EXPECT_EQ(cli.command("edits")["edits"].size(), 3u);

    const auto save = cli.command(fmt::format("save {}", number));
    ASSERT_EQ(save["ok"], true) << save.dump();
    EXPECT_EQ(save["saved"], true);
    const auto& saved = save["heat"];
    ASSERT_EQ(saved["delays"].size(), heat["delays"].size() + 1);
    for (const auto& delay : saved["delays"]) {
        EXPECT_EQ(delay["edited"], false) << delay.dump();
    }
    const auto classifiedAfter = delayStartingAt(saved, classified["start"]);
    ASSERT_TRUE(classifiedAfter.is_object());
    EXPECT_EQ(classifiedAfter["reasonId"], reasonId);
    EXPECT_EQ(classifiedAfter["comment"], "Tap changer stuck");
    EXPECT_NE(classifiedAfter["timestamp"], classified["timestamp"]);
    const auto firstPiece = delayStartingAt(saved, split["start"]);
    ASSERT_TRUE(firstPiece.is_object());
    EXPECT_EQ(firstPiece["durationSeconds"], 30);
    EXPECT_EQ(firstPiece["delayId"], split["delayId"]);
    EXPECT_EQ(firstPiece["end"], saved["delays"][longest + 1]["start"]);
    EXPECT_EQ(saved["delays"][longest + 1]["end"], split["end"]);
    EXPECT_TRUE(cli.command("edits")["edits"].empty());

    // What the CLI lists is what the service now holds.
    const auto service = serviceHeat(heatId);
    ASSERT_TRUE(service);
    std::map<int, std::string> serviceTimestamps;
    for (const auto& delay : *service->delays) {
        serviceTimestamps[*delay.delayId] = delay.timestamp;
    }
    for (const auto& delay : saved["delays"]) {
        EXPECT_EQ(serviceTimestamps[delay["delayId"].get<int>()], delay["timestamp"]) << delay.dump();
    }
}

TEST_F(CliEditingTest, AutomaticSavingSendsEachEditAtOnce)
{
    auto& cli = startShell();
    const auto login = cli.login();
    const auto& heat = login["heats"][0];
    const std::string ref = heat["delays"][0]["ref"];
    ASSERT_EQ(cli.command("autosave on")["autosave"], true);
    const auto reply = cli.command(fmt::format("comment {} saved at once", ref));
    ASSERT_EQ(reply["ok"], true) << reply.dump();
    EXPECT_EQ(reply["saved"], true);
    EXPECT_EQ(reply["delay"]["edited"], false);
    EXPECT_EQ(reply["delay"]["comment"], "saved at once");
    EXPECT_TRUE(cli.command("edits")["edits"].empty());
    const auto service = serviceHeat(heat["heatId"]);
    ASSERT_TRUE(service);
    EXPECT_EQ((*service->delays)[0].comment, "saved at once");
}

TEST_F(CliEditingTest, AnEditOvertakenByTheServiceIsDroppedWithTheAlert)
{
    auto& cli = startShell();
    const auto heat = commentedThenOvertaken(cli);

    const auto refresh = cli.command("refresh");
    EXPECT_EQ(refresh["ok"], true) << refresh.dump();
    ASSERT_EQ(refresh["alerts"].size(), 1u) << refresh.dump();
    EXPECT_EQ(refresh["alerts"][0]["title"], "Edited Delays Removed");
    EXPECT_EQ(refresh["alerts"][0]["message"],
              "One or more of your edited delays were removed because an updated version already exists.");
    EXPECT_EQ(heatNumbered(refresh["heats"], heat["heatNumber"])["delays"][0]["comment"], "theirs");
    EXPECT_TRUE(cli.command("edits")["edits"].empty());
}

TEST_F(CliEditingTest, AStaleSaveIsExplainedOnceTheHeatIsDownloadedAgain)
{
    auto& cli = startShell();
    const auto heat = commentedThenOvertaken(cli);

    const auto save = cli.command(fmt::format("save {}", heat["heatNumber"].get<int>()));
    EXPECT_EQ(save["ok"], false) << save.dump();
    bool explained = false;
    for (const auto& alert : save.value("alerts", json::array())) {
        explained = explained || (alert["title"] == "Error Saving Delays" &&
                                  alert["message"].get<std::string>().rfind("Someone else changed", 0) == 0);
    }
    EXPECT_TRUE(explained) << save.dump();
    EXPECT_EQ(heatNumbered(cli.command("heats")["heats"], heat["heatNumber"])["delays"][0]["comment"], "theirs");
}

TEST_F(CliEditingTest, CommentsAreTrimmedAndLimitedToOneHundredTwentyCharacters)
{
    auto& cli = startShell();
    const auto login = cli.login();
    const std::string ref = login["heats"][0]["delays"][0]["ref"];
    const auto tooLong = cli.command("comment " + ref + " " + std::string(121, 'x'));
    EXPECT_EQ(tooLong["error"]["code"], 4);
    EXPECT_TRUE(cli.command("edits")["edits"].empty());

    // 120 user-perceived characters of several bytes each fit.
    std::string accents;
    for (int i = 0; i < 120; ++i) {
        accents += "e\xCC\x81"; // e + combining acute accent
    }
    const auto fits = cli.command("comment " + ref + " " + accents);
    ASSERT_EQ(fits["ok"], true) << fits.dump();
    EXPECT_EQ(fits["delay"]["comment"], accents);

    const auto undo = cli.command("undo " + ref);
    ASSERT_EQ(undo["ok"], true) << undo.dump();
    EXPECT_EQ(undo["delay"]["edited"], false);
    EXPECT_EQ(cli.command("undo " + ref)["error"]["code"], 4);
    EXPECT_EQ(cli.command("comment 1/99 x")["error"]["code"], 3);
}

} // namespace
} // namespace orvendel::testing
