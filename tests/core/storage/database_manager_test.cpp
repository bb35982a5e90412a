#include "core/model/utilities.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"
#include "support/full_disk_vfs.hpp"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <fstream>
#include <unistd.h>

namespace orvendel {
namespace {

using test::await;

DownloadedDelay delay(int id, int reasonId, std::string start, std::string end,
                      std::optional<std::string> comment = std::nullopt)
{
    DownloadedDelay d;
    d.delayId = id;
    d.reasonId = reasonId;
    d.reasonDescription = "from the reply";
    d.startDate = std::move(start);
    d.endDate = std::move(end);
    d.timestamp = "2019-03-07T10:00:00Z";
    d.comment = std::move(comment);
    return d;
}

DownloadedHeat heat(int heatId, std::string start, std::string end, std::vector<DownloadedDelay> delays)
{
    DownloadedHeat h;
    h.heatId = heatId;
    h.heatNumber = heatId * 10;
    h.startDate = std::move(start);
    h.endDate = std::move(end);
    h.delays = std::move(delays);
    return h;
}

Reason reason(int categoryId, std::optional<int> id, std::string name, std::optional<int> parent = std::nullopt)
{
    return Reason{id, categoryId, parent, name + " description", name, "rgb(1, 2, 3)"};
}

// The value of a read that must succeed; empty (and the test failed) when it did not.
template <typename T>
T valueOf(Result<T> read)
{
    if (!read) {
        ADD_FAILURE() << "the read failed: " << read.error().description;
        return T{};
    }
    return std::move(read).value();
}

Furnace furnace(int id, std::string name)
{
    Furnace f;
    f.id = id;
    f.name = std::move(name);
    f.shortName = "S" + std::to_string(id);
    f.mapId = 5;
    f.mapCoordX = 6;
    f.type = 2;
    return f;
}

class DatabaseManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.openUserDatabase("jdoe")); }

    bool storeFurnaces(std::vector<Furnace> furnaces)
    {
        return bool(await<Result<void>>([&](auto done) { manager.storeFurnaces(std::move(furnaces), done); }));
    }
    Result<std::vector<FurnacePtr>> readFurnaces()
    {
        return await<Result<std::vector<FurnacePtr>>>([&](auto done) { manager.fetchFurnaces(done); });
    }
    std::vector<FurnacePtr> fetchFurnaces() { return valueOf(readFurnaces()); }
    Result<FurnacePtr> readFurnace(int id)
    {
        return await<Result<FurnacePtr>>([&](auto done) { manager.fetchFurnace(id, done); });
    }
    FurnacePtr fetchFurnace(int id) { return valueOf(readFurnace(id)); }
    bool storeReasons(int furnaceId, std::vector<Reason> reasons)
    {
        return bool(await<Result<void>>([&](auto done) { manager.storeReasons(furnaceId, std::move(reasons), done); }));
    }
    Result<std::vector<ReasonPtr>> readReasons(int furnaceId)
    {
        return await<Result<std::vector<ReasonPtr>>>([&](auto done) { manager.fetchReasons(furnaceId, done); });
    }
    std::vector<ReasonPtr> fetchReasons(int furnaceId) { return valueOf(readReasons(furnaceId)); }
    bool storeDelays(int furnaceId, std::vector<DownloadedHeat> heats)
    {
        return bool(await<Result<void>>([&](auto done) { manager.storeDelays(furnaceId, std::move(heats), done); }));
    }
    Result<std::vector<HeatPtr>> readHeats(int furnaceId)
    {
        return await<Result<std::vector<HeatPtr>>>([&](auto done) { manager.fetchLast24HoursHeats(furnaceId, done); });
    }
    std::vector<HeatPtr> fetchHeats(int furnaceId) { return valueOf(readHeats(furnaceId)); }

    // A second connection on the same file, for arranging failures the service could never send.
    void onSideConnection(const std::string& sql)
    {
        SqlDatabase side(*manager.databasePath());
        ASSERT_TRUE(side.open());
        ASSERT_TRUE(side.executeUpdate(sql)) << sql;
    }

    test::TestApplicationSupportDirectory applicationSupportDirectory;
    DatabaseManager manager{{applicationSupportDirectory.source()}};
};

