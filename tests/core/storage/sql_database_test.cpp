#include "core/storage/sql/sql_database.hpp"
#include "core/storage/sql/sql_transaction.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace orvendel {
namespace {

class SqlDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(db.executeUpdate("CREATE TABLE t (a INTEGER, b TEXT, c REAL)"));
    }

    int rowCount(SqlDatabase& database)
    {
        auto rows = database.executeQuery("SELECT count(*) AS n FROM t");
        return rows && rows->next() ? rows->intForColumn("n") : -1;
    }

    test::TempFolder folder;
    std::string path = (folder.path() / "test.sqlite").string();
    SqlDatabase db{path};
};

TEST_F(SqlDatabaseTest, WrongArgumentCountFailsBeforeStepping)
{
    ScopedLogCapture capture;
    auto update = db.executeUpdate("INSERT INTO t VALUES (?,?,?)", {1, "x"});
    ASSERT_FALSE(update);
    EXPECT_EQ(update.error().description,
              "Error: the bind count (2) is not correct for the # of variables in the query (3) "
              "(INSERT INTO t VALUES (?,?,?)) (executeUpdate)");
    EXPECT_TRUE(capture.contains("the bind count (2) is not correct"));
    // Surplus arguments are refused as well.
    EXPECT_FALSE(db.executeUpdate("INSERT INTO t VALUES (?,?,?)", {1, "x", 2.0, 4}));
    auto query = db.executeQuery("SELECT * FROM t WHERE a = ?", {});
    ASSERT_FALSE(query);
    EXPECT_EQ(query.error().description, "Error: the bind count is not correct for the # of variables (executeQuery)");
    EXPECT_EQ(rowCount(db), 0);
    EXPECT_FALSE(db.inUse());
}

TEST_F(SqlDatabaseTest, StatementFailuresReportSqliteMessages)
{
    ScopedLogCapture capture;
    ASSERT_TRUE(db.executeUpdate("INSERT INTO t VALUES (1, 'one', 1.5)"));
    EXPECT_FALSE(db.executeUpdate("SELECT * FROM t"));
    EXPECT_TRUE(capture.contains("A executeUpdate is being called with a query string 'SELECT * FROM t'"));

    auto missingTable = db.executeUpdate("INSERT INTO nowhere VALUES (1)");
    ASSERT_FALSE(missingTable);
    EXPECT_EQ(missingTable.error().description, "no such table: nowhere");
    EXPECT_EQ(missingTable.error().domain, SqlDatabase::errorDomain);
    EXPECT_TRUE(capture.contains("DB Query: INSERT INTO nowhere VALUES (1)"));

    ASSERT_TRUE(db.executeUpdate("CREATE TABLE u (x INTEGER NOT NULL)"));
    auto constraint = db.executeUpdate("INSERT INTO u VALUES (?)", {nullptr});
    ASSERT_FALSE(constraint);
    EXPECT_EQ(constraint.error().description, "NOT NULL constraint failed: u.x");
    EXPECT_TRUE(capture.contains("Unknown error calling sqlite3_step (19: "));

    SqlDatabase closed{path};
    EXPECT_FALSE(closed.executeUpdate("DELETE FROM t"));
    EXPECT_FALSE(closed.executeQuery("SELECT * FROM t"));
    EXPECT_TRUE(capture.contains("The SqlDatabase " + path + " is not open."));
}

TEST_F(SqlDatabaseTest, ColumnsAreFoundWithoutRegardToCase)
{
    ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {42, std::optional<std::string>{}}));
    ScopedLogCapture capture;
    auto rows = db.executeQuery("SELECT a AS FurnaceId, b FROM t");
    ASSERT_TRUE(rows);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->intForColumn("furnaceid"), 42);
    EXPECT_EQ(rows->intForColumn("FURNACEID"), 42);
    EXPECT_EQ(rows->columnIndexForName("FurnaceId"), 0);
    EXPECT_TRUE(rows->columnIsNull("B"));
    EXPECT_EQ(rows->stringForColumn("b"), std::nullopt);
    EXPECT_TRUE(capture.lines().empty());

    EXPECT_EQ(rows->intForColumn("Missing"), 0);
    EXPECT_EQ(rows->stringForColumn("Missing"), std::nullopt);
    EXPECT_EQ(rows->columnIndexForName("Missing"), -1);
    EXPECT_TRUE(capture.contains("Warning: I could not find the column named 'Missing'."));
    EXPECT_EQ(rows->intForColumnIndex(0), 42);
    EXPECT_EQ(rows->textForColumnIndex(0), "42");
    EXPECT_EQ(rows->intForColumnIndex(7), 0);
    EXPECT_EQ(rows->textForColumnIndex(-1), std::nullopt);
    EXPECT_TRUE(rows->columnIndexIsNull(2));
    EXPECT_FALSE(rows->next());
    EXPECT_TRUE(rows->isClosed());
}

