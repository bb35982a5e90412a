#include "core/support/log.hpp"

#include <gtest/gtest.h>

namespace {

// The managers and the edit store trace every step; keep the test output readable. Tests that check traces
// capture them. Linked into a suite as an object library, so that nothing has to refer to it.
class QuietLog : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_previous = orvendel::setLogSink([](std::string_view) {});
    }
    void TearDown() override { orvendel::setLogSink(std::move(m_previous)); }

private:
    orvendel::LogSink m_previous;
};

[[maybe_unused]] auto* const quietLog = ::testing::AddGlobalTestEnvironment(new QuietLog);

} // namespace
