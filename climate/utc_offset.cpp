// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/utc_offset.h"

#include "climate/platform.h"

#include <algorithm>

namespace pelk {

ClockReading ReadClock(std::time_t instant) {
    platform::RefreshTimeZone(); // follow TZ as it is now, not as it was at the first call
    std::tm local{};
    std::tm utc{};
    platform::LocalTime(instant, local);
    platform::UtcTime(instant, utc);
    const std::int64_t day =
        DayNumberFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59);
    return {MakeDateTime(day, seconds), local.tm_hour, utc.tm_hour};
}

std::int16_t UtcOffsetFromHours(int localHour, int utcHour) {
    if (localHour == (utcHour + 2) % 24)
        return 2;
    if (localHour == (utcHour + 1) % 24)
        return 1;
    return 0;
}

void DetectUtcOffset(ProgramTables &tables, const ClockReading &clock) {
    tables.StartTime = clock.localNow;
    int hours = ((clock.localHour - clock.utcHour) % 24 + 24) % 24;
    if (hours > 14)
        hours -= 24; // zones run from UTC-12 to UTC+14
    tables.ZoneOffsetHours = static_cast<std::int16_t>(hours);
    if (const std::int16_t offset = UtcOffsetFromHours(clock.localHour, clock.utcHour); offset != 0)
        tables.UtcOffsetHours = offset;
}

int ZoneOffsetSecondsOn(std::int64_t dayNumber) {
    constexpr std::int64_t kUnixEpochDayNumber = 25569; // 1970-01-01
    const auto noon =
        static_cast<std::time_t>((dayNumber - kUnixEpochDayNumber) * kSecondsPerDay + 12 * 3600);
    return static_cast<int>(platform::ZoneOffsetSeconds(noon));
}

std::optional<std::int64_t> FirstZoneOffsetChange(std::int64_t firstDay, std::int64_t lastDay) {
    platform::RefreshTimeZone();
    int previous = ZoneOffsetSecondsOn(firstDay);
    for (std::int64_t day = firstDay + 1; day <= lastDay; ++day) {
        const int offset = ZoneOffsetSecondsOn(day);
        if (offset != previous)
            return day;
        previous = offset;
    }
    return std::nullopt;
}

} // namespace pelk
