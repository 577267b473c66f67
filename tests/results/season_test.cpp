// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/season.h"

#include <gtest/gtest.h>

#include <random>

namespace pelk {
namespace {

const std::int64_t kMarch1st = DayNumberFromCivil(2008, 3, 1);

// A window that counts with `value`, or, for the markers below, one that does not.
constexpr float kEmpty = 1000;      // no reading
constexpr float kIncomplete = 2000; // readings with a hole of two hours

WindowFacts Window(float value) {
    WindowFacts w;
    w.readingCount = value == kEmpty ? 0 : 12;
    w.extreme = value == kIncomplete ? 5 : value;
    w.longestGapTo = value == kIncomplete ? 2.0 / 24 : 1.0 / 24;
    return w;
}

std::vector<DayFacts> Days(std::initializer_list<std::pair<float, float>> tnTx) {
    std::vector<DayFacts> days;
    for (const auto &[tn, tx] : tnTx)
        days.push_back({Window(tn), Window(tx)});
    return days;
}

std::vector<DayFacts> Repeat(std::size_t count, float tn, float tx) {
    return std::vector<DayFacts>(count, {Window(tn), Window(tx)});
}

TEST(season, months_count_only_complete_windows_and_thresholds_include_their_bound) {
    // 30 and 31 March, then 1 April: two months, the first seen for two days only.
    const std::vector<DayFacts> days = Days({{-10, 0},
                                             {-5, 25},
                                             {0, 30},
                                             {20, 35},
                                             {kEmpty, kIncomplete},
                                             {kIncomplete, 24.9f},
                                             {-9.9f, -0.1f}});
    const std::vector<MonthSummary> months = SummariseMonths(kMarch1st + 29, days, 60);
    ASSERT_EQ(months.size(), 2u);
    EXPECT_EQ(months[0].month, 3);
    EXPECT_EQ(months[0].daysWithTn, 2);
    EXPECT_EQ(months[0].daysMissing, 29); // 29 days before the file
    EXPECT_FALSE(months[0].complete);
    EXPECT_EQ(months[0].counts, (std::array<int, kDayCountKinds>{1, 2, 2, 1, 1, 0, 0, 0}));
    const MonthSummary &april = months[1];
    EXPECT_EQ(april.month, 4);
    EXPECT_EQ(april.daysWithTn, 3); // empty and incomplete windows left out
    EXPECT_EQ(april.daysWithTx, 4);
    EXPECT_EQ(april.counts, (std::array<int, kDayCountKinds>{0, 1, 2, 1, 2, 2, 1, 1}));
    EXPECT_EQ(april.lowestTn, -9.9f);
    EXPECT_EQ(april.lowestTnDay, kMarch1st + 35);
    EXPECT_EQ(april.highestTx, 35.0f);
    EXPECT_EQ(april.daysMissing, 30 - 3); // days 2 and 3 lack a value, 6-30 are past the file
    ASSERT_TRUE(april.meanMid);
    EXPECT_NEAR(*april.meanMid, (15 + 27.5 - 5) / 3, 1e-6);
}

// The WMO's rule for monthly values (WMO-No. 1203, 2017), at its boundaries.
TEST(season, wmo_rule_allows_five_missing_days_and_three_in_a_row) {
    const std::tuple<const char *, std::vector<std::size_t>, bool> cases[] = {
        {"five scattered", {0, 6, 12, 18, 24}, true},
        {"six scattered", {0, 6, 12, 18, 24, 30}, false},
        {"three in a row", {10, 11, 12}, true},
        {"four in a row", {10, 11, 12, 13}, false},
        {"four in a row at the end", {27, 28, 29, 30}, false},
        {"three in a row and two more", {0, 1, 2, 10, 20}, true},
        {"none", {}, true},
    };
    for (const auto &[scenario, missing, complete] : cases) {
        std::vector<DayFacts> days = Repeat(31, 1, 10);
        for (const std::size_t day : missing)
            days[day].day = Window(day % 2 == 0 ? kEmpty : kIncomplete);
        const std::vector<MonthSummary> months = SummariseMonths(kMarch1st, days, 60);
        ASSERT_EQ(months.size(), 1u) << scenario;
        EXPECT_EQ(months[0].daysMissing, static_cast<int>(missing.size())) << scenario;
        EXPECT_EQ(months[0].complete, complete) << scenario;
        const std::vector<std::string> row = MonthlySummaryTable(months, '.').rows.at(0);
        EXPECT_EQ(row[3].empty(), !complete) << scenario;           // no mean Tn
        EXPECT_EQ(row[12].starts_with("≥"), !complete) << scenario; // frost days a lower bound
    }
}

TEST(season, means_match_a_plain_computation_on_random_months) {
    std::mt19937 random(2008);
    std::uniform_real_distribution<float> temperature(-15, 38);
    for (int table = 0; table < 200; ++table) {
        std::vector<DayFacts> days(40 + table % 60);
        double sumTn = 0, sumTx = 0, sumMid = 0;
        int nTn = 0, nTx = 0, nMid = 0;
        for (std::size_t i = 0; i < days.size(); ++i) {
            const float tn = random() % 5 == 0 ? kEmpty : temperature(random);
            const float tx = random() % 7 == 0 ? kIncomplete : temperature(random);
            days[i] = {Window(tn), Window(tx)};
            if (i >= 31) // March only
                continue;
            if (tn != kEmpty)
                sumTn += tn, ++nTn;
            if (tx != kIncomplete)
                sumTx += tx, ++nTx;
            if (tn != kEmpty && tx != kIncomplete)
                sumMid += (double{tn} + tx) / 2, ++nMid;
        }
        const MonthSummary march = SummariseMonths(kMarch1st, days, 60).at(0);
        EXPECT_NEAR(march.meanTn.value_or(0), nTn ? sumTn / nTn : 0, 1e-9) << table;
        EXPECT_NEAR(march.meanTx.value_or(0), nTx ? sumTx / nTx : 0, 1e-9) << table;
        EXPECT_NEAR(march.meanMid.value_or(0), nMid ? sumMid / nMid : 0, 1e-9) << table;
    }
}

TEST(season, table_texts_use_the_separator_one_decimal_and_empty_for_no_day) {
    const std::vector<MonthSummary> months =
        SummariseMonths(kMarch1st, Days({{-0.04f, 12.25f}, {kEmpty, 13}}), 60);
    const TextTable table = MonthlySummaryTable(months, ',');
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.titles.size(), table.rows[0].size());
    // Two days of March: no means, and the counts are lower bounds.
    EXPECT_EQ(table.rows[0],
              (std::vector<std::string>{"2008-03",    "1",  "2",          "",   "",   "",   "-0,04",
                                        "2008-03-01", "13", "2008-03-02", "≥0", "≥0", "≥1", "≥0",
                                        "≥0",         "≥0", "≥0",         "≥0", "30", "0"}));
    // A whole month: its means, one decimal with the separator.
    std::vector<DayFacts> whole = Repeat(31, 1, 12.25f);
    whole[0] = {Window(-0.04f), Window(12.25f)};
    const TextTable full = MonthlySummaryTable(SummariseMonths(kMarch1st, whole, 60), ',');
    EXPECT_EQ(full.rows[0][3], "1,0");
    EXPECT_EQ(full.rows[0][4], "12,3");
    const std::string text = TabSeparatedText(table);
    EXPECT_EQ(text.substr(0, 14), "Mois\tJours Tn\t");
    EXPECT_EQ(text.substr(text.size() - 4), "\t0\r\n");
    std::vector<DayFacts> noTn = Repeat(31, 1, 10);
    for (DayFacts &day : noTn)
        day.night = Window(kEmpty);
    EXPECT_EQ(MonthlySummaryTable(SummariseMonths(kMarch1st, noTn, 60), ',').rows[0][3], "");
    const MonthSummary ties = SummariseMonths(kMarch1st, Days({{1, 5}, {1, 5}}), 60).at(0);
    EXPECT_EQ(ties.lowestTnDay, kMarch1st); // the first on ties
    EXPECT_EQ(ties.highestTxDay, kMarch1st);
}

TEST(season, chart_breaks_at_empty_windows_and_marks_incomplete_ones) {
    const SeasonChart chart = ChartOfDays(
        kMarch1st, Days({{1, 5}, {kEmpty, 6}, {2, kIncomplete}, {3, kEmpty}, {4, 7}}), 60);
    EXPECT_EQ(chart.tn.points.size(), 4u);
    EXPECT_EQ(chart.tn.runs().size(), 2u);
    EXPECT_EQ(chart.tx.points.size(), 4u);
    ASSERT_EQ(chart.tx.runs().size(), 2u);
    EXPECT_EQ(chart.tx.runs()[0].size(), 3u);
    EXPECT_TRUE(chart.tx.points[2].incomplete);
    EXPECT_FALSE(chart.tx.points[1].incomplete);
    EXPECT_EQ(chart.tx.points[3].day, kMarch1st + 4);
}

} // namespace
} // namespace pelk
