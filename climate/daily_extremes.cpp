#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"

namespace pelk {

DateTime DayWindows::dayWindowOpen(std::int64_t k) const {
    return MakeDateTime(firstDay + k, (6 + utcOffsetHours) * 3600);
}

DateTime DayWindows::nightWindowClose(std::int64_t k) const {
    return MakeDateTime(firstDay + k, (18 + utcOffsetHours) * 3600);
}

std::int32_t DaysToList(std::span<const Measurement> readings) {
    if (readings.empty())
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

void ComputeDailyExtremes(ProgramTables &tables) {
    const auto readings = tables.MeasurementTable.first(tables.MeasurementCount);
    const std::vector<DayExtremes> days = ScanDailyExtremes(readings, tables.UtcOffsetHours);
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
