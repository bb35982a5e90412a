#include "support/service_client.hpp"
#include "support/service_process.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace orvendel::testing {
namespace {

namespace fs = std::filesystem;

// Sets or clears the immutable attribute (chattr +i / -i); false where that is not allowed.
bool setImmutable(const fs::path& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Written back first: a clean page the service has mapped faults on its next write, as it would once the
    // kernel flushed it by itself.
    ::fsync(fd);
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Takes the attribute away again however the test ends, so the temporary folder can be removed.
struct ImmutableFiles {
    std::vector<fs::path> paths;
    ~ImmutableFiles()
    {
        for (const auto& path : paths) {
            setImmutable(path, false);
        }
    }
};

// Each test runs its own service on a database file in a fresh folder.
class DatabaseFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_service = std::make_unique<ServiceProcess>(ServiceProcessOptions{.extraArguments = {"--db", database()}});
        ASSERT_TRUE(m_service->running()) << m_service->logText();
        m_client = std::make_unique<ServiceClient>(m_service->port());
        ASSERT_TRUE(m_client->signIn());
    }

    std::string database() const { return (m_folder.path() / "plant.sqlite").string(); }

    Result<wire::DelaysDownloaderResult> heats()
    {
        wire::DelaysRequestBody body{m_client->common(1), {"2000-01-01T00:00:00Z", true}};
        return m_client->call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
    }

    // Saves a new comment on a delay of the newest heat.
    Result<wire::SaveDelaysResult> saveComment(const std::string& comment)
    {
        const auto list = heats();
        if (!list || !list->data || list->data->empty() || !list->data->back().delays ||
            list->data->back().delays->empty()) {
            ADD_FAILURE() << "no heat with delays";
            return Error{wire::decodeErrorDomain, wire::decode_error::failure, "no heat"};
        }
        const auto& heat = list->data->back();
        auto delay = heat.delays->front();
        delay.comment = comment;
        wire::SaveDelaysRequestBody body{m_client->common(1), {heat.heatId, {delay}}};
        return m_client->call<wire::SaveDelaysResult>("SaveDelays", body);
    }

    static int errorCode(const ResultInformation& info) { return info.error ? info.error->code : 0; }

    bool furnacesAnswered()
    {
        auto reply = m_client->call<wire::FurnacesDownloaderResult>("FurnacesList",
                                                                    wire::FurnacesRequestBody{m_client->common()});
        return reply && reply->resultInformation.success;
    }

    test::TempFolder m_folder;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ServiceClient> m_client;
};

TEST_F(DatabaseFilesTest, ImmutableDatabaseFilesGiveErrorRepliesNotACrash)
{
    ImmutableFiles immutable;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const fs::path path = database() + suffix;
        if (!fs::exists(path)) {
            continue;
        }
        if (!setImmutable(path, true)) {
            GTEST_SKIP() << "cannot make " << path << " immutable (needs root and a filesystem with attributes)";
        }
        immutable.paths.push_back(path);
    }
    ASSERT_FALSE(immutable.paths.empty());

    for (int round = 0; round < 3; ++round) {
        const auto read = heats();
        ASSERT_TRUE(read) << read.error().description << "\n" << m_service->logText();
        const auto saved = saveComment("held up by the crane " + std::to_string(round));
        ASSERT_TRUE(saved) << saved.error().description << "\n" << m_service->logText();
        EXPECT_EQ(errorCode(saved->resultInformation), 9);
    }
    EXPECT_TRUE(furnacesAnswered());
    EXPECT_EQ(m_service->stop(), std::optional<int>(0)) << m_service->logText();
}

TEST_F(DatabaseFilesTest, SaveIsRefusedOnceTheDatabaseFileIsDeleted)
{
    ASSERT_TRUE(saveComment("before"));
    ASSERT_TRUE(fs::remove(database()));

    const auto saved = saveComment("after");
    ASSERT_TRUE(saved) << saved.error().description;
    EXPECT_EQ(errorCode(saved->resultInformation), 9);
    EXPECT_NE(m_service->logText().find("was deleted or replaced"), std::string::npos) << m_service->logText();
    const auto read = heats();
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->resultInformation.success);
    EXPECT_TRUE(furnacesAnswered());
}

TEST(DatabaseOnASmallDiskTest, ServiceDoesNotStartWithoutRoomForItsDemoData)
{
    test::TempFolder folder;
    const std::string database = (folder.path() / "plant.sqlite").string();
    // Room for the tables and the furnaces, not for two days of heats.
    ServiceProcess service({.extraArguments = {"--db", database}, .fileSizeLimit = 96 * 1024});
    EXPECT_FALSE(service.running());
    service.stop();
    ASSERT_TRUE(service.exitStatus()) << service.logText();
    EXPECT_NE(*service.exitStatus(), 0);
    const std::string line = "orvendel-delay-service: cannot write the demo data to " + database + ": ";
    const auto at = service.logText().find(line);
    ASSERT_NE(at, std::string::npos) << service.logText();
    // SQLite's own reason for the failed write, not what it says after the rollback that followed.
    const auto end = service.logText().find('\n', at);
    const std::string reason = service.logText().substr(at + line.size(), end - at - line.size());
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason, "not an error");
}

TEST(DatabaseStartTest, ServiceWithoutAPlaceForItsDatabaseSaysWhy)
{
    test::TempFolder folder;
    const std::string database = (folder.path() / "missing" / "plant.sqlite").string();
    ServiceProcess service({.extraArguments = {"--db", database}});
    EXPECT_FALSE(service.running());
    service.stop();
    ASSERT_TRUE(service.exitStatus()) << service.logText();
    EXPECT_NE(*service.exitStatus(), 0);
    EXPECT_NE(service.logText().find("orvendel-delay-service: cannot open database " + database +
                                     ": unable to open database file"),
              std::string::npos)
        << service.logText();
}

} // namespace
} // namespace orvendel::testing
