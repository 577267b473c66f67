// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/list_file.h"

#include "climate/daily_extremes.h"
#include "climate/locale_conversions.h"
#include "results/results_list.h"

#include <cmath>
#include <cstdio>

namespace pelk {
namespace {

// The day a row shows, found by its date, and the facts of its windows.
struct RowDay {
    std::int64_t day = 0;
    const DayFacts *facts = nullptr;
};

std::optional<RowDay> DayOfRow(const ListItem &row, const ProgramTables &tables) {
    if (tables.MeasurementCount == 0)
        return std::nullopt;
    const std::optional<DateTime> date = ParseDateText(row.Text());
    if (!date)
        return std::nullopt;
    const std::int64_t day = CalendarDay(*date);
    const std::int64_t index = day - CalendarDay(tables.MeasurementTable.at(1).Timestamp);
    if (index < 0 || index >= static_cast<std::int64_t>(tables.DayFactsTable.size()))
        return std::nullopt;
    return RowDay{day, &tables.DayFactsTable[static_cast<std::size_t>(index)]};
}

// The extreme's time in UTC: the readings' clock less the offset the day's windows used.
CivilDateTime UtcTimeOf(const WindowFacts &window, std::int64_t day, const OffsetOnDay &offset) {
    return SplitDateTime(window.extremeTime - static_cast<double>(offset(day)) / kSecondsPerDay);
}

std::string SpreadsheetText(const ListView &list, const ProgramTables &tables) {
    const OffsetOnDay offset = OffsetRuleOf(tables);
    std::string text = "\xEF\xBB\xBF"; // so that a spreadsheet takes the accents as UTF-8
    text += "Date;Tn;Tx;Heure Tn (UTC);Heure Tx (UTC);Relevés nuit;Relevés jour;"
            "Fenêtres complètes\r\n";
    auto timeText = [&](const WindowFacts &window, std::int64_t day) {
        if (window.readingCount == 0)
            return std::string();
        const CivilDateTime t = UtcTimeOf(window, day, offset);
        char cell[32];
        std::snprintf(cell, sizeof cell, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute);
        return std::string(cell);
    };
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        const ListItem &row = list.Item(i);
        text += row.Text() + ';' + row.cell(1).Text + ';' + row.cell(2).Text;
        if (const std::optional<RowDay> found = DayOfRow(row, tables)) {
            const DayFacts *facts = found->facts;
            const std::int64_t day = found->day;
            const bool complete = facts->night.complete(tables.GapLimitMinutes) &&
                                  facts->day.complete(tables.GapLimitMinutes);
            text += ';' + timeText(facts->night, day) + ';' + timeText(facts->day, day) + ';' +
                    std::to_string(facts->night.readingCount) + ';' +
                    std::to_string(facts->day.readingCount) + ';' + (complete ? "1" : "0");
        } else {
            text += ";;;;;";
        }
        text += "\r\n";
    }
    return text;
}

std::string MeteoFranceText(const ListView &list, const ProgramTables &tables) {
    const OffsetOnDay offset = OffsetRuleOf(tables);
    std::string text = "AAAAMMJJ;TN;QTN;HTN;TX;QTX;HTX\r\n";
    // A value with one decimal, its quality (1 sound, 2 doubtful) and hour; empty without one.
    auto fields = [&](const WindowFacts &window, std::int64_t day) {
        if (window.readingCount == 0)
            return std::string(";;");
        const CivilDateTime t = UtcTimeOf(window, day, offset);
        char cells[64];
        std::snprintf(cells, sizeof cells, "%.1f;%d;%02d%02d",
                      std::round(window.extreme * 10.0) / 10.0 + 0.0,
                      window.complete(tables.GapLimitMinutes) ? 1 : 2, t.hour, t.minute);
        return std::string(cells);
    };
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        const ListItem &row = list.Item(i);
        const std::optional<RowDay> found = DayOfRow(row, tables);
        if (!found)
            continue;
        const CivilDateTime d = SplitDateTime(MakeDateTime(found->day, 0));
        char day[16];
        std::snprintf(day, sizeof day, "%04d%02d%02d", d.year, d.month, d.day);
        text += std::string(day) + ';' + fields(found->facts->night, found->day) + ';' +
                fields(found->facts->day, found->day) + "\r\n";
    }
    return text;
}

} // namespace

std::optional<ListFileFormat> ListFileFormatNamed(std::string_view name) {
    if (name == "tsv")
        return ListFileFormat::Clipboard;
    if (name == "csv")
        return ListFileFormat::Spreadsheet;
    if (name == "meteofrance")
        return ListFileFormat::MeteoFrance;
    return std::nullopt;
}

std::string ListFileText(const ListView &list, const ProgramTables &tables, ListFileFormat format) {
    switch (format) {
    case ListFileFormat::Spreadsheet:
        return SpreadsheetText(list, tables);
    case ListFileFormat::MeteoFrance:
        return MeteoFranceText(list, tables);
    case ListFileFormat::Clipboard:
        break;
    }
    return ClipboardText(list, true, 1, -1, true);
}

} // namespace pelk