TEST_F(SqlDatabaseTest, ValuesAreBoundByKind)
{
    const auto date = Instant{} + std::chrono::seconds(1552000000) + std::chrono::milliseconds(500);
    auto rows =
        db.executeQuery("SELECT typeof(?) AS t1, typeof(?) AS t2, typeof(?) AS t3, typeof(?) AS t4, typeof(?) AS t5, "
                        "typeof(?) AS t6, typeof(?) AS t7, ? AS big, ? AS flag, ? AS secs, ? AS txt, length(?) AS len",
                        {nullptr, std::int8_t{3}, 2.5f, SqlBlob{}, date, "text", std::optional<int>{},
                         std::int64_t{1} << 40, true, date, std::string("é"), SqlBlob{1, 2, 3}});
    ASSERT_TRUE(rows && rows->next());
    EXPECT_EQ(rows->stringForColumn("t1"), "null");
    EXPECT_EQ(rows->stringForColumn("t2"), "integer");
    EXPECT_EQ(rows->stringForColumn("t3"), "real");
    EXPECT_EQ(rows->stringForColumn("t4"), "blob");
    EXPECT_EQ(rows->stringForColumn("t5"), "real");
    EXPECT_EQ(rows->stringForColumn("t6"), "text");
    EXPECT_EQ(rows->stringForColumn("t7"), "null");
    EXPECT_EQ(rows->stringForColumn("big"), "1099511627776");
    EXPECT_EQ(rows->intForColumn("flag"), 1);
    EXPECT_EQ(rows->stringForColumn("secs"), "1552000000.5");
    EXPECT_EQ(rows->stringForColumn("txt"), "é");
    EXPECT_EQ(rows->intForColumn("len"), 3);
}

TEST_F(SqlDatabaseTest, TransactionGuardRollsBackUnlessCommitted)
{
    {
        SqlTransaction transaction(db);
        ASSERT_TRUE(transaction.isActive());
        EXPECT_TRUE(db.isInTransaction());
        ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a) VALUES (1)"));
    }
    EXPECT_FALSE(db.isInTransaction());
    EXPECT_EQ(rowCount(db), 0);
    {
        SqlTransaction transaction(db);
        ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a) VALUES (2)"));
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(rowCount(db), 1);
}

TEST_F(SqlDatabaseTest, CachedStatementsAreResetBetweenCalls)
{
    db.setShouldCacheStatements(true);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {i, i == 1 ? SqlValue() : SqlValue("v")}));
    }
    EXPECT_FALSE(db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {9}));
    auto rows = db.executeQuery("SELECT count(*) AS n, count(b) AS withText, sum(a) AS total FROM t");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_EQ(rows->intForColumn("n"), 3);
    EXPECT_EQ(rows->intForColumn("withText"), 2);
    EXPECT_EQ(rows->intForColumn("total"), 3);
}

TEST_F(SqlDatabaseTest, CloseFinalizesOpenResultSets)
{
    ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a) VALUES (1), (2)"));
    auto rows = db.executeQuery("SELECT a FROM t");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_TRUE(db.close());
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(rows->next());
    EXPECT_EQ(rows->intForColumn("a"), 0);
    // Reopening works on the same object.
    ASSERT_TRUE(db.open());
    EXPECT_EQ(rowCount(db), 2);
}

// A value SQLite refuses to bind must fail the statement, not run it with NULL in its place.
TEST_F(SqlDatabaseTest, RefusedBindingsFailTheStatement)
{
    ScopedLogCapture capture;
    sqlite3_limit(db.sqliteHandle(), SQLITE_LIMIT_LENGTH, 16);
    const std::string tooLong(64, 'x');
    auto update = db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {1, tooLong});
    ASSERT_FALSE(update);
    EXPECT_EQ(update.error().code, SQLITE_TOOBIG);
    EXPECT_TRUE(capture.contains("Error binding argument 2"));
    EXPECT_FALSE(db.executeQuery("SELECT ? AS v", {SqlBlob(64, 1)}));
    EXPECT_FALSE(db.inUse());

    db.setShouldCacheStatements(true); // a cached statement is reset, not left half bound
    EXPECT_FALSE(db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {2, tooLong}));
    EXPECT_TRUE(db.executeUpdate("INSERT INTO t (a, b) VALUES (?, ?)", {3, "short"}));
    EXPECT_EQ(rowCount(db), 1);
}

