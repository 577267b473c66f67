// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What a day's two windows hold, beside their values: how many readings each window counted,
/// when its extreme was read and the longest stretch without a reading, so that a user can tell a
/// value measured over the whole window from one measured over part of it. And what the daily
/// step left out of every row.
#pragma once

#include "climate/date_time.h"

#include <algorithm>
#include <cstdint>

namespace pelk {

/// The longest stretch without a reading that still counts a window as complete, by default.
inline constexpr std::int32_t kDefaultGapLimitMinutes = 60;

/// What one window of one day holds, as the rule counts its readings.
struct WindowFacts {
    DateTime opens = 0;
    DateTime closes = 0;
    std::int32_t readingCount = 0;
    float extreme = 0; ///< the lowest (night) or highest (day) reading; only with readings
    /// When the first reading in table order holding the extreme was read; only with readings.
    DateTime extremeTime = 0;
    /// The longest stretch of the window without a reading: from the opening to the first
    /// reading, between two readings next in time, or from the last reading to the close; the
    /// earliest of equal stretches. The whole window when it holds no reading.
    DateTime longestGapFrom = 0;
    DateTime longestGapTo = 0;

    /// The longest stretch in whole seconds.
    std::int64_t longestGapSeconds() const;
    /// The longest stretch in minutes, a started minute counting whole.
    std::int64_t longestGapMinutes() const;
    /// Has readings, and no stretch without one is longer than the limit.
    bool complete(std::int32_t gapLimitMinutes) const;

    friend bool operator==(const WindowFacts &, const WindowFacts &) = default;
};

struct DayFacts {
    WindowFacts night; ///< the window of Tn
    WindowFacts day;   ///< the window of Tx

    friend bool operator==(const DayFacts &, const DayFacts &) = default;
};

/// Some readings of the table, told by their count and the first and last of them in table order
/// (1-based indexes; 0 when none).
struct ReadingsLeftOut {
    std::int32_t count = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    void note(std::size_t index) {
        const auto entry = static_cast<std::int32_t>(index + 1);
        if (count++ == 0)
            first = entry;
        last = entry;
    }
    void take(const ReadingsLeftOut &other) {
        if (other.count == 0)
            return;
        first = count == 0 ? other.first : std::min(first, other.first);
        last = std::max(last, other.last);
        count += other.count;
    }

    friend bool operator==(const ReadingsLeftOut &, const ReadingsLeftOut &) = default;
};

/// The readings that no row shows although the file holds them.
struct DailyReport {
    /// Readings that a window holding them did not count, because a reading earlier in the
    /// table had already reached that window's close (a backwards jump in time).
    ReadingsLeftOut uncounted;
    /// Readings in no listed day's window: on the windows' UTC clock they fall before the first
    /// day's night window or after the last day's day window.
    ReadingsLeftOut outsideWindows;
    /// Calendar days from the first reading's to the last reading's beyond the days listed.
    std::int64_t daysBeyondCapacity = 0;

    friend bool operator==(const DailyReport &, const DailyReport &) = default;
};

} // namespace pelk
