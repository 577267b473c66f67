// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The season at a glance, worked out from the day rows' window facts without Qt: the points of
/// the Tn/Tx chart, and the monthly climatological summary that French observers report (means,
/// extremes and the days beyond Météo-France's thresholds, with the WMO rule for a month with too
/// many days missing). A value counts only when its window is complete: an empty window's 100 or
/// -100 is no measurement, and an incomplete one is left out too.
#pragma once

#include "climate/tables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelk {

/// One day of a chart line.
struct ChartPoint {
    std::int64_t day = 0; ///< day number
    float value = 0;
    bool incomplete = false; ///< the window lacks readings: drawn hollow
};

/// A chart line: its points in date order; a day whose window is empty has no point, and the
/// line breaks there.
struct ChartLine {
    std::vector<ChartPoint> points;
    /// The runs of consecutive days, each drawn as one unbroken stroke.
    std::vector<std::span<const ChartPoint>> runs() const;
};

struct SeasonChart {
    ChartLine tn;
    ChartLine tx;
};

/// The chart of the days from `firstDay`, day i's windows at facts[i].
SeasonChart ChartOfDays(std::int64_t firstDay, std::span<const DayFacts> facts,
                        std::int32_t gapLimitMinutes);

/// The day counts of the summary, in their column order.
enum class DayCount : std::size_t {
    TnAtMostMinus10,
    TnAtMostMinus5,
    Frost,        ///< Tn <= 0
    NoThaw,       ///< Tx <= 0
    Summer,       ///< Tx >= 25
    Hot,          ///< Tx >= 30
    VeryHot,      ///< Tx >= 35
    TropicalNight ///< Tn >= 20
};
inline constexpr std::size_t kDayCountKinds = 8;

struct MonthSummary {
    int year = 0;
    int month = 0;
    int daysWithTn = 0;
    int daysWithTx = 0;
    std::optional<double> meanTn;
    std::optional<double> meanTx;
    std::optional<double> meanMid; ///< of (Tn + Tx) / 2 over the days that have both
    std::optional<float> lowestTn;
    std::int64_t lowestTnDay = 0; ///< the first day that has it
    std::optional<float> highestTx;
    std::int64_t highestTxDay = 0;
    std::array<int, kDayCountKinds> counts{};
    /// Calendar days of the month whose Tn or Tx is left out, or that lie outside the file's span.
    int daysMissing = 0;
    /// The WMO's rule for monthly values (WMO-No. 1203, 2017): at most 5 days missing, and at
    /// most 3 of them in a row. Only then are the means and the counts of days given.
    bool complete = false;
};

/// One summary per calendar month that has days from `firstDay`, day i's windows at facts[i].
std::vector<MonthSummary> SummariseMonths(std::int64_t firstDay, std::span<const DayFacts> facts,
                                          std::int32_t gapLimitMinutes);

/// The summary as a table of texts: French column titles, then one row per month; numbers with
/// `separator`, means with one decimal, a mean over no day empty.
struct TextTable {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
};
/// An incomplete month's means are left empty, and its counts of days by threshold, lower bounds
/// then, are written "≥N".
TextTable MonthlySummaryTable(std::span<const MonthSummary> months, char separator);

/// The rule by which a month is complete, as the summary names it.
inline constexpr char kMonthlyRuleText[] =
    "Moyennes selon la règle de l'OMM (n° 1203, 2017) : au plus 5 jours manquants dans le mois, "
    "au plus 3 à la suite.";
inline constexpr int kMostDaysMissing = 5;
inline constexpr int kMostDaysMissingInARow = 3;

/// The table as tab-separated lines ended by CR LF, titles first: what pelk-cli --monthly prints
/// and the summary window copies.
std::string TabSeparatedText(const TextTable &table);

/// The summary of the loaded file's days.
TextTable MonthlySummaryOf(const ProgramTables &tables);

} // namespace pelk
