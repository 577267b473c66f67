// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/list_file.h"

#include "climate/daily_extremes.h"
#include "climate/locale_conversions.h"
#include "results/results_list.h"

#include <cmath>
#include <cstdio>

namespace pelk {
namespace {

// The facts of the windows of the day a row shows, found by its date.
const DayFacts *FactsOfRow(const ListItem &row, const ProgramTables &tables) {
    if (tables.MeasurementCount == 0)
        return nullptr;
    const std::optional<DateTime> date = ParseDateText(row.Text());
    if (!date)
        return nullptr;
    const std::int64_t index =
        CalendarDay(*date) - CalendarDay(tables.MeasurementTable.at(1).Timestamp);
    if (index < 0 || index >= static_cast<std::int64_t>(tables.DayFactsTable.size()))
        return nullptr;
    return &tables.DayFactsTable[static_cast<std::size_t>(index)];
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
        if (const DayFacts *facts = FactsOfRow(row, tables)) {
            const std::int64_t day = CalendarDay(*ParseDateText(row.Text()));
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
        const std::optional<DateTime> date = ParseDateText(row.Text());
        const DayFacts *facts = FactsOfRow(row, tables);
        if (!date || !facts)
            continue;
        const CivilDateTime d = SplitDateTime(*date);
        char day[16];
        std::snprintf(day, sizeof day, "%04d%02d%02d", d.year, d.month, d.day);
        const std::int64_t number = CalendarDay(*date);
        text += std::string(day) + ';' + fields(facts->night, number) + ';' +
                fields(facts->day, number) + "\r\n";
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
