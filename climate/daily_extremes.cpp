#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelk {
namespace {

// Beyond this a date-time is no calendar day at all (year 9999 is about 2.96 million days).
constexpr double kFarthestDay = 1e12;

bool IsCalendarDateTime(DateTime value) {
    return std::fabs(value) < kFarthestDay;
}

// The edges of consecutive windows, edge(i) = MakeDateTime(firstDay + i, secondsOfDay) for i in
// [lowest, highest + 1], worked out once: finds the window i in [lowest, highest] with
// edge(i) <= t < edge(i + 1). Readings in time order mostly fall in the window of the reading
// before them, which is tried first.
class WindowEdges {
  public:
    WindowEdges(std::int64_t firstDay, int secondsOfDay, std::int64_t lowest, std::int64_t highest)
        : firstDay_(firstDay), secondsOfDay_(secondsOfDay), lowest_(lowest),
          edges_(static_cast<std::size_t>(highest - lowest + 2)) {
        for (std::size_t n = 0; n < edges_.size(); ++n)
            edges_[n] =
                MakeDateTime(firstDay + lowest + static_cast<std::int64_t>(n), secondsOfDay);
    }

    /// The close of window i.
    DateTime close(std::int64_t i) const { return edges_[slot(i) + 1]; }

    bool holds(DateTime t) const { return t >= edges_.front() && t < edges_.back(); } // not NaN

    /// Precondition: holds(t).
    std::int64_t windowOf(DateTime t) {
        if (!(t >= edges_[last_] && t < edges_[last_ + 1])) {
            // A first guess from the arithmetic, then the edges themselves decide, so that a
            // reading exactly on an edge lands where the comparisons of the plain rule put it.
            const double guess = std::floor(t - static_cast<double>(firstDay_ + lowest_) -
                                            static_cast<double>(secondsOfDay_) / kSecondsPerDay);
            const auto highestSlot = static_cast<std::int64_t>(edges_.size()) - 2;
            auto n = static_cast<std::size_t>(
                std::clamp<std::int64_t>(static_cast<std::int64_t>(guess), 0, highestSlot));
            while (n > 0 && t < edges_[n])
                --n;
            while (t >= edges_[n + 1])
                ++n;
            last_ = n;
        }
        return lowest_ + static_cast<std::int64_t>(last_);
    }

  private:
    std::size_t slot(std::int64_t i) const { return static_cast<std::size_t>(i - lowest_); }

    std::int64_t firstDay_;
    int secondsOfDay_;
    std::int64_t lowest_;
    std::vector<DateTime> edges_;
    std::size_t last_ = 0;
};

} // namespace

DateTime DayWindows::dayWindowOpen(std::int64_t k) const {
    return MakeDateTime(firstDay + k, dayOpenSecond());
}

DateTime DayWindows::nightWindowClose(std::int64_t k) const {
    return MakeDateTime(firstDay + k, nightCloseSecond());
}

std::int32_t DaysToList(std::span<const Measurement> readings) {
    if (readings.empty() || !IsCalendarDateTime(readings.front().Timestamp) ||
        !IsCalendarDateTime(readings.back().Timestamp))
        return 0;
    const std::int64_t span =
        CalendarDay(readings.back().Timestamp) - CalendarDay(readings.front().Timestamp) + 1;
    if (span <= 0)
        return 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(span, kDayCapacity));
}

std::vector<DayExtremes> ScanDailyExtremes(std::span<const Measurement> readings,
                                           int utcOffsetHours) {
    const std::int32_t dayCount = DaysToList(readings);
    std::vector<DayExtremes> days(static_cast<std::size_t>(dayCount));
    if (dayCount == 0)
        return days;
    const DayWindows windows{CalendarDay(readings.front().Timestamp), utcOffsetHours};
    for (std::int32_t k = 0; k < dayCount; ++k) {
        DayExtremes &day = days[static_cast<std::size_t>(k)];
        const DateTime dayOpen = windows.dayWindowOpen(k);
        const DateTime dayClose = windows.dayWindowOpen(k + 1);
        for (const Measurement &m : readings) {
            if (m.Timestamp >= dayOpen && m.Timestamp < dayClose && m.Value > day.tx)
                day.tx = m.Value;
            if (m.Timestamp >= dayClose)
                break;
        }
        const DateTime nightOpen = windows.nightWindowClose(k - 1);
        const DateTime nightClose = windows.nightWindowClose(k);
        for (const Measurement &m : readings) {
            if (m.Timestamp >= nightOpen && m.Timestamp < nightClose && m.Value < day.tn)
                day.tn = m.Value;
            if (m.Timestamp >= nightClose)
                break;
        }
    }
    return days;
}

std::vector<DayExtremes> SweepDailyExtremes(std::span<const Measurement> readings,
                                            int utcOffsetHours) {
    const std::int32_t dayCount = DaysToList(readings);
    std::vector<DayExtremes> days(static_cast<std::size_t>(dayCount));
    if (dayCount == 0)
        return days;
    const DayWindows windows{CalendarDay(readings.front().Timestamp), utcOffsetHours};
    // Day window k is [edge k, edge k + 1); night window k is [edge k - 1, edge k).
    WindowEdges dayEdges(windows.firstDay, windows.dayOpenSecond(), 0, dayCount - 1);
    WindowEdges nightEdges(windows.firstDay, windows.nightCloseSecond(), -1, dayCount - 2);

    // Latest timestamp so far in table order: a scan reaches a reading only while this is
    // before the scan's window close.
    DateTime latest = -std::numeric_limits<DateTime>::infinity();
    for (const Measurement &m : readings) {
        const DateTime t = m.Timestamp;
        if (t > latest)
            latest = t;
        if (dayEdges.holds(t)) {
            const std::int64_t k = dayEdges.windowOf(t);
            DayExtremes &day = days[static_cast<std::size_t>(k)];
            if (latest < dayEdges.close(k) && m.Value > day.tx)
                day.tx = m.Value;
        }
        if (nightEdges.holds(t)) {
            const std::int64_t i = nightEdges.windowOf(t);
            DayExtremes &day = days[static_cast<std::size_t>(i + 1)];
            if (latest < nightEdges.close(i) && m.Value < day.tn)
                day.tn = m.Value;
        }
    }
    return days;
}

void ComputeDailyExtremes(ProgramTables &tables) {
    const auto readings = tables.MeasurementTable.first(tables.MeasurementCount);
    const std::vector<DayExtremes> days = SweepDailyExtremes(readings, tables.UtcOffsetHours);
    if (readings.empty())
        return;
    const std::int64_t firstDay = CalendarDay(readings.front().Timestamp);
    const char separator = tables.LocaleDecimalSeparator;
    for (std::size_t i = 0; i < days.size(); ++i) {
        DayRow &row = tables.DayTable.at(static_cast<std::int64_t>(i) + 1);
        row.DayLabel = FormatDayLabel(static_cast<double>(firstDay + static_cast<std::int64_t>(i)));
        row.Tn = NumberToText(days[i].tn, separator);
        row.Tx = NumberToText(days[i].tx, separator);
    }
    tables.DayCount = static_cast<std::int16_t>(days.size());
}

} // namespace pelk
