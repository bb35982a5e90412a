#pragma once

#include "core/storage/user_folder.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>

namespace orvendel::test {

// A data folder of one test's own (not yet created), handed to the managers it builds.
class TestApplicationSupportDirectory {
public:
    std::filesystem::path path() const { return m_folder.path() / "data"; }
    ApplicationSupportDirectory source() const
    {
        return [path = path()] { return std::optional(path); };
    }

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
