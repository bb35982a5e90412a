#include "core/platform/folder_lock.hpp"
#include "core/platform/local_files.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace orvendel {
namespace {

FolderLock acquired(const std::filesystem::path& folder, const std::string& program = "first")
{
    auto lock = FolderLock::acquire(folder, program);
    EXPECT_TRUE(lock);
    return lock ? std::move(lock).value() : FolderLock();
}

// How the refusal names the holder; none when the lock was not refused as held.
std::optional<std::string> holderOf(const std::filesystem::path& folder)
{
    const auto lock = FolderLock::acquire(folder, "second");
    if (lock || !lock.error().is(folder_lock_error::domain, folder_lock_error::held)) {
        return std::nullopt;
    }
    return lock.error().description;
}

TEST(FolderLockTest, ASecondLockOnTheSameFolderIsRefusedAndNamesTheHolderUntilReleased)
{
    test::TempFolder folder;
    auto lock = acquired(folder.path(), "orvendel-cli");
    ASSERT_TRUE(lock.isHeld());

    // The same process counts as anyone else: two sessions of one process must not share the folder either.
    EXPECT_EQ(holderOf(folder.path()),
              "another Orvendel process (orvendel-cli, pid " + std::to_string(::getpid()) + ")");

    lock.release();
    EXPECT_FALSE(lock.isHeld());
    EXPECT_TRUE(acquired(folder.path()).isHeld());
    // A released lock leaves no holder named.
    EXPECT_EQ(test::readText(folder.path() / FolderLock::fileName), "");
}

TEST(FolderLockTest, OtherFoldersAreUnaffected)
{
    test::TempFolder first;
    test::TempFolder second;
    auto lock = acquired(first.path());
    EXPECT_TRUE(acquired(second.path()).isHeld());
    EXPECT_TRUE(lock.isHeld());
}

TEST(FolderLockTest, TheLockOfAKilledHolderNeverBlocks)
{
    test::TempFolder folder;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto lock = FolderLock::acquire(folder.path(), "holder");
        const char held = lock ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(held, 'y');
    EXPECT_EQ(holderOf(folder.path()), "another Orvendel process (holder, pid " + std::to_string(child) + ")");

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    // The dead holder's line is still in the file; the lock is not.
    EXPECT_TRUE(acquired(folder.path()).isHeld());
}

TEST(FolderLockTest, AHolderLineCutShortNamesNoOne)
{
    test::TempFolder folder;
    auto lock = acquired(folder.path());
    {
        std::ofstream file(folder.path() / FolderLock::fileName, std::ios::trunc);
        file << "12";
    }
    EXPECT_EQ(holderOf(folder.path()), "another Orvendel process");
}

TEST(FolderLockTest, DeletingOrReplacingTheLockFileLetsNoSecondHolderIn)
{
    test::TempFolder folder;
    auto lock = acquired(folder.path());
    const auto file = folder.path() / FolderLock::fileName;
    std::filesystem::remove(file);
    EXPECT_TRUE(holderOf(folder.path())) << "the lock file was deleted";
    std::ofstream(file) << "1 impostor\n";
    EXPECT_TRUE(holderOf(folder.path())) << "the lock file was replaced";
    lock.release();
    EXPECT_TRUE(acquired(folder.path()).isHeld());
}

TEST(FolderLockTest, ALinkInPlaceOfTheFolderOrTheLockFileIsRefused)
{
    test::TempFolder folder;
    const auto target = folder.path() / "target";
    std::filesystem::create_directory(target);
    std::filesystem::create_directory_symlink(target, folder.path() / "linked");
    auto linked = FolderLock::acquire(folder.path() / "linked", "program");
    ASSERT_FALSE(linked);
    EXPECT_TRUE(linked.error().is(local_file_error::domain, local_file_error::symbolicLink));
    EXPECT_TRUE(std::filesystem::is_empty(target)) << "nothing is made through the link";

    std::filesystem::create_symlink(folder.path() / "elsewhere", target / FolderLock::fileName);
    auto outcome = FolderLock::acquire(target, "program");
    ASSERT_FALSE(outcome);
    EXPECT_TRUE(outcome.error().is(local_file_error::domain, local_file_error::symbolicLink));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "elsewhere"));
}

} // namespace
} // namespace orvendel
