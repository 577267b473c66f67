// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/season.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pelk {
namespace {

// A value that counts: from a window with readings and no stretch without one over the limit.
std::optional<float> CountedValue(const WindowFacts &window, std::int32_t gapLimitMinutes) {
    if (!window.complete(gapLimitMinutes))
        return std::nullopt;
    return window.extreme;
}

// Days of a month's calendar, as the proleptic Gregorian calendar has them.
int DaysInMonth(int year, int month) {
    int days = 28;
    while (days < 31 && IsValidCivilDate(year, month, days + 1))
        ++days;
    return days;
}

std::string MeanText(const std::optional<double> &mean, char separator) {
    if (!mean)
        return {};
    double rounded = std::round(*mean * 10) / 10;
    if (rounded == 0)
        rounded = 0; // no "-0,0"
    char text[48];
    std::snprintf(text, sizeof text, "%.1f", rounded);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', separator);
    return result;
}

std::string ValueText(const std::optional<float> &value, char separator) {
    return value ? NumberToText(*value, separator) : std::string();
}

std::string DayText(const std::optional<float> &value, std::int64_t day) {
    return value ? FormatDayLabel(static_cast<double>(day)) : std::string();
}

} // namespace

std::vector<std::span<const ChartPoint>> ChartLine::runs() const {
    std::vector<std::span<const ChartPoint>> out;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= points.size(); ++i) {
        if (i == points.size() || points[i].day != points[i - 1].day + 1) {
            out.emplace_back(points.data() + start, i - start);
            start = i;
        }
    }
    return out;
}

SeasonChart ChartOfDays(std::int64_t firstDay, std::span<const DayFacts> facts,
                        std::int32_t gapLimitMinutes) {
    SeasonChart chart;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        const std::int64_t day = firstDay + static_cast<std::int64_t>(i);
        for (auto [window, line] :
             {std::pair{&facts[i].night, &chart.tn}, std::pair{&facts[i].day, &chart.tx}})
            if (window->readingCount > 0)
                line->points.push_back({day, window->extreme, !window->complete(gapLimitMinutes)});
    }
    return chart;
}

std::vector<MonthSummary> SummariseMonths(std::int64_t firstDay, std::span<const DayFacts> facts,
                                          std::int32_t gapLimitMinutes) {
    std::vector<MonthSummary> months;
    std::size_t i = 0;
    while (i < facts.size()) {
        const CivilDateTime first =
            SplitDateTime(static_cast<double>(firstDay + static_cast<std::int64_t>(i)));
        MonthSummary m;
        m.year = first.year;
        m.month = first.month;
        const std::int64_t monthStart = DayNumberFromCivil(m.year, m.month, 1);
        const int monthDays = DaysInMonth(m.year, m.month);
        double sumTn = 0, sumTx = 0, sumMid = 0;
        int daysWithBoth = 0;
        int run = 0;
        int longestRun = 0;
        for (int d = 0; d < monthDays; ++d) {
            const std::int64_t day = monthStart + d;
            const std::int64_t index = day - firstDay;
            std::optional<float> tn, tx;
            if (index >= 0 && index < static_cast<std::int64_t>(facts.size())) {
                tn = CountedValue(facts[static_cast<std::size_t>(index)].night, gapLimitMinutes);
                tx = CountedValue(facts[static_cast<std::size_t>(index)].day, gapLimitMinutes);
            }
            if (tn) {
                ++m.daysWithTn;
                sumTn += *tn;
                if (!m.lowestTn || *tn < *m.lowestTn) {
                    m.lowestTn = tn;
                    m.lowestTnDay = day;
                }
                m.counts[static_cast<std::size_t>(DayCount::TnAtMostMinus10)] += *tn <= -10;
                m.counts[static_cast<std::size_t>(DayCount::TnAtMostMinus5)] += *tn <= -5;
                m.counts[static_cast<std::size_t>(DayCount::Frost)] += *tn <= 0;
                m.counts[static_cast<std::size_t>(DayCount::TropicalNight)] += *tn >= 20;
            }
            if (tx) {
                ++m.daysWithTx;
                sumTx += *tx;
                if (!m.highestTx || *tx > *m.highestTx) {
                    m.highestTx = tx;
                    m.highestTxDay = day;
                }
                m.counts[static_cast<std::size_t>(DayCount::NoThaw)] += *tx <= 0;
                m.counts[static_cast<std::size_t>(DayCount::Summer)] += *tx >= 25;
                m.counts[static_cast<std::size_t>(DayCount::Hot)] += *tx >= 30;
                m.counts[static_cast<std::size_t>(DayCount::VeryHot)] += *tx >= 35;
            }
            if (tn && tx) {
                ++daysWithBoth;
                sumMid += (static_cast<double>(*tn) + *tx) / 2;
                run = 0;
            } else {
                ++m.daysMissing;
                longestRun = std::max(longestRun, ++run);
            }
        }
        if (m.daysWithTn > 0)
            m.meanTn = sumTn / m.daysWithTn;
        if (m.daysWithTx > 0)
            m.meanTx = sumTx / m.daysWithTx;
        if (daysWithBoth > 0)
            m.meanMid = sumMid / daysWithBoth;
        m.complete = m.daysMissing <= kMostDaysMissing && longestRun <= kMostDaysMissingInARow;
        months.push_back(m);
        i = static_cast<std::size_t>(monthStart + monthDays - firstDay);
    }
    return months;
}

