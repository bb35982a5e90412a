#pragma once

#include "core/platform/app_paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <string>

namespace orvendel::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvendel-storage-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Points the application's data folder at a temporary folder for one test.
class ScopedDataDirectory {
public:
    ScopedDataDirectory() { AppPaths::setDataDirectoryOverride(m_folder.path() / "data"); }
    ~ScopedDataDirectory() { AppPaths::setDataDirectoryOverride(std::nullopt); }

    std::filesystem::path path() const { return m_folder.path() / "data"; }

private:
    TempFolder m_folder;
};

// Runs an asynchronous operation and waits for the value its completion delivers.
template <typename Result, typename Start>
Result await(Start start)
{
    std::promise<Result> promise;
    auto future = promise.get_future();
    start([&promise](Result result) { promise.set_value(std::move(result)); });
    return future.get();
}

} // namespace orvendel::test
