#pragma once

#include "core/screens/geometry.hpp"
#include "support/heat_records.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens::testing {

using test::at;
using test::delay;
using test::heat;

// Geometry computed through shares of a total is compared to a tolerance.
inline void expectRect(const Rect& actual, const Rect& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.width, expected.width, 1e-9);
    EXPECT_NEAR(actual.height, expected.height, 1e-9);
}

} // namespace orvendel::screens::testing
