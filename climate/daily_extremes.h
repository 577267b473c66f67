// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// For each calendar day from the first reading's day to the last reading's: Tn, the lowest
/// reading of the night window [18:00 UTC the day before, 18:00 UTC), and Tx, the highest reading
/// of the day window [06:00 UTC, 06:00 UTC the next day). The readings carry local clock times,
/// so both windows are moved by the offset of the readings' clock from UTC. A window without
/// readings shows 100 for Tn and -100 for Tx.
///
/// Beside each value come the facts that say how far it can be trusted: how many readings the
/// window counted, when the extreme was read, and the longest stretch of the window without a
/// reading.
#pragma once

#include "climate/tables.h"
#include "climate/window_facts.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pelk {

inline constexpr float kEmptyNightMinimum = 100.0f;
inline constexpr float kEmptyDayMaximum = -100.0f;

/// Seconds the readings' clock is ahead of UTC on a calendar day (a day number).
using OffsetOnDay = std::function<int(std::int64_t dayNumber)>;

/// The same offset every day, in whole hours.
OffsetOnDay FixedOffset(int utcOffsetHours);

struct DayExtremes {
    float tn = kEmptyNightMinimum;
    float tx = kEmptyDayMaximum;
};

struct DailyExtremes {
    std::vector<DayExtremes> days; ///< day number k (0 for the first reading's day) at index k
    std::vector<DayFacts> facts;   ///< the windows of day k at index k
    DailyReport report;
};

/// Where the windows of day number k (0 for the first reading's day) open and close: the day
/// window opens at (6 + offset):00 of day k on the readings' clock and closes where day k + 1's
/// opens; the night window closes at (18 + offset):00 of day k and opens where day k - 1's
/// closes. With an offset that changes from day to day the windows still tile the time line.
struct DayWindows {
    std::int64_t firstDay = 0; ///< calendar day of the first reading in table order
    OffsetOnDay offsetOn;

    DateTime dayWindowOpen(std::int64_t k) const;    ///< of day k
    DateTime nightWindowClose(std::int64_t k) const; ///< of day k
};

/// How many days get a row: from the first reading's day to the last reading's, both in table
/// order, at most kDayCapacity (a longer span lists its first days); 0 when the last reading's day
/// comes before the first's.
std::int32_t DaysToList(std::span<const Measurement> readings);

/// The rule as stated: for every day, scan the table from the first entry in table order up to
/// the first reading at or after the window's close, twice. Days times readings in cost; kept as
/// the reference that faster scans must match day for day.
DailyExtremes ScanDailyExtremes(std::span<const Measurement> readings, const OffsetOnDay &offset);

/// The same days and report as ScanDailyExtremes for every table, in time order or not, in one
/// pass over the readings plus one over the days. A reading is seen by a day's scan exactly when
/// no earlier reading in table order has reached that window's close, that is when the running
/// maximum of the timestamps up to it is still before the close; and each reading lies in at most
/// one day window and one night window. So every reading is offered, in table order, to the one
/// window of each kind that holds it, and only when that window's scan would reach it. A window
/// whose counted readings come out of time order gets its stretches from a second pass over the
/// table; files in time order never need it. Without `withFacts`, `facts` is left empty and the
/// pass costs what the values alone cost; the values are the same when the readings are finite.
DailyExtremes SweepDailyExtremes(std::span<const Measurement> readings, const OffsetOnDay &offset,
                                 bool withFacts = true);

/// The offset that the daily step uses with `tables`: the zone's own for each day when
/// UtcOffsetLocalByDate is set, otherwise UtcOffsetHours every day.
OffsetOnDay OffsetRuleOf(const ProgramTables &tables);

/// Fills DayTable rows 1 to DayCount, DayCount, DayFacts and DailyReport from entries 1 to
/// MeasurementCount.
void ComputeDailyExtremes(ProgramTables &tables);

/// True when the table runs strictly from newest to oldest (each timestamp at or before the
/// previous one, the last before the first), as some loggers export.
bool IsNewestFirst(std::span<const Measurement> readings);

} // namespace pelk
