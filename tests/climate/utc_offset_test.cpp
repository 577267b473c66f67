#include "climate/utc_offset.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelk {
namespace {

TEST(utc_offset, from_hours_with_the_wrap_past_midnight) {
    const std::tuple<int, int, int> cases[] = {// utc, local, offset
                                               {10, 12, 2}, {10, 11, 1}, {10, 10, 0}, {10, 9, 0},
                                               {10, 13, 0}, {22, 0, 2},  {22, 23, 1}, {23, 1, 2},
                                               {23, 0, 1},  {21, 23, 2}, {0, 23, 0}};
    for (const auto &[utc, local, offset] : cases)
        EXPECT_EQ(UtcOffsetFromHours(local, utc), offset) << utc << " " << local;
}

TEST(utc_offset, follows_tz_and_reads_one_instant) {
    struct Case {
        const char *zone;
        std::time_t instant;
        int offset;
        const char *localKey;
    };
    const Case cases[] = {
        {"XXX-1", 1204756200, 1, "20080305233000"}, // 22:30 UTC
        {"XXX-2", 1204756200, 2, "20080306003000"},
        {"UTC0", 1204756200, 0, "20080305223000"},
        {"XXX+5", 1204756200, 0, "20080305173000"},
        {"XXX-3", 1204756200, 0, "20080306013000"},
        {"XXX-1:30", 1204756200, 2, "20080306000000"},
        {"XXX-2", 1204761599, 2, "20080306015959"}, // 23:59:59 UTC, local the next day
    };
    for (const Case &c : cases) {
        ::setenv("TZ", c.zone, 1);
        auto tables = std::make_unique<ProgramTables>();
        DetectUtcOffset(*tables, ReadClock(c.instant));
        EXPECT_EQ(tables->UtcOffsetHours, c.offset) << c.zone;
        EXPECT_EQ(FormatDateKey(tables->StartTime), c.localKey) << c.zone;
    }
    ::setenv("TZ", "UTC0", 1);
}

} // namespace
} // namespace pelk