TEST_F(DatabaseManagerTest, EveryUserNameCaseOpensOneFileEmptiedAtEachSignIn)
{
    const auto path = manager.databasePath();
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, (applicationSupportDirectory.path() / *Utilities::md5Hex("JDOE") / "dbData.sqlite").string());
    ASSERT_TRUE(storeFurnaces({furnace(1, "EAF 1")}));
    ASSERT_EQ(fetchFurnaces().size(), 1u); // the table is known to this connection, not to the next one

    // A crashed run's journal beside the old file must not be replayed into the new one.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        std::ofstream(*path + suffix) << "leftover";
    }
    ASSERT_TRUE(manager.openUserDatabase("JDOE"));
    EXPECT_EQ(manager.databasePath(), path);
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        EXPECT_FALSE(std::filesystem::exists(*path + suffix)) << suffix;
    }
    EXPECT_TRUE(fetchFurnaces().empty());
    EXPECT_TRUE(storeFurnaces({furnace(2, "EAF 2")}));
    EXPECT_EQ(fetchFurnaces().size(), 1u);
}

TEST_F(DatabaseManagerTest, NothingWorksWithoutAnOpenDatabase)
{
    manager.closeDatabase();
    EXPECT_EQ(manager.databasePath(), std::nullopt);
    EXPECT_FALSE(storeFurnaces({}));
    EXPECT_FALSE(storeDelays(1, {}));
    EXPECT_FALSE(storeReasons(1, {}));
    // No database is not the same as an empty one.
    EXPECT_FALSE(readFurnaces());
    EXPECT_FALSE(readFurnace(1));
    EXPECT_FALSE(readReasons(1));
    EXPECT_FALSE(readHeats(1));
}

// A damaged file must not read as "no furnaces" or "no heats": every fetch gives SQLite's reason, logged as
// well. Tables never stored into are only empty.
TEST_F(DatabaseManagerTest, ADamagedFileFailsEveryReadWhereNeverStoredTablesReadEmpty)
{
    EXPECT_TRUE(fetchFurnaces().empty());
    EXPECT_EQ(fetchFurnace(1), nullptr);
    EXPECT_TRUE(fetchReasons(7).empty());
    EXPECT_TRUE(fetchHeats(7).empty());

    ASSERT_TRUE(storeFurnaces({furnace(1, "EAF 1")}));
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "R11")}));
    ASSERT_TRUE(storeDelays(7, {heat(1, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                     {delay(1, 11, "2019-03-07T08:01:00Z", "2019-03-07T08:02:00Z")})}));
    {
        // Garbage over the header, behind the open connection's back.
        std::fstream file(*manager.databasePath(), std::ios::in | std::ios::out | std::ios::binary);
        const std::string garbage(100, 'x');
        ASSERT_TRUE(file.write(garbage.data(), static_cast<std::streamsize>(garbage.size())));
    }
    ScopedLogCapture capture;
    const auto expectRefused = [&](const std::optional<Error>& error, const char* read) {
        ASSERT_TRUE(error) << read << " read a damaged file as empty";
        EXPECT_EQ(error->domain, SqlDatabase::errorDomain) << read;
        EXPECT_NE(error->description.find("not a database"), std::string::npos) << read << ": " << error->description;
        EXPECT_TRUE(capture.contains(error->description)) << read;
    };
    expectRefused(readFurnaces().errorIfAny(), "fetchFurnaces");
    expectRefused(readFurnace(1).errorIfAny(), "fetchFurnace");
    expectRefused(readReasons(7).errorIfAny(), "fetchReasons");
    expectRefused(readHeats(7).errorIfAny(), "fetchLast24HoursHeats");
}

// The dates go into the rows as the service wrote them, whatever their form.
TEST_F(DatabaseManagerTest, DelayRowsKeepTheTextsAsReceived)
{
    ASSERT_TRUE(storeDelays(7, {heat(1, "2019-03-07T08:00:00.250+0100", "2019-03-07T09:00:00-06:00",
                                     {delay(1, 11, "2019-03-07T08:01:00Z", "not a date", "late")})}));
    SqlDatabase side(*manager.databasePath());
    ASSERT_TRUE(side.open());
    auto rows = side.executeQuery("SELECT * FROM Delays");
    ASSERT_TRUE(rows);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->stringForColumn("HeatStartDate"), "2019-03-07T08:00:00.250+0100");
    EXPECT_EQ(rows->stringForColumn("HeatEndDate"), "2019-03-07T09:00:00-06:00");
    EXPECT_EQ(rows->stringForColumn("DelayEndDate"), "not a date");
    EXPECT_EQ(rows->intForColumn("FurnaceId"), 7);
    EXPECT_EQ(rows->stringForColumn("Comment"), "late");
    EXPECT_FALSE(rows->next());
}

