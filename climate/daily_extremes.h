/// \file
/// For each calendar day from the first reading's day to the last reading's: Tn, the lowest
/// reading of the night window [18:00 UTC the day before, 18:00 UTC), and Tx, the highest of the
/// day window [06:00 UTC, 06:00 UTC the next day). The readings carry local clock times, so both
/// windows are moved by the detected offset. A window without readings keeps its start value,
/// 100 for Tn and -100 for Tx.
#pragma once

#include "climate/tables.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pelk {

inline constexpr float kEmptyNightMinimum = 100.0f;
inline constexpr float kEmptyDayMaximum = -100.0f;

struct DayExtremes {
    float tn = kEmptyNightMinimum;
    float tx = kEmptyDayMaximum;
};

/// Where the windows of day number k (0 for the first reading's day) open and close.
struct DayWindows {
    std::int64_t firstDay = 0; ///< calendar day of the first reading in table order
    int utcOffsetHours = 0;

    /// Seconds into a day at which the day window opens, (6 + offset):00 on the readings' clock.
    int dayOpenSecond() const { return (6 + utcOffsetHours) * 3600; }
    /// Seconds into a day at which the night window closes, (18 + offset):00.
    int nightCloseSecond() const { return (18 + utcOffsetHours) * 3600; }

    DateTime dayWindowOpen(std::int64_t k) const;    ///< of day k
    DateTime nightWindowClose(std::int64_t k) const; ///< of day k
};

/// How many days get a row: from the first reading's day to the last reading's, both in table
/// order, at most kDayCapacity (a longer span lists its first days); 0 when the last reading's day
/// comes before the first's.
std::int32_t DaysToList(std::span<const Measurement> readings);

/// The rule as stated: for every day, scan the table from the first entry in table order up to
/// the first reading at or after the window's close, twice. Days times readings in cost; kept as
/// the reference that faster scans must match row for row.
std::vector<DayExtremes> ScanDailyExtremes(std::span<const Measurement> readings,
                                           int utcOffsetHours);

/// The same rows as ScanDailyExtremes for every table, in time order or not, in one pass over
/// the readings plus one over the days. A reading is seen by a day's scan exactly when no
/// earlier reading in table order has reached that window's close, that is when the running
/// maximum of the timestamps up to it is still before the close; and each reading lies in at most
/// one day window and one night window. So every reading is offered, in table order, to the one
/// window of each kind that holds it, and only when that window's scan would reach it.
std::vector<DayExtremes> SweepDailyExtremes(std::span<const Measurement> readings,
                                            int utcOffsetHours);

/// Fills DayTable rows 1 to DayCount and DayCount from entries 1 to MeasurementCount.
void ComputeDailyExtremes(ProgramTables &tables);

} // namespace pelk
