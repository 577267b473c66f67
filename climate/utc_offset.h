// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// By how many whole hours the computer's local clock is ahead of universal time, judged at
/// start-up from the hours alone. Only one and two hours ahead are recognised (the loggers'
/// home zones in winter and summer); anything else counts as 0.
#pragma once

#include "climate/tables.h"

#include <cstdint>
#include <ctime>
#include <optional>

namespace pelk {

/// One reading of the clock, converted twice, so that both hours belong to the same instant.
struct ClockReading {
    DateTime localNow = 0;
    int localHour = 0;
    int utcHour = 0;
};

/// The reading of `instant` in the zone that `TZ` (or the system) gives, and in UTC.
ClockReading ReadClock(std::time_t instant);

/// 2 when local is two hours ahead of UTC (modulo 24), 1 when one hour, else 0.
std::int16_t UtcOffsetFromHours(int localHour, int utcHour);

/// Sets StartTime and, when recognised, UtcOffsetHours.
void DetectUtcOffset(ProgramTables &tables, const ClockReading &clock);

/// Seconds the local zone (TZ) is ahead of UTC at 12:00 UTC of a calendar day (a day number):
/// the offset in force that day, since zones change theirs at night. The zone is TZ as of the
/// last tzset() (ReadClock, FirstZoneOffsetChange and the daily step's offset rule call it).
int ZoneOffsetSecondsOn(std::int64_t dayNumber);

/// The first day after `firstDay`, up to `lastDay`, whose zone offset differs from the day
/// before's; nothing when one offset holds throughout.
std::optional<std::int64_t> FirstZoneOffsetChange(std::int64_t firstDay, std::int64_t lastDay);

} // namespace pelk