TEST_F(DatabaseManagerTest, FurnaceListIsReplacedWholeAndHidesDashedNames)
{
    EXPECT_TRUE(storeFurnaces({}));
    EXPECT_TRUE(fetchFurnaces().empty());

    Furnace unmapped = furnace(3, "B furnace");
    unmapped.mapId.reset();
    unmapped.shortName.reset();
    ASSERT_TRUE(storeFurnaces({furnace(1, "C furnace"), furnace(2, "--spare"), unmapped}));
    const auto listed = fetchFurnaces();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0]->name, "B furnace");
    EXPECT_EQ(listed[0]->mapId, 0);
    EXPECT_EQ(listed[0]->shortName, std::nullopt);
    EXPECT_EQ(listed[0]->mapCoordY, 0);
    EXPECT_EQ(listed[1]->id, 1);
    EXPECT_EQ(listed[1]->shortName, "S1");
    EXPECT_EQ(listed[1]->mapCoordX, 6);
    EXPECT_EQ(listed[1]->type, 2);

    const auto hidden = fetchFurnace(2);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->name, "--spare");
    EXPECT_EQ(fetchFurnace(42), nullptr);

    ASSERT_TRUE(storeFurnaces({furnace(4, "D")}));
    ASSERT_EQ(fetchFurnaces().size(), 1u);
    EXPECT_EQ(fetchFurnace(1), nullptr);
}

TEST_F(DatabaseManagerTest, ReasonRowsAreStoredInOrderPerFurnace)
{
    // The tree A(B(C), D), flattened.
    std::vector<Reason> tree{reason(1, std::nullopt, "A"), reason(2, 20, "B", 1), reason(3, 30, "C", 2),
                             reason(4, 40, "D", 1)};
    ASSERT_TRUE(storeReasons(7, tree));
    ASSERT_TRUE(storeReasons(3, {reason(9, 90, "Other")}));

    const auto rows = fetchReasons(7);
    ASSERT_EQ(rows.size(), 4u);
    const std::vector<std::string> names{"A", "B", "C", "D"};
    const std::vector<std::optional<int>> parents{std::nullopt, 1, 2, 1};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->shortDescription, names[i]);
        EXPECT_EQ(rows[i]->parentCategoryId, parents[i]) << names[i];
    }
    EXPECT_EQ(rows[0]->id, std::nullopt);
    EXPECT_EQ(rows[2]->id, 30);
    EXPECT_EQ(rows[2]->description, "C description");
    EXPECT_EQ(rows[2]->colorString, "rgb(1, 2, 3)");

    ASSERT_TRUE(storeReasons(7, {}));
    EXPECT_TRUE(fetchReasons(7).empty());
    EXPECT_EQ(fetchReasons(3).size(), 1u);
}

TEST_F(DatabaseManagerTest, DelaysAreReplacedPerFurnaceAndReadBackInStoredOrder)
{
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "R11"), reason(2, 12, "R12")}));
    ASSERT_TRUE(storeReasons(3, {reason(1, 11, "R11")}));
    ASSERT_TRUE(storeDelays(3, {heat(300, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                     std::vector{delay(1, 11, "2019-03-07T08:10:00Z", "2019-03-07T08:20:00Z")})}));
    ASSERT_TRUE(
        storeDelays(7, {heat(2, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                             std::vector{delay(5, 12, "2019-03-07T08:30:00Z", "2019-03-07T08:40:00Z", "late scrap"),
                                         delay(4, 11, "2019-03-07T08:05:00Z", "2019-03-07T08:10:00Z"),
                                         delay(6, 99, "2019-03-07T08:45:00Z", "2019-03-07T08:50:00Z")}),
                        heat(1, "2019-03-07T07:00:00Z", "2019-03-07T08:00:00Z",
                             std::vector{delay(3, 11, "2019-03-07T07:05:00-01:00", "2019-03-07T07:15:00-01:00")}),
                        heat(8, "2019-03-07T09:00:00Z", "2019-03-07T09:30:00Z", {})}));

    auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 2u);
    EXPECT_EQ(heats[0]->heatId, 2);
    EXPECT_EQ(heats[0]->furnaceId, 7);
    EXPECT_EQ(heats[0]->heatNumber, 20);
    EXPECT_EQ(heats[0]->endDate.text(), "2019-03-07T09:00:00Z");
    ASSERT_EQ(heats[0]->delays->size(), 2u) << "the delay with reason 99 has no reason row";
    const Delay& first = *heats[0]->delays->at(0);
    EXPECT_EQ(first.delayId, 5);
    EXPECT_EQ(first.reasonShortDescription, "R12");
    EXPECT_EQ(first.reasonDescription, "R12 description");
    EXPECT_EQ(first.colorString, "rgb(1, 2, 3)");
    EXPECT_EQ(first.comment, "late scrap");
    EXPECT_EQ(heats[0]->delays->at(1)->comment, std::nullopt);
    EXPECT_EQ(heats[1]->delays->at(0)->startDate.timeZone.offsetSeconds, -3600);
    EXPECT_EQ(fetchHeats(3).size(), 1u);

    ASSERT_TRUE(storeDelays(7, {heat(5, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                     std::vector{delay(1, 11, "2019-03-07T08:01:00Z", "2019-03-07T08:02:00Z")})}));
    heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 1u);
    EXPECT_EQ(heats[0]->heatId, 5);
    ASSERT_EQ(fetchHeats(3).size(), 1u);
    EXPECT_EQ(fetchHeats(3)[0]->heatId, 300);
}