TextTable MonthlySummaryTable(std::span<const MonthSummary> months, char separator) {
    TextTable table;
    table.titles = {"Mois",       "Jours Tn",           "Jours Tx",  "Moy. Tn",
                    "Moy. Tx",    "Moy. (Tn+Tx)/2",     "Tn min",    "Date Tn min",
                    "Tx max",     "Date Tx max",        "Tn ≤ -10",  "Tn ≤ -5",
                    "Gel Tn ≤ 0", "Sans dégel Tx ≤ 0",  "Tx ≥ 25",   "Tx ≥ 30",
                    "Tx ≥ 35",    "Nuit trop. Tn ≥ 20", "Manquants", "Complet"};
    for (const MonthSummary &m : months) {
        char label[16];
        std::snprintf(label, sizeof label, "%04d-%02d", m.year, m.month);
        // Too many days missing: no mean at all, rather than one that a gap has biased.
        const auto mean = [&](const std::optional<double> &value) {
            return m.complete ? MeanText(value, separator) : std::string();
        };
        std::vector<std::string> row = {label,
                                        std::to_string(m.daysWithTn),
                                        std::to_string(m.daysWithTx),
                                        mean(m.meanTn),
                                        mean(m.meanTx),
                                        mean(m.meanMid),
                                        ValueText(m.lowestTn, separator),
                                        DayText(m.lowestTn, m.lowestTnDay),
                                        ValueText(m.highestTx, separator),
                                        DayText(m.highestTx, m.highestTxDay)};
        for (const int count : m.counts)
            row.push_back((m.complete ? "" : "≥") + std::to_string(count));
        row.push_back(std::to_string(m.daysMissing));
        row.push_back(m.complete ? "1" : "0");
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::string TabSeparatedText(const TextTable &table) {
    std::string text;
    auto line = [&](const std::vector<std::string> &cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c != 0)
                text += '\t';
            text += cells[c];
        }
        text += "\r\n";
    };
    line(table.titles);
    for (const auto &row : table.rows)
        line(row);
    return text;
}

TextTable MonthlySummaryOf(const ProgramTables &tables) {
    if (tables.MeasurementCount == 0 || tables.DayFactsTable.empty())
        return MonthlySummaryTable({}, tables.LocaleDecimalSeparator);
    const std::int64_t firstDay = CalendarDay(tables.MeasurementTable.at(1).Timestamp);
    return MonthlySummaryTable(
        SummariseMonths(firstDay, tables.DayFactsTable, tables.GapLimitMinutes),
        tables.LocaleDecimalSeparator);
}

} // namespace pelk
