// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The program-wide tables that the load pipeline passes from step to step: the readings of the
/// chosen export, the per-day results, their counts, the decimal separators and the detected
/// offset from universal time. One `ProgramTables` object is owned by the window (or by one run of
/// the command-line tool) and handed to each step; nothing here is global.
#pragma once

#include "climate/date_time.h"
#include "climate/table_storage.h"
#include "climate/window_facts.h"
#include "climate/zone_rules.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelk {

struct Measurement {
    DateTime Timestamp = 0;
    float Value = 0;
};

struct DayRow {
    std::string Tn;
    std::string Tx;
    std::string DayLabel;
};

class IndexOutOfRange : public std::out_of_range {
  public:
    IndexOutOfRange() : std::out_of_range("table index out of range") {}
};

/// A fixed-capacity array indexed from 1 whose every access checks its bounds. Its storage is
/// reserved once, so filling it never moves an entry.
template <typename T, std::int32_t Capacity> class OneBasedTable {
  public:
    static constexpr std::int32_t capacity() { return Capacity; }

    static constexpr bool contains(std::int64_t index) { return index >= 1 && index <= Capacity; }

    T &at(std::int64_t index) { return items_[checked(index)]; }
    const T &at(std::int64_t index) const { return items_[checked(index)]; }

    /// Entries 1 to `count`, for passes over the whole filled part.
    std::span<const T> first(std::int32_t count) const {
        if (count < 0 || count > Capacity)
            throw IndexOutOfRange();
        return {items_.get(), static_cast<std::size_t>(count)};
    }

    /// Entries `from` to `from + count - 1`, for moving readings in bulk.
    std::span<T> entries(std::int32_t from, std::int32_t count) {
        if (count < 0 || from < 1 || std::int64_t{from} + count - 1 > Capacity)
            throw IndexOutOfRange();
        return {items_.get() + (from - 1), static_cast<std::size_t>(count)};
    }

    /// About `count` entries will be filled: storage that follows what is filled may prepare
    /// for them at once (huge pages) instead of page by page.
    void expectEntries(std::int64_t count) {
        if constexpr (kZeroBytesAreValueInitialised<T>)
            PrepareZeroedTableBlock(
                items_.get(),
                static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, Capacity)) * sizeof(T));
    }

  private:
    static std::size_t checked(std::int64_t index) {
        if (!contains(index))
            throw IndexOutOfRange();
        return static_cast<std::size_t>(index - 1);
    }

    TableStorage<T> items_ = AllocateTableStorage<T>(Capacity);
};

inline constexpr std::int32_t kMeasurementCapacity = 1'000'000;
inline constexpr std::int32_t kDayCapacity = 5'000;
/// The field of an export line that holds the value when nothing else is said: the one after the
/// timestamp (fields count from 1).
inline constexpr std::int32_t kDefaultValueField = 2;

using MeasurementTableType = OneBasedTable<Measurement, kMeasurementCapacity>;
using DayTableType = OneBasedTable<DayRow, kDayCapacity>;

struct ProgramTables {
    char LocaleDecimalSeparator = '\0';
    char AlternateDecimalSeparator = '\0';
    MeasurementTableType MeasurementTable;
    std::int32_t MeasurementCount = 0;
    DayTableType DayTable;
    std::int16_t DayCount = 0;
    DateTime StartTime = 0;
    std::int16_t UtcOffsetHours = 0;
    /// Whole hours the computer's clock is ahead of UTC at start-up, whatever they are: the clock
    /// of a file in another layout that does not say its own.
    std::int16_t ZoneOffsetHours = 0;

    /// Each day's windows follow the local zone's offset in force that day (summer time),
    /// instead of UtcOffsetHours.
    bool UtcOffsetLocalByDate = false;
    /// Each day's windows follow this zone's offset in force that day: the zone a file names as
    /// its logger's clock. Wins over the two above.
    std::shared_ptr<const ZoneRules> NamedZone;
    /// Whether the daily step works out DayFactsTable; a caller that shows none spares its cost.
    bool WindowFactsWanted = true;
    /// The facts of the windows of rows 1 to DayCount, row i at index i - 1.
    std::vector<DayFacts> DayFactsTable;
    DailyReport DailyLeftOut;
    /// A window with a longer stretch without readings is incomplete.
    std::int32_t GapLimitMinutes = kDefaultGapLimitMinutes;
    /// The field of each line that holds the value (exports of several sensors have several).
    std::int32_t ValueField = kDefaultValueField;
};

/// The character that the locale's number-to-text conversion puts between 2 and 5 in 2.5.
char DetectDecimalSeparator(char localeSeparator);

/// "," and "." stand in for each other; any other separator has no alternate (character 0).
char AlternateSeparatorFor(char localeSeparator, char currentAlternate);

/// Sets both separators of `tables` from the locale's decimal separator, in that order.
void SetDecimalSeparators(ProgramTables &tables, char localeSeparator);

} // namespace pelk
