#pragma once

#include "core/platform/app_paths.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>

namespace orvendel::test {

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
