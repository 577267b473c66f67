#include "climate/utc_offset.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelk {
namespace {

TEST(utc_offset, from_hours_every_pair) {
    for (int utc = 0; utc < 24; ++utc)
        for (int local = 0; local < 24; ++local) {
            const int expected = local == (utc + 2) % 24 ? 2 : local == (utc + 1) % 24 ? 1 : 0;
            EXPECT_EQ(UtcOffsetFromHours(local, utc), expected) << local << " " << utc;
        }
    EXPECT_EQ(UtcOffsetFromHours(0, 22), 2);
    EXPECT_EQ(UtcOffsetFromHours(23, 22), 1);
    EXPECT_EQ(UtcOffsetFromHours(1, 23), 2);
    EXPECT_EQ(UtcOffsetFromHours(0, 23), 1);
    EXPECT_EQ(UtcOffsetFromHours(10, 10), 0);
    EXPECT_EQ(UtcOffsetFromHours(13, 10), 0);
}

class ZoneTest : public ::testing::Test {
  protected:
    void TearDown() override { ::setenv("TZ", "UTC0", 1); }
    static ClockReading ReadIn(const char *zone, std::time_t instant) {
        ::setenv("TZ", zone, 1);
        return ReadClock(instant);
    }
};

TEST_F(ZoneTest, follows_tz) {
    // 2008-03-05 22:30:00 UTC.
    const std::time_t instant = 1204756200;
    const std::pair<const char *, int> cases[] = {
        {"XXX-1", 1}, {"XXX-2", 2}, {"UTC0", 0}, {"XXX+5", 0}, {"XXX-3", 0}, {"XXX-1:30", 2}};
    for (const auto &[zone, offset] : cases) {
        auto tables = std::make_unique<ProgramTables>();
        DetectUtcOffset(*tables, ReadIn(zone, instant));
        EXPECT_EQ(tables->UtcOffsetHours, offset) << zone;
    }
}

TEST_F(ZoneTest, both_hours_come_from_one_instant) {
    // 23:59:59 UTC, two hours ahead: local 01:59:59 of the next day.
    const ClockReading clock = ReadIn("XXX-2", 1204761599);
    EXPECT_EQ(clock.utcHour, 23);
    EXPECT_EQ(clock.localHour, 1);
    EXPECT_EQ(FormatDateKey(clock.localNow), "20080306015959");
}

TEST_F(ZoneTest, start_time_is_local) {
    auto tables = std::make_unique<ProgramTables>();
    DetectUtcOffset(*tables, ReadIn("XXX+5", 1204756200));
    EXPECT_EQ(FormatDateKey(tables->StartTime), "20080305173000");
    EXPECT_EQ(tables->UtcOffsetHours, 0);
}

} // namespace
} // namespace pelk