TEST_F(DatabaseManagerTest, AbsentDelayIdReadsAsZero)
{
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "R11")}));
    auto withoutId = delay(0, 11, "2019-03-07T08:01:00Z", "2019-03-07T08:02:00Z");
    withoutId.delayId.reset();
    ASSERT_TRUE(storeDelays(7, {heat(1, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z", std::vector{withoutId})}));
    const auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 1u);
    EXPECT_EQ(heats[0]->delays->at(0)->delayId, 0);
}

// The window is one day back from the newest stored heat end (not from now), both ends included, with
// zoned texts compared in UTC.
TEST_F(DatabaseManagerTest, WindowIsOneDayBackFromTheNewestHeat)
{
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "R11")}));
    const auto oneDelay = [](std::string day) {
        return std::vector{delay(1, 11, day + "T08:00:00Z", day + "T08:10:00Z")};
    };
    ASSERT_TRUE(storeDelays(7, {heat(1, "2019-03-05T08:00:00Z", "2019-03-05T09:59:00Z", oneDelay("2019-03-05")),
                                heat(2, "2019-03-06T08:00:00Z", "2019-03-06T10:00:00Z", oneDelay("2019-03-06")),
                                heat(3, "2019-03-07T08:00:00Z", "2019-03-07T04:00:00-06:00", oneDelay("2019-03-07"))}));
    const auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 2u);
    EXPECT_EQ(heats[0]->heatId, 2);
    EXPECT_EQ(heats[1]->heatId, 3);
}

