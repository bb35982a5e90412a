#include "cli_fixture.hpp"
#include "core/model/zoned_date_time.hpp"
#include "support/wait_until.hpp"

#include <fmt/format.h>

namespace orvendel::testing {
namespace {

// Unsaved edits outlive the process that made them: a killed CLI's edits are back at the same user's next
// sign-in, less those the service took meanwhile.
class CliEditJournalTest : public CliTest {
protected:
    static json editOf(const json& edits, int heatId, const std::string& start)
    {
        for (const auto& edit : edits) {
            if (edit["heatId"] == heatId && edit["start"] == start) {
                return edit;
            }
        }
        return nullptr;
    }

    int saveRequests()
    {
        const auto reply = admin->stats();
        EXPECT_EQ(reply.status, 200);
        return json::parse(reply.body)["requests"]["SaveDelays"].get<int>();
    }

    std::optional<std::string> serviceComment(int heatId, const std::string& start)
    {
        const auto heat = serviceHeat(heatId);
        if (!heat || !heat->delays) {
            return std::nullopt;
        }
        const auto wanted = orvendel::ZonedDateTime::fromText(start);
        for (const auto& delay : *heat->delays) {
            const auto found = orvendel::ZonedDateTime::fromText(delay.startDate);
            if (wanted && found && found->date == wanted->date) {
                return delay.comment;
            }
        }
        return std::nullopt;
    }
};

TEST_F(CliEditJournalTest, EditsOfAKilledProcessComeBackUntilSavedOrDiscarded)
{
    json heat;
    std::string firstStart;
    std::string secondStart;
    {
        auto& cli = startShell();
        const auto login = cli.login();
        ASSERT_EQ(login["ok"], true) << login.dump();
        EXPECT_FALSE(login.contains("restoredEdits"));
        heat = heatWithLongDelay(login["heats"], 60);
        ASSERT_TRUE(heat.is_object());
        firstStart = heat["delays"][0]["start"];
        secondStart = heat["delays"][1]["start"];
        const int number = heat["heatNumber"];
        ASSERT_EQ(cli.command(fmt::format("comment {}/1 Ladle late", number))["ok"], true);
        ASSERT_EQ(cli.command(fmt::format("comment {}/2 Scrap bucket", number))["ok"], true);
        ASSERT_EQ(cli.command("edits")["edits"].size(), 2u);
        cli.killNow();
    }

    const int heatId = heat["heatId"];
    const int number = heat["heatNumber"];
    {
        auto& cli = startShell();
        const auto login = cli.login();
        ASSERT_EQ(login["ok"], true) << login.dump();
        EXPECT_EQ(login["restoredEdits"], 2) << login.dump();
        const auto listed = heatNumbered(login["heats"], number);
        EXPECT_EQ(listed["delays"][0]["comment"], "Ladle late");
        EXPECT_EQ(listed["delays"][0]["edited"], true);
        const auto edits = cli.command("edits")["edits"];
        ASSERT_EQ(edits.size(), 2u);
        EXPECT_EQ(editOf(edits, heatId, firstStart)["restored"], true);
        EXPECT_EQ(editOf(edits, heatId, secondStart)["restored"], true);

        const auto save = cli.command(fmt::format("save {}", number));
        ASSERT_EQ(save["saved"], true) << save.dump();
        cli.killNow();
    }
    EXPECT_EQ(serviceComment(heatId, firstStart), "Ladle late");
    {
        auto& cli = startShell();
        const auto login = cli.login();
        ASSERT_EQ(login["ok"], true) << login.dump();
        EXPECT_FALSE(login.contains("restoredEdits")) << "saved edits are not edits any more";
        EXPECT_TRUE(cli.command("edits")["edits"].empty());

        // Quitting keeps the edits; only a logout the user asks for discards them.
        ASSERT_EQ(cli.command(fmt::format("comment {}/1 Kept over quit", number))["ok"], true);
        const auto quit = cli.command("quit");
        EXPECT_EQ(quit["keptEdits"], 1) << quit.dump();
        EXPECT_EQ(cli.wait(), 0);
    }
    {
        auto& cli = startShell();
        const auto login = cli.login();
        EXPECT_EQ(login["restoredEdits"], 1) << login.dump();
        const auto logout = cli.command("logout");
        EXPECT_EQ(logout["discardedEdits"], 1) << logout.dump();
        const auto again = cli.login();
        ASSERT_EQ(again["ok"], true) << again.dump();
        EXPECT_FALSE(again.contains("restoredEdits"));
        EXPECT_TRUE(cli.command("edits")["edits"].empty());
    }
}

TEST_F(CliEditJournalTest, AProcessKilledDuringASaveLosesNothingAndBringsBackNothingSaved)
{
    json sentHeat;
    json keptHeat;
    {
        auto& cli = startShell();
        const auto login = cli.login();
        ASSERT_EQ(login["ok"], true) << login.dump();
        ASSERT_GE(login["heats"].size(), 2u);
        sentHeat = login["heats"][0];
        keptHeat = login["heats"][1];
        ASSERT_EQ(
            cli.command(fmt::format("comment {}/1 Sent before the crash", sentHeat["heatNumber"].get<int>()))["ok"],
            true);
        ASSERT_EQ(cli.command(fmt::format("comment {}/1 Never sent", keptHeat["heatNumber"].get<int>()))["ok"], true);

        // The service holds the save's answer back; the program dies once the request has arrived.
        const int before = saveRequests();
        ASSERT_EQ(admin->addFault(R"({"resource": "SaveDelays", "kind": "delay", "ms": 2000})").status, 200);
        cli.send(fmt::format("save {}", sentHeat["heatNumber"].get<int>()));
        ASSERT_TRUE(test::waitUntil([&] { return saveRequests() > before; }, std::chrono::seconds(30)))
            << "the save never reached the service";
        cli.killNow();
    }
    const std::string sentStart = sentHeat["delays"][0]["start"];
    const std::string keptStart = keptHeat["delays"][0]["start"];
    // The service finishes the request on its own, for a client that is gone.
    ASSERT_TRUE(
        test::waitUntil([&] { return serviceComment(sentHeat["heatId"], sentStart) == "Sent before the crash"; },
                        std::chrono::seconds(30)));

    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], true) << login.dump();
    const auto edits = cli.command("edits")["edits"];
    const auto kept = editOf(edits, keptHeat["heatId"], keptStart);
    ASSERT_TRUE(kept.is_object()) << "an edit that was never sent is back: " << edits.dump();
    EXPECT_EQ(kept["comment"], "Never sent");
    EXPECT_EQ(kept["restored"], true);
    EXPECT_TRUE(editOf(edits, sentHeat["heatId"], sentStart).is_null())
        << "a saved edit must not come back: " << edits.dump();
    // The service holds exactly what was sent: the edit went quietly, nothing is told as lost.
    for (const auto& alert : login.value("alerts", json::array())) {
        EXPECT_NE(alert["title"], "Edited Delays Removed") << login.dump();
    }
    EXPECT_EQ(heatNumbered(login["heats"], sentHeat["heatNumber"])["delays"][0]["comment"], "Sent before the crash");
    EXPECT_EQ(login["restoredEdits"], 1) << login.dump();
}

} // namespace
} // namespace orvendel::testing
