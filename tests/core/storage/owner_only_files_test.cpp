#include "core/model/utilities.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/sql/sql_database.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

// A user's folder and files are the user's alone, whatever umask the process runs under.
namespace orvendel {
namespace {

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_previous); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_previous;
};

class OwnerOnlyFilesTest : public ::testing::Test {
protected:
    test::TempFolder temp;
    std::filesystem::path support = temp.path() / "support";
    ApplicationSupportDirectory source = [this] { return std::optional(support); };
    std::filesystem::path userFolder = support / *Utilities::md5Hex("JDOE");
};

TEST_F(OwnerOnlyFilesTest, ASignedInUsersFoldersAndFilesAreOwnerOnly)
{
    const ScopedUmask permissive(0);
    DatabaseManager database({source});
    UserConfigurationManager configuration({source});
    ASSERT_TRUE(database.openUserDatabase("jdoe"));
    ASSERT_TRUE(configuration.createConfigurationFile("jdoe"));
    ASSERT_TRUE(configuration.loadConfiguration("jdoe"));
    configuration.setSelectedFurnaceId(3);
    ASSERT_TRUE(configuration.saveConfiguration());

    // A write-ahead-logged database beside them, as the journal of unsaved edits is.
    const auto journalPath = userFolder / "journal.sqlite";
    SqlDatabase journal(journalPath.string());
    ASSERT_TRUE(journal.open(SqlDatabase::SymbolicLinks::refuse));
    auto walMode = journal.executeQuery("PRAGMA journal_mode=WAL");
    ASSERT_TRUE(walMode && walMode->next());
    EXPECT_EQ(walMode->stringForColumnIndex(0), "wal");
    walMode->close();
    ASSERT_TRUE(journal.executeUpdate("CREATE TABLE t (a TEXT)"));
    ASSERT_TRUE(journal.executeUpdate("INSERT INTO t VALUES ('unsaved comment')"));

    EXPECT_EQ(test::modeOf(support), 0700u);
    EXPECT_EQ(test::modeOf(userFolder), 0700u);
    EXPECT_EQ(test::modeOf(userFolder / "dbData.sqlite"), 0600u);
    EXPECT_EQ(test::modeOf(userFolder / "Configuration.plist"), 0600u);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        EXPECT_EQ(test::modeOf(journalPath.string() + suffix), 0600u) << suffix;
    }
    ASSERT_TRUE(journal.close());
    database.closeDatabase();
}

TEST_F(OwnerOnlyFilesTest, FilesLeftWideByAnEarlierVersionAreNarrowed)
{
    std::filesystem::create_directories(userFolder);
    std::filesystem::permissions(userFolder, std::filesystem::perms(0755));
    {
        UserConfigurationManager writer({source});
        ASSERT_TRUE(writer.createConfigurationFile("jdoe"));
    }
    std::filesystem::permissions(userFolder / "Configuration.plist", std::filesystem::perms(0644));

    DatabaseManager database({source});
    UserConfigurationManager configuration({source});
    ASSERT_TRUE(database.openUserDatabase("jdoe"));
    ASSERT_TRUE(configuration.loadConfiguration("jdoe"));
    EXPECT_EQ(test::modeOf(userFolder), 0700u);
    EXPECT_EQ(test::modeOf(userFolder / "Configuration.plist"), 0600u);
    database.closeDatabase();
}

} // namespace
} // namespace orvendel