TEST_F(DatabaseManagerTest, RowsWithUnreadableDatesAreSkipped)
{
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "R11")}));
    ASSERT_TRUE(storeDelays(7, {heat(1, "not a date", "2019-03-07T09:00:00Z",
                                     std::vector{delay(1, 11, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")}),
                                heat(2, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                     std::vector{delay(2, 11, "garbage", "2019-03-07T08:10:00Z"),
                                                 delay(3, 11, "2019-03-07T08:20:00Z", "2019-03-07T08:30:00Z")})}));
    const auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 1u);
    ASSERT_EQ(heats[0]->delays->size(), 1u);
    EXPECT_EQ(heats[0]->delays->at(0)->delayId, 3);
}

// A store that fails half-way leaves the rows of the previous store untouched.
TEST_F(DatabaseManagerTest, FailedInsertRollsTheWholeStoreBack)
{
    ASSERT_TRUE(storeFurnaces({furnace(1, "Kept")}));
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "Kept")}));
    ASSERT_TRUE(storeDelays(7, {heat(1, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                     std::vector{delay(1, 11, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")})}));
    onSideConnection("CREATE TRIGGER noFurnace BEFORE INSERT ON Furnaces WHEN NEW.Id = 13 "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    onSideConnection("CREATE TRIGGER noReason BEFORE INSERT ON Reasons WHEN NEW.CategoryId = 13 "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    onSideConnection("CREATE TRIGGER noDelay BEFORE INSERT ON Delays WHEN NEW.HeatId = 13 "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END");

    ScopedLogCapture capture;
    EXPECT_FALSE(storeFurnaces({furnace(2, "New"), furnace(13, "Bad")}));
    EXPECT_FALSE(storeReasons(7, {reason(2, 12, "New"), reason(13, 13, "Bad")}));
    EXPECT_FALSE(storeDelays(7, {heat(2, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                      std::vector{delay(2, 11, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")}),
                                 heat(13, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                      std::vector{delay(3, 11, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")})}));
    EXPECT_TRUE(capture.contains("Error Storing Reasons: refused"));
    EXPECT_TRUE(capture.contains("Error Storing Delays: refused"));

    ASSERT_EQ(fetchFurnaces().size(), 1u);
    EXPECT_EQ(fetchFurnaces()[0]->name, "Kept");
    ASSERT_EQ(fetchReasons(7).size(), 1u);
    EXPECT_EQ(fetchReasons(7)[0]->shortDescription, "Kept");
    const auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 1u);
    EXPECT_EQ(heats[0]->heatId, 1);
    // The connection is usable again: no transaction was left open.
    EXPECT_TRUE(storeFurnaces({furnace(3, "After")}));
}

TEST_F(DatabaseManagerTest, AFullDiskFailsTheStoreWithItsErrorAndKeepsTheStoredRows)
{
    test::FullDiskVfs disk;
    ASSERT_TRUE(manager.openUserDatabase("jdoe")); // through the full-disk VFS from now on
    const auto stored = [&](int heatId) {
        return await<Result<void>>([&](auto done) {
            manager.storeDelays(7,
                                {heat(heatId, "2019-03-07T08:00:00Z", "2019-03-07T09:00:00Z",
                                      std::vector{delay(heatId, 11, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")})},
                                done);
        });
    };
    ASSERT_TRUE(storeReasons(7, {reason(1, 11, "Kept")}));
    ASSERT_TRUE(stored(1));
    disk.setFull(true);
    const auto error = stored(2).errorIfAny();
    ASSERT_TRUE(error) << "a store that did not reach the disk is a failure";
    EXPECT_NE(error->description.find("full"), std::string::npos) << error->description;
    EXPECT_GT(disk.refusals(), 0);
    disk.setFull(false);
    const auto heats = fetchHeats(7);
    ASSERT_EQ(heats.size(), 1u);
    EXPECT_EQ(heats[0]->heatId, 1);
    EXPECT_TRUE(stored(3)) << "space is back";
}

// A second process (here: a second manager) signing in as the same user must not empty the first one's
// database; it is told who holds the folder instead.
TEST_F(DatabaseManagerTest, ASecondHolderOfTheSameUserIsRefusedBeforeTheDatabaseIsEmptied)
{
    ASSERT_TRUE(storeFurnaces({furnace(1, "EAF 1")}));
    DatabaseManager second{{applicationSupportDirectory.source()}};
    for (const char* spelling : {"jdoe", "JDoe"}) {
        const auto free = second.checkUserFolderFree(spelling);
        ASSERT_FALSE(free);
        EXPECT_TRUE(free.error().is(orv_error::domain, orv_error::signedInElsewhere));
        const auto opened = second.openUserDatabase(spelling);
        ASSERT_FALSE(opened);
        EXPECT_TRUE(opened.error().is(orv_error::domain, orv_error::signedInElsewhere));
        EXPECT_EQ(opened.error().description,
                  fmt::format("JDOE is signed in in another Orvendel process ({}, pid {}). Sign out there first.",
                              FolderLock::currentProgram(), ::getpid()));
    }
    EXPECT_EQ(second.databasePath(), std::nullopt);
    EXPECT_EQ(fetchFurnaces().size(), 1u);

    // Another user is unaffected; the first holder opening again keeps its lock.
    EXPECT_TRUE(second.checkUserFolderFree("asmith"));
    EXPECT_TRUE(second.openUserDatabase("asmith"));
    ASSERT_TRUE(manager.openUserDatabase("jdoe"));
    EXPECT_FALSE(second.holdUserFolder("jdoe"));

    // The session's end frees the folder; holding another user's lets the previous one go.
    manager.releaseUserFolder();
    EXPECT_TRUE(second.holdUserFolder("jdoe"));
    EXPECT_FALSE(manager.openUserDatabase("jdoe"));
    EXPECT_TRUE(manager.openUserDatabase("asmith"));
    second.releaseUserFolder();
    EXPECT_TRUE(manager.openUserDatabase("jdoe"));
}

// Checking leaves a user never signed in here without a folder.
TEST(DatabaseManagerFolderLockTest, CheckingAnUnknownUserCreatesNothing)
{
    test::TestApplicationSupportDirectory applicationSupportDirectory;
    DatabaseManager manager{{applicationSupportDirectory.source()}};
    EXPECT_TRUE(manager.checkUserFolderFree("nobody"));
    const auto folder = applicationSupportDirectory.path() / *Utilities::md5Hex("NOBODY");
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace orvendel
