#include "cli_fixture.hpp"

#include <fmt/format.h>

#include <string>
#include <vector>

namespace orvendel::testing {
namespace {

class CliReasonsTest : public CliTest {};

TEST_F(CliReasonsTest, ListsTheFindersTreeAndAssignsOnlyWhatItShows)
{
    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], true) << login.dump();
    const auto reply = cli.command("reasons");
    ASSERT_EQ(reply["ok"], true) << reply.dump();
    const auto& reasons = reply["reasons"];
    ASSERT_GT(reasons.size(), 20u);

    // Depth first: a row is a top-level category or one level below the last category above it, and
    // siblings come in code-point order. The service's top-level "Unclassified" leaf is not in the tree.
    struct Shown {
        std::string description;
        bool leaf = false;
    };
    std::vector<Shown> lastAtDepth;
    int leaves = 0;
    for (const auto& reason : reasons) {
        const auto depth = reason["depth"].get<std::size_t>();
        ASSERT_LE(depth, lastAtDepth.size()) << reason.dump();
        const Shown shown{reason["description"], reason["id"].is_number()};
        if (depth < lastAtDepth.size()) {
            EXPECT_LE(lastAtDepth[depth].description, shown.description) << reason.dump();
        } else if (depth > 0) {
            EXPECT_FALSE(lastAtDepth.back().leaf) << "under a leaf: " << reason.dump();
        }
        lastAtDepth.resize(depth + 1);
        lastAtDepth.back() = shown;
        if (shown.leaf) {
            EXPECT_GT(depth, 0u) << reason.dump();
            EXPECT_NE(reason["id"], 0);
            ++leaves;
        }
    }
    EXPECT_GT(leaves, 10);

    const auto heat = login["heats"][0];
    const std::string ref = fmt::format("{}/1", heat["heatNumber"].get<int>());
    const auto hidden = cli.command("reason " + ref + " 0");
    EXPECT_EQ(hidden["ok"], false);
    EXPECT_EQ(hidden["error"]["code"], 3) << hidden.dump();
    EXPECT_NE(hidden.dump().find("Reason 0 is not"), std::string::npos) << hidden.dump();
}

} // namespace
} // namespace orvendel::testing
