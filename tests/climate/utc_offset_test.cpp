#include "climate/utc_offset.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelk {
namespace {

TEST(utc_offset, one_or_two_hours_ahead_across_midnight_and_nothing_else) {
    const std::tuple<const char *, std::time_t, int, const char *> cases[] = {
        // 22:30 UTC
        {"XXX-1", 1204756200, 1, "20080305233000"},
        {"XXX-2", 1204756200, 2, "20080306003000"},
        {"UTC0", 1204756200, 0, "20080305223000"},
        {"XXX+5", 1204756200, 0, "20080305173000"},
        {"XXX-1:30", 1204756200, 2, "20080306000000"},
        // 23:59:59 UTC: the local day is the next one
        {"XXX-1", 1204761599, 1, "20080306005959"},
        {"XXX-2", 1204761599, 2, "20080306015959"},
        {"XXX-3", 1204761599, 0, "20080306025959"},
    };
    for (const auto &[zone, instant, offset, localKey] : cases) {
        ::setenv("TZ", zone, 1);
        auto tables = std::make_unique<ProgramTables>();
        DetectUtcOffset(*tables, ReadClock(instant));
        EXPECT_EQ(tables->UtcOffsetHours, offset) << zone;
        EXPECT_EQ(FormatDateKey(tables->StartTime), localKey) << zone;
    }
    ::setenv("TZ", "UTC0", 1);
}

} // namespace
} // namespace pelk
