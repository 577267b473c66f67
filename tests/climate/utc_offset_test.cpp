// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/utc_offset.h"

#include "climate/locale_conversions.h"

#include "tests/support/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelk {
namespace {

TEST(utc_offset, one_or_two_hours_ahead_across_midnight_and_nothing_else) {
    constexpr std::time_t kAt2230 = 1204756200, kAt235959 = 1204761599; // UTC, 5 March 2008
    const std::tuple<const char *, std::time_t, int, const char *> cases[] = {
        {"XXX-1", kAt2230, 1, "20080305233000"},   {"XXX-2", kAt2230, 2, "20080306003000"},
        {"XXX+0", kAt2230, 0, "20080305223000"},   {"XXX+5", kAt2230, 0, "20080305173000"},
        {"XXX-1", kAt235959, 1, "20080306005959"}, {"XXX-2", kAt235959, 2, "20080306015959"},
        {"XXX-3", kAt235959, 0, "20080306025959"}, {"XXX-1:30", kAt2230, 2, "20080306000000"}};
    for (const auto &[zone, instant, offset, localKey] : cases) {
        testing::SetEnvironment("TZ", zone);
        auto tables = std::make_unique<ProgramTables>();
        DetectUtcOffset(*tables, ReadClock(instant));
        EXPECT_EQ(tables->UtcOffsetHours, offset) << zone;
        EXPECT_EQ(FormatDateKey(tables->StartTime), localKey) << zone;
    }
    testing::SetEnvironment("TZ", "UTC0");
}

} // namespace
} // namespace pelk
