#include "core/platform/app_paths.hpp"
#include "core/platform/atomic_file.hpp"
#include "core/platform/local_files.hpp"
#include "core/support/log.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvendel {
namespace {

namespace fs = std::filesystem;
using test::readText;

// What `attempt` answers where this account has no permission. Root has every permission, so as root the attempt
// runs in a child process under nobody's account.
std::string withoutPermission(const std::function<std::string()>& attempt)
{
    if (::geteuid() != 0) {
        return attempt();
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        constexpr uid_t nobody = 65534;
        const std::string text = ::setgid(nobody) == 0 && ::setuid(nobody) == 0 ? attempt() : "still root";
        (void)!::write(ends[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string text;
    char buffer[256];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    ::waitpid(child, nullptr, 0);
    return text;
}

class LocalFilesTest : public ::testing::Test {
protected:
    LocalFilesTest()
    {
        std::ofstream(target) << "not ours";
        ::chmod(target.c_str(), 0640);
    }

    void expectTargetUntouched()
    {
        ASSERT_TRUE(fs::is_regular_file(target));
        EXPECT_EQ(readText(target), "not ours");
        EXPECT_EQ(fs::status(target).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }

    test::TempFolder folder;
    const fs::path root = folder.path();
    const fs::path target = root / "target";
};

TEST_F(LocalFilesTest, ReadsAreCappedAndOnlyOfRegularFiles)
{
    std::ofstream(root / "eight") << "12345678";
    auto read = LocalFiles::readRegularFile(root / "eight", 8);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, "12345678");
    EXPECT_EQ(LocalFiles::readRegularFile(root / "eight", 7).error().code, local_file_error::tooLarge);
    EXPECT_EQ(LocalFiles::readRegularFile(root / "none", 8).error().code, local_file_error::missing);
    EXPECT_EQ(LocalFiles::readRegularFile(root, 8).error().code, local_file_error::wrongKind);
    // A pipe would block a plain open until someone writes to it.
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(LocalFiles::readRegularFile(root / "pipe", 8).error().code, local_file_error::wrongKind);
}

TEST_F(LocalFilesTest, ALinkIsRefusedWithOneLineAndNeitherReadWrittenNorReplaced)
{
    const auto link = root / "link";
    fs::create_symlink(target, link);
    const auto countLines = [&](const ScopedLogCapture& capture) {
        int count = 0;
        for (const auto& line : capture.lines()) {
            count += line.find(link.string()) != std::string::npos ? 1 : 0;
        }
        return count;
    };

    {
        ScopedLogCapture capture;
        const auto read = LocalFiles::readRegularFile(link, 1024, 0600);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, local_file_error::symbolicLink);
        EXPECT_EQ(countLines(capture), 1);
    }
    {
        ScopedLogCapture capture;
        EXPECT_EQ(LocalFiles::writeRegularFile(link, "replaced", 0600).error().code, local_file_error::symbolicLink);
        EXPECT_EQ(LocalFiles::createRegularFile(link, 0600).error().code, local_file_error::symbolicLink);
        EXPECT_EQ(LocalFiles::ensureRealFolder(link, 0700).error().code, local_file_error::symbolicLink);
        EXPECT_EQ(countLines(capture), 3);
    }
    {
        ScopedLogCapture capture;
        const auto written = AtomicFile::write(link, "replaced", 0600);
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error().code, local_file_error::symbolicLink);
        EXPECT_NE(written.error().description.find("symbolic link"), std::string::npos);
        EXPECT_EQ(countLines(capture), 1);
    }
    expectTargetUntouched();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2) << "no temporary left";

    // A link to a folder is no folder of ours either, and keeps its mode.
    const auto folder = root / "folder";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    fs::create_directory_symlink(folder, root / "folder-link");
    EXPECT_EQ(LocalFiles::ensureRealFolder(root / "folder-link", 0700).error().code, local_file_error::symbolicLink);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// Only something that is no folder is "not a folder": a folder this account may not open says so.
TEST_F(LocalFilesTest, AFolderThatCannotBeOpenedSaysWhy)
{
    EXPECT_EQ(LocalFiles::ensureRealFolder(target).error().description, target.string() + " is not a folder");

    const auto closed = root / "closed";
    fs::create_directory(closed);
    fs::permissions(closed, fs::perms::none);
    fs::permissions(root, fs::perms::others_exec, fs::perm_options::add);
    const auto refusal = withoutPermission([&] {
        const auto ensured = LocalFiles::ensureRealFolder(closed, 0700);
        return ensured ? std::string("opened") : ensured.error().description;
    });
    EXPECT_EQ(refusal, "Cannot open " + closed.string() + ": Permission denied");
}

TEST_F(LocalFilesTest, AnAtomicWriteReplacesWholeOrSaysWhyNot)
{
    ASSERT_TRUE(AtomicFile::write(target, "new", 0600));
    EXPECT_EQ(readText(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    // Each failure names the step and the system's reason, and leaves no temporary file behind.
    const auto missingFolder = AtomicFile::write(root / "missing" / "file", "x", 0600);
    ASSERT_FALSE(missingFolder);
    EXPECT_EQ(missingFolder.error().description,
              "Cannot create a temporary file in " + (root / "missing").string() + ": No such file or directory");

    const auto folderInTheWay = root / "folder";
    fs::create_directories(folderInTheWay / "inside");
    const auto overFolder = AtomicFile::write(folderInTheWay, "x", 0600);
    ASSERT_FALSE(overFolder);
    EXPECT_EQ(overFolder.error().domain, local_file_error::domain);
    EXPECT_EQ(overFolder.error().description, "Cannot replace " + folderInTheWay.string() + ": Is a directory");

    const auto stopped = AtomicFile::write(target, "never", 0600, [](const fs::path&) { return false; });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().description, "Stopped before replacing " + target.string());
    EXPECT_EQ(readText(target), "new");
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        entries += entry.path().filename().string().starts_with(".target") ? 0 : 1;
    }
    EXPECT_EQ(entries, 2u) << "the temporary files of the failed replacements are gone";
}

TEST_F(LocalFilesTest, TheBackupTagIsWrittenInPlaceButNeverThroughALink)
{
    ASSERT_TRUE(AppPaths::markExcludedFromBackup(root));
    EXPECT_EQ(readText(root / "CACHEDIR.TAG").rfind("Signature: 8a477f597d28d172789f06886806bc55\n", 0), 0u);

    fs::remove(root / "CACHEDIR.TAG");
    fs::create_symlink(target, root / "CACHEDIR.TAG");
    ScopedLogCapture capture;
    EXPECT_FALSE(AppPaths::markExcludedFromBackup(root));
    EXPECT_TRUE(capture.contains((root / "CACHEDIR.TAG").string()));
    expectTargetUntouched();
    EXPECT_TRUE(fs::is_symlink(root / "CACHEDIR.TAG"));
}

} // namespace
} // namespace orvendel
