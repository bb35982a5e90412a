#include "service_fixture.hpp"

#include <set>

namespace orvendel::testing {
namespace {

class SaveDelaysTest : public DelayServiceTest {
protected:
    // The newest heat of furnace 1 with a delay long enough to split, and that delay's position.
    std::pair<wire::JSON_Heat, std::size_t> heatWithLongDelay()
    {
        const auto list = heats(1);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            for (std::size_t i = 0; i < it->delays->size(); ++i) {
                const auto& d = (*it->delays)[i];
                if (seconds(d.endDate) - seconds(d.startDate) >= 60 && it->delays->size() >= 2) {
                    return {*it, i};
                }
            }
        }
        ADD_FAILURE() << "no delay of a minute or more";
        return {};
    }

    static wire::JSON_Delay piece(const wire::JSON_Delay& from, int64_t start, int64_t end, bool keepId)
    {
        wire::JSON_Delay p = from;
        p.startDate = text(start);
        p.endDate = text(end);
        if (!keepId) {
            p.delayId.reset();
        }
        return p;
    }
};

TEST_F(SaveDelaysTest, SplitIsSavedAndReadBackAsTwoDelaysWithNewTimestamps)
{
    auto [target, index] = heatWithLongDelay();
    const auto original = (*target.delays)[index];
    const auto start = seconds(original.startDate);
    const auto end = seconds(original.endDate);
    const auto middle = start + (end - start) / 2;
    auto first = piece(original, start, middle, true);
    auto second = piece(original, middle, end, false);
    second.comment = "second half";

    const auto result = save(target.heatId, {first, second});
    ASSERT_TRUE(result.resultInformation.success) << errorCode(result.resultInformation);

    const auto after = heat(target.heatId);
    ASSERT_TRUE(after);
    ASSERT_EQ(after->delays->size(), target.delays->size() + 1);
    const auto& kept = (*after->delays)[index];
    const auto& added = (*after->delays)[index + 1];
    EXPECT_EQ(kept.delayId, original.delayId);
    EXPECT_EQ(seconds(kept.endDate), middle);
    EXPECT_EQ(seconds(added.startDate), middle);
    EXPECT_EQ(seconds(added.endDate), end);
    EXPECT_EQ(added.comment, "second half");
    EXPECT_EQ(added.reasonDescription, original.reasonDescription);
    std::set<std::string> timestamps;
    std::set<int> ids;
    for (const auto& d : *target.delays) {
        timestamps.insert(d.timestamp);
        ids.insert(*d.delayId);
    }
    EXPECT_FALSE(timestamps.contains(kept.timestamp));
    EXPECT_FALSE(timestamps.contains(added.timestamp));
    EXPECT_NE(kept.timestamp, added.timestamp);
    EXPECT_FALSE(ids.contains(*added.delayId));

    // The first piece now carries the new timestamp; the old one is stale.
    first.endDate = text(middle - 5);
    const auto stale = save(target.heatId, {first});
    EXPECT_EQ(errorCode(stale.resultInformation), 10);
}

TEST_F(SaveDelaysTest, StaleTimestampRefusesTheWholeSave)
{
    auto [target, index] = heatWithLongDelay();
    auto a = (*target.delays)[index];
    auto b = (*target.delays)[index == 0 ? 1 : 0];
    const int reasonBefore = a.reasonId;
    a.reasonId = a.reasonId == 0 ? 1001 : 0;
    a.comment = "changed";
    b.timestamp = "0000000000000000";

    const auto result = save(target.heatId, {a, b});
    ASSERT_TRUE(result.resultInformation.error);
    EXPECT_EQ(result.resultInformation.error->code, 10);
    EXPECT_EQ(result.resultInformation.error->description,
              "Delay " + std::to_string(*b.delayId) + " was changed by someone else. Reload and try again.");
    EXPECT_EQ((*heat(target.heatId)->delays)[index].reasonId, reasonBefore);
    EXPECT_EQ((*heat(target.heatId)->delays)[index].timestamp, (*target.delays)[index].timestamp);

    // A delay of another heat is as good as stale.
    const auto list = heats(1);
    auto foreign = (*list.front().delays)[0];
    ASSERT_NE(list.front().heatId, target.heatId);
    EXPECT_EQ(errorCode(save(target.heatId, {foreign}).resultInformation), 10);
}

TEST_F(SaveDelaysTest, PiecesThatOverlapOrLeaveTheOriginalAreRefused)
{
    auto [target, index] = heatWithLongDelay();
    const auto original = (*target.delays)[index];
    const auto start = seconds(original.startDate);
    const auto end = seconds(original.endDate);
    const auto middle = start + (end - start) / 2;

    const std::vector<std::vector<wire::JSON_Delay>> refused = {
        {piece(original, start, middle + 10, true), piece(original, middle, end, false)}, // overlap
        {piece(original, start, middle, true), piece(original, middle, end + 30, false)}, // beyond the end
        {piece(original, start, middle, true), piece(original, middle, middle, false)},   // empty piece
        {piece(original, start, end, true), piece(original, start + 1, middle, false)},   // inside the kept one
    };
    for (const auto& delays : refused) {
        const auto result = save(target.heatId, delays);
        ASSERT_TRUE(result.resultInformation.error);
        EXPECT_EQ(result.resultInformation.error->code, 11);
        EXPECT_EQ(result.resultInformation.error->description, "The split delays do not fit the original delay.");
    }
    const auto after = heat(target.heatId);
    ASSERT_EQ(after->delays->size(), target.delays->size());
    EXPECT_EQ((*after->delays)[index].endDate, original.endDate);
}

TEST_F(SaveDelaysTest, PiecesMustCoverTheStoredDelayExactly)
{
    auto [target, index] = heatWithLongDelay();
    const auto original = (*target.delays)[index];
    const auto other = (*target.delays)[index == 0 ? 1 : 0];
    const auto start = seconds(original.startDate);
    const auto end = seconds(original.endDate);
    const auto middle = start + (end - start) / 2;

    const std::vector<std::pair<const char*, std::vector<wire::JSON_Delay>>> refused = {
        {"shortened", {piece(original, start, end - 20, true)}},
        {"gap between pieces", {piece(original, start, middle, true), piece(original, middle + 5, end, false)}},
        {"moved within its span", {piece(original, start + 10, end, true)}},
        {"new piece without its first piece", {piece(original, middle, end, false)}},
        {"first piece not at the start", {piece(original, start, middle, false), piece(original, middle, end, true)}},
        {"piece of 9 seconds", {piece(original, start, start + 9, true), piece(original, start + 9, end, false)}},
        {"moved into another delay",
         {piece(original, seconds(other.startDate), seconds(other.startDate) + (end - start), true)}},
    };
    for (const auto& [what, delays] : refused) {
        EXPECT_EQ(errorCode(save(target.heatId, delays).resultInformation), 11) << what;
    }
    EXPECT_EQ(heat(target.heatId)->delays->size(), target.delays->size());

    // Ten seconds is enough, and a piece may be split again as long as the pieces still meet.
    const auto result =
        save(target.heatId, {piece(original, start, start + 10, true), piece(original, start + 10, middle, false),
                             piece(original, middle, end, false)});
    EXPECT_TRUE(result.resultInformation.success) << errorCode(result.resultInformation);
    EXPECT_EQ(heat(target.heatId)->delays->size(), target.delays->size() + 2);
}

TEST_F(SaveDelaysTest, CommentsAreCheckedAsTheCommentEditorChecksThem)
{
    auto [target, index] = heatWithLongDelay();
    auto delay = (*target.delays)[index];
    auto saveComment = [&](const std::string& comment) {
        delay.comment = comment;
        const auto result = save(target.heatId, {delay});
        if (result.resultInformation.success) {
            delay = (*heat(target.heatId)->delays)[index];
        }
        return errorCode(result.resultInformation);
    };
    // User-perceived characters: a letter with a combining accent and a flag count one each.
    std::string longest;
    for (int i = 0; i < 60; ++i) {
        longest += "e\u0301\U0001F1E9\U0001F1EA";
    }
    EXPECT_EQ(saveComment(longest), 0);
    EXPECT_EQ(saveComment("  " + std::string(120, 'x') + "\n "), 0);
    EXPECT_EQ(saveComment("two\nlines\tand a tab"), 0);
    EXPECT_EQ(saveComment(""), 0);

    for (const std::string& bad :
         {std::string(121, 'x'), std::string("bell\a"), std::string("escape\x1b[2J"), std::string("carriage\rreturn"),
          std::string("nul\0inside", 10), std::string("c1 \u0085 control")}) {
        const auto code = saveComment(bad);
        EXPECT_EQ(code, 14) << bad;
    }
    EXPECT_EQ((*heat(target.heatId)->delays)[index].comment, "");
}

// Two pieces that fit side by side but both claim the original's id would update one row twice.
TEST_F(SaveDelaysTest, TheSameDelayIdTwiceInOneSaveIsRefused)
{
    auto [target, index] = heatWithLongDelay();
    const auto original = (*target.delays)[index];
    const auto start = seconds(original.startDate);
    const auto end = seconds(original.endDate);
    const auto middle = start + (end - start) / 2;

    const auto result = save(target.heatId, {piece(original, start, middle, true), piece(original, middle, end, true)});
    ASSERT_TRUE(result.resultInformation.error);
    EXPECT_EQ(result.resultInformation.error->code, 11);
    const auto after = heat(target.heatId);
    ASSERT_EQ(after->delays->size(), target.delays->size());
    EXPECT_EQ((*after->delays)[index].endDate, original.endDate);
    EXPECT_EQ((*after->delays)[index].timestamp, original.timestamp);
}

TEST_F(SaveDelaysTest, ReasonsMustBelongToTheFurnaceAndHeatsToIt)
{
    auto [target, index] = heatWithLongDelay();
    auto delay = (*target.delays)[index];
    for (int reason : {999999, 2001}) {
        delay.reasonId = reason;
        EXPECT_EQ(errorCode(save(target.heatId, {delay}).resultInformation), 12) << reason;
    }
    delay.reasonId = 1001;
    EXPECT_EQ(errorCode(save(target.heatId, {delay}, 2).resultInformation), 5);
    EXPECT_EQ(errorCode(save(12345, {delay}).resultInformation), 5);
    EXPECT_TRUE(save(target.heatId, {delay}).resultInformation.success);
}

TEST_F(SaveDelaysTest, UpdatedDelaysTellsChangedUnchangedAndDeleted)
{
    auto [target, index] = heatWithLongDelay();
    auto changed = (*target.delays)[index];
    const auto untouched = (*target.delays)[index == 0 ? 1 : 0];
    changed.reasonId = changed.reasonId == 0 ? 1001 : 0;
    ASSERT_TRUE(save(target.heatId, {changed}).resultInformation.success);
    // Saving a delay exactly as stored changes nothing, not even its timestamp.
    ASSERT_TRUE(save(target.heatId, {untouched}).resultInformation.success);
    EXPECT_EQ((*heat(target.heatId)->delays)[index == 0 ? 1 : 0].timestamp, untouched.timestamp);

    wire::UpdatedDelaysRequestBody body{client().common(), {1, target.heatId, {}}};
    body.data.delaysToCheck = {{{"delayId", *changed.delayId}}, {{"delayId", *untouched.delayId}}, {{"delayId", 1}}};
    auto reply = client().call<wire::UpdatedDelaysDownloaderResult>("UpdatedDelays", body);
    ASSERT_TRUE(reply) << reply.error().description;
    ASSERT_TRUE(reply->data);
    const auto& statuses = *reply->data;
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0].status, "changed");
    EXPECT_EQ(statuses[0].reasonId, changed.reasonId);
    EXPECT_EQ(statuses[0].heatId, target.heatId);
    EXPECT_EQ(statuses[0].startDate, changed.startDate);
    EXPECT_TRUE(statuses[0].color && statuses[0].timeStamp);
    EXPECT_EQ(statuses[1].status, "unchanged");
    EXPECT_EQ(statuses[2].status, "deleted");
}

} // namespace
} // namespace orvendel::testing