// A statement run once per row must never carry a value over from the previous row or run with NULL in
// place of a refused one, and must be usable again after a failed run.
TEST_F(SqlDatabaseTest, PreparedUpdateRunsEveryRowWithItsOwnValues)
{
    // Texts are not copied: they live as long as the rows they go into.
    const std::optional<std::string> one("one");
    const std::optional<std::string> none;
    auto insert = db.prepareUpdate("INSERT INTO t (a, b) VALUES (?, ?)");
    ASSERT_TRUE(insert);
    insert->bind(1, 1);
    insert->bind(2, one);
    ASSERT_TRUE(insert->execute());

    ScopedLogCapture capture;
    insert->bind(1, 2); // the text of row 1 must not be reused
    const auto partial = insert->execute();
    ASSERT_FALSE(partial);
    EXPECT_EQ(partial.error().code, SQLITE_RANGE);

    sqlite3_limit(db.sqliteHandle(), SQLITE_LIMIT_LENGTH, 16);
    const std::string tooLong(64, 'x');
    insert->bind(1, 3);
    insert->bind(2, tooLong);
    const auto refused = insert->execute();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, SQLITE_TOOBIG);
    EXPECT_TRUE(capture.contains("Error binding argument 2"));

    insert->bind(1, 4);
    insert->bind(2, none);
    ASSERT_TRUE(insert->execute());
    auto rows = db.executeQuery("SELECT count(*) AS n, count(b) AS withText, sum(a) AS total FROM t");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_EQ(rows->intForColumn("n"), 2);
    EXPECT_EQ(rows->intForColumn("withText"), 1);
    EXPECT_EQ(rows->intForColumn("total"), 5);
    rows->close();

    ASSERT_TRUE(db.close());
    insert->bind(1, 5);
    insert->bind(2, std::string_view("late"));
    EXPECT_FALSE(insert->execute()) << "a statement of a closed connection ran";
}

TEST_F(SqlDatabaseTest, CloseReportsAConnectionStillInUse)
{
    ASSERT_TRUE(db.executeUpdate("INSERT INTO t (a) VALUES (1)"));
    // An unfinished backup reading from the connection keeps SQLite from closing it.
    sqlite3* copy = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &copy), SQLITE_OK);
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db.sqliteHandle(), "main");
    ASSERT_NE(backup, nullptr);
    ScopedLogCapture capture;
    auto closed = db.close();
    ASSERT_FALSE(closed);
    EXPECT_EQ(closed.error().code, SQLITE_BUSY);
    EXPECT_TRUE(capture.contains("error closing!: 5"));
    // Let go all the same: the connection goes with the backup, and the object can open anew.
    EXPECT_FALSE(db.isOpen());
    sqlite3_backup_finish(backup);
    sqlite3_close(copy);
    ASSERT_TRUE(db.open());
    EXPECT_EQ(rowCount(db), 1);
    EXPECT_TRUE(db.close());
}

// A second connection holding an exclusive transaction keeps ours waiting until the 2-second budget is
// spent, in sleeps of 50 to 99 ms; a fake clock lets the test see every sleep without waiting.
TEST_F(SqlDatabaseTest, BusyDatabaseIsRetriedForTwoSecondsThenFails)
{
    SqlDatabase holder{path};
    ASSERT_TRUE(holder.open());
    ASSERT_TRUE(holder.beginTransaction());

    SqlDatabase waiter{path};
    auto fakeNow = std::chrono::steady_clock::time_point{};
    std::vector<int> sleeps;
    waiter.setBusyHooksForTesting({[&] { return fakeNow; },
                                   [&](int ms) {
                                       sleeps.push_back(ms);
                                       fakeNow += std::chrono::milliseconds(ms);
                                       return ms;
                                   }});
    ASSERT_TRUE(waiter.open());
    ScopedLogCapture capture;
    EXPECT_FALSE(waiter.beginTransaction());
    EXPECT_FALSE(waiter.isInTransaction());
    ASSERT_FALSE(sleeps.empty());
    int total = 0;
    for (int ms : sleeps) {
        EXPECT_GE(ms, 50);
        EXPECT_LE(ms, 99);
        total += ms;
    }
    EXPECT_GE(total, 2000);
    EXPECT_LT(total - sleeps.back(), 2000);
    EXPECT_TRUE(capture.contains("database is locked"));

    // Once the holder commits, the same connection gets its transaction.
    ASSERT_TRUE(holder.commit());
    EXPECT_TRUE(waiter.beginTransaction());
    EXPECT_TRUE(waiter.rollback());
}

TEST_F(SqlDatabaseTest, BusyWaitWithRealSleepsGivesUp)
{
    SqlDatabase holder{path};
    ASSERT_TRUE(holder.open());
    ASSERT_TRUE(holder.beginTransaction());
    SqlDatabase waiter{path};
    waiter.setMaxBusyRetryTimeInterval(0.2);
    ASSERT_TRUE(waiter.open());
    ScopedLogCapture capture;
    EXPECT_FALSE(waiter.beginTransaction());
    EXPECT_FALSE(capture.contains("WARNING: Requested sleep"));
}

} // namespace
} // namespace orvendel
