// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <random>

namespace pelk {
namespace {

const std::int64_t kMarch5th2008 = DayNumberFromCivil(2008, 3, 5);
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Measurement At(std::int64_t day, int hour, int minute, float value) {
    return {MakeDateTime(kMarch5th2008 + day, hour * 3600 + minute * 60), value};
}

// Everything the two scans give, Tn and Tx as bits, so that -0 against 0 or another choice
// among ties shows.
struct Outcome {
    std::vector<std::uint64_t> bits;
    std::vector<DayFacts> facts;
    DailyReport report;
    friend bool operator==(const Outcome &, const Outcome &) = default;
};

Outcome OutcomeOf(const DailyExtremes &computed) {
    Outcome outcome{{}, computed.facts, computed.report};
    for (const DayExtremes &day : computed.days)
        outcome.bits.push_back(std::uint64_t{std::bit_cast<std::uint32_t>(day.tn)} << 32 |
                               std::bit_cast<std::uint32_t>(day.tx));
    return outcome;
}

// The sweep's outcome, after checking that the plain scans agree.
DailyExtremes Swept(const std::vector<Measurement> &readings, const OffsetOnDay &offset) {
    DailyExtremes swept = SweepDailyExtremes(readings, offset);
    EXPECT_EQ(OutcomeOf(swept), OutcomeOf(ScanDailyExtremes(readings, offset)));
    return swept;
}

using Rows = std::vector<std::array<std::string, 3>>;

// The rows the program shows, after checking that the plain scan agrees.
Rows RowsOf(const std::vector<Measurement> &readings, int offset) {
    Swept(readings, FixedOffset(offset));
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, ',');
    tables->UtcOffsetHours = static_cast<std::int16_t>(offset);
    for (const Measurement &m : readings)
        tables->MeasurementTable.at(++tables->MeasurementCount) = m;
    ComputeDailyExtremes(*tables);
    Rows rows;
    for (std::int16_t i = 1; i <= tables->DayCount; ++i)
        rows.push_back({tables->DayTable.at(i).DayLabel, tables->DayTable.at(i).Tn,
                        tables->DayTable.at(i).Tx});
    return rows;
}

TEST(daily_extremes, worked_example) {
    constexpr float kValues[] = {4, 3, 2.5, 6, 11, 12.5, 9, 7, 5.5, 4.5, 4, 8, 14, 15.5, 12, 10};
    std::vector<Measurement> readings; // every three hours from midnight, two days
    for (int i = 0; i < 16; ++i)
        readings.push_back(At(i / 8, i % 8 * 3, 0, kValues[i]));
    EXPECT_EQ(RowsOf(readings, 1),
              (Rows{{"2008-03-05", "2,5", "12,5"}, {"2008-03-06", "4", "15,5"}}));
}

TEST(daily_extremes, readings_against_the_windows) {
    // hour, minute, offset, Tn, Tx: the night window closes at 18 + offset, the day one opens at
    // 6 + offset.
    const std::tuple<int, int, int, const char *, const char *> single[] = {
        {10, 0, 1, "7", "7"},  {20, 0, 1, "100", "7"},  {6, 30, 1, "7", "-100"},
        {6, 30, 0, "7", "7"},  {7, 30, 2, "7", "-100"}, {19, 0, 1, "100", "7"},
        {18, 59, 1, "7", "7"}, {7, 0, 1, "7", "7"}};
    for (const auto &[hour, minute, offset, tn, tx] : single)
        EXPECT_EQ(RowsOf({At(0, hour, minute, 7)}, offset), (Rows{{"2008-03-05", tn, tx}}))
            << hour << ":" << minute << " +" << offset;
    const std::tuple<std::vector<Measurement>, int, Rows> cases[] = {
        // Readings exactly on an edge belong to the window that the edge opens.
        {{At(0, 8, 0, 1), At(0, 19, 0, -5), At(1, 7, 0, 50), At(1, 8, 0, 2)},
         1,
         {{"2008-03-05", "1", "1"}, {"2008-03-06", "-5", "50"}}},
        // Empty windows show the start values; a window with readings its true extreme, even
        // beyond them (a Fahrenheit logger's summer).
        {{At(0, 0, 0, 150), At(2, 0, 0, -150)},
         1,
         {{"2008-03-05", "150", "-100"},
          {"2008-03-06", "100", "-150"},
          {"2008-03-07", "-150", "-100"}}},
        {{At(0, 10, 0, -150), At(0, 11, 0, 120)}, 0, {{"2008-03-05", "-150", "120"}}},
        // The 7th comes before the 5th's second reading: the 5th's scans stop there, 9 is unseen.
        {{At(0, 10, 0, 1), At(2, 10, 0, 3), At(0, 12, 0, 9), At(2, 11, 0, 4)},
         0,
         {{"2008-03-05", "1", "1"}, {"2008-03-06", "100", "-100"}, {"2008-03-07", "3", "4"}}},
        {{At(2, 10, 0, 1), At(0, 10, 0, 2)}, 0, {}}, // the last day before the first
        // A table handed in directly may hold times that are no calendar day at either end.
        {{{kNaN, 1}, At(0, 10, 0, 2)}, 0, {}},
        {{At(0, 10, 0, 2), {kInf, 1}}, 0, {}},
        {{At(0, 10, 0, 2), {1e300, 1}}, 0, {}},
        {{{-1e13, 1}, At(0, 10, 0, 2)}, 0, {}}, // long before year 1, yet a day number holds it
        {{At(0, 10, 0, -0.0f), At(0, 11, 0, 0.0f)}, 1, {{"2008-03-05", "0", "0"}}},
    };
    for (const auto &[readings, offset, rows] : cases)
        EXPECT_EQ(RowsOf(readings, offset), rows) << readings.size() << " +" << offset;
}

TEST(daily_extremes, long_spans_list_their_first_5000_days) {
    const std::int64_t first = DayNumberFromCivil(2008, 1, 1) - kMarch5th2008;
    for (const std::int64_t lastDay : {4999, 5000, 34000}) { // 5000 days, and more
        const Rows rows = RowsOf({At(first, 12, 0, 1), At(first + lastDay, 12, 0, 2)}, 1);
        ASSERT_EQ(rows.size(), 5000u) << lastDay;
        EXPECT_EQ(rows.front(), (std::array<std::string, 3>{"2008-01-01", "1", "1"}));
        EXPECT_EQ(rows.back()[0], "2021-09-08"); // 2008-01-01 + 4999 days
    }
}

// Tables of every shape: in time order, nearly, shuffled, with far-off or no-day entries; over a
// few days or about 5000; times often exactly on, or a second beside, a window edge.
std::vector<Measurement> RandomTable(std::mt19937 &random, int shape) {
    auto pick = [&](int lowest, int highest) {
        return std::uniform_int_distribution<int>(lowest, highest)(random);
    };
    auto when = [&](std::int64_t day) {
        const int seconds = pick(0, 1) ? (6 + 12 * pick(0, 1) + pick(0, 2)) * 3600 + pick(-1, 1)
                                       : pick(0, 1439) * 60;
        return MakeDateTime(kMarch5th2008 + day, seconds);
    };
    // Few values, so that ties are common; signed zeros; beyond the start values.
    constexpr float kValues[] = {-150, -4, -2.5, -1, -0.5, -0.0f, 0, 0.5, 1, 2.5, 4, 150};
    auto value = [&] { return kValues[pick(0, 11)]; };
    const bool long_span = pick(0, 19) == 0;
    const int span = long_span ? pick(4990, 5010) : pick(1, 7);
    std::vector<Measurement> readings(static_cast<std::size_t>(pick(2, long_span ? 12 : 120)));
    for (std::size_t i = 0; i < readings.size(); ++i)
        readings[i] = {when(i == 0 ? 0 : i == 1 ? span - 1 : pick(0, span - 1)), value()};
    std::sort(readings.begin(), readings.end(),
              [](const Measurement &a, const Measurement &b) { return a.Timestamp < b.Timestamp; });
    for (int swaps = shape == 1 ? pick(1, 3) : 0; swaps > 0; --swaps) {
        const auto i = static_cast<std::size_t>(pick(1, static_cast<int>(readings.size()) - 1));
        std::swap(readings[i - 1], readings[i]);
    }
    if (shape == 2)
        std::shuffle(readings.begin(), readings.end(), random);
    constexpr double kNoDay[] = {kInf, -kInf, kNaN, 1e300};
    for (int far = shape == 3 ? pick(1, 2) : 0; far > 0; --far) {
        const auto at = readings.begin() + pick(0, static_cast<int>(readings.size()));
        const DateTime t = pick(0, 4) == 0 ? kNoDay[pick(0, 3)]
                                           : when(pick(0, 1) ? pick(-8000, -1) : pick(8, 8000));
        readings.insert(at, Measurement{t, value()});
    }
    return readings;
}

// An offset that changes once, as a zone's does at summer time.
OffsetOnDay ChangingOffset(std::int64_t changeDay, int before, int after) {
    return
        [=](std::int64_t day) { return (day < kMarch5th2008 + changeDay ? before : after) * 3600; };
}

TEST(daily_extremes, sweep_matches_the_plain_scans_on_random_tables) {
    std::mt19937 random(2008);
    for (int table = 0; table < 1000; ++table) {
        const std::vector<Measurement> readings = RandomTable(random, table % 4);
        const OffsetOnDay offsets[] = {FixedOffset(0),  FixedOffset(1),
                                       FixedOffset(2),  FixedOffset(-12),
                                       FixedOffset(14), ChangingOffset(table % 5, 1, 2)};
        for (std::size_t o = 0; o < std::size(offsets); ++o) {
            const Outcome plain = OutcomeOf(ScanDailyExtremes(readings, offsets[o]));
            ASSERT_EQ(OutcomeOf(SweepDailyExtremes(readings, offsets[o])), plain)
                << "table " << table << " offset " << o;
            ASSERT_EQ(OutcomeOf(SweepDailyExtremes(readings, offsets[o], false)).bits, plain.bits)
                << "table " << table << " offset " << o << " without facts";
        }
    }
}

// Hourly readings on the 5th from `from` to `to` o'clock, and on the 6th from 0 to 23, skipping
// the hours in `missing` (of the 6th).
std::vector<Measurement> Hourly(int from, int to, std::initializer_list<int> missing = {}) {
    std::vector<Measurement> readings;
    for (int h = from; h <= to; ++h)
        readings.push_back(At(0, h, 0, static_cast<float>(h % 7)));
    for (int h = 0; h < 24; ++h)
        if (std::find(missing.begin(), missing.end(), h) == missing.end())
            readings.push_back(At(1, h, 0, static_cast<float>(h % 7)));
    return readings;
}

TEST(daily_extremes, window_facts) {
    struct Case {
        const char *scenario;
        std::vector<Measurement> readings;
        std::size_t day;
        bool night;
        std::int32_t count;
        std::int64_t gapMinutes;
        bool completeAt60;
        DateTime gapFrom; // where the longest stretch begins
    };
    const DateTime open5th = At(-1, 18, 0, 0).Timestamp; // night of the 5th opens (offset 0)
    const Case cases[] = {
        // Data from 00:00: the first night window opened at 18:00 the evening before.
        {"partial first night", Hourly(0, 23), 0, true, 18, 360, false, open5th},
        {"full day window", Hourly(0, 23), 0, false, 24, 60, true, At(0, 6, 0, 0).Timestamp},
        // The last day's day window runs to 06:00 of the 7th, past the data.
        {"partial last day", Hourly(0, 23), 1, false, 18, 420, false, At(1, 23, 0, 0).Timestamp},
        {"one missing hour", Hourly(0, 23, {10}), 1, true, 23, 120, false,
         At(1, 9, 0, 0).Timestamp},
        {"interior gap", Hourly(0, 23, {10, 11, 12}), 1, true, 21, 240, false,
         At(1, 9, 0, 0).Timestamp},
        // Equal stretches: the earliest is named.
        {"earliest of equal gaps", Hourly(0, 23, {3, 12}), 1, true, 22, 120, false,
         At(1, 2, 0, 0).Timestamp},
        {"empty window",
         {At(0, 12, 0, 1), At(2, 12, 0, 1)},
         1,
         true,
         0,
         1440,
         false,
         At(0, 18, 0, 0).Timestamp},
    };
    for (const Case &c : cases) {
        const DailyExtremes swept = Swept(c.readings, FixedOffset(0));
        const WindowFacts &w = c.night ? swept.facts.at(c.day).night : swept.facts.at(c.day).day;
        EXPECT_EQ(w.readingCount, c.count) << c.scenario;
        EXPECT_EQ(w.longestGapMinutes(), c.gapMinutes) << c.scenario;
        EXPECT_EQ(w.complete(60), c.completeAt60) << c.scenario;
        EXPECT_EQ(w.longestGapFrom, c.gapFrom) << c.scenario;
        EXPECT_EQ(w.complete(static_cast<std::int32_t>(c.gapMinutes)), c.count > 0) << c.scenario;
        EXPECT_FALSE(w.complete(static_cast<std::int32_t>(c.gapMinutes) - 1)) << c.scenario;
    }
}

TEST(daily_extremes, a_started_minute_of_a_stretch_counts_whole) {
    WindowFacts window;
    window.longestGapTo = 61.0 / kSecondsPerDay;
    EXPECT_EQ(window.longestGapMinutes(), 2);
}

TEST(daily_extremes, extreme_time_is_the_first_reading_holding_it) {
    // Ties on both extremes, and a reading out of time order that holds the minimum first.
    const std::vector<Measurement> readings = {At(0, 8, 0, 3),  At(0, 9, 0, 1),  At(0, 10, 0, 5),
                                               At(0, 11, 0, 1), At(0, 12, 0, 5), At(0, 7, 0, 1)};
    const DailyExtremes swept = Swept(readings, FixedOffset(0));
    EXPECT_EQ(swept.facts.at(0).night.extremeTime, At(0, 9, 0, 0).Timestamp);
    EXPECT_EQ(swept.facts.at(0).day.extremeTime, At(0, 10, 0, 0).Timestamp);
}

TEST(daily_extremes, report_tells_what_no_row_counts) {
    using Left = ReadingsLeftOut;
    const std::tuple<const char *, std::vector<Measurement>, DailyReport> cases[] = {
        {"in time order", Hourly(0, 23), {}},
        // The 7th's reading closes the 5th's and 6th's windows: the 5th's later readings unseen.
        {"backwards jump",
         {At(0, 1, 0, 1), At(2, 1, 0, 1), At(0, 3, 0, 1), At(0, 4, 0, 1), At(2, 2, 0, 1)},
         {Left{2, 3, 4}, Left{}, 0}},
        // The days listed end with the last reading's: in a table that goes back, a reading in
        // no listed window is part of the jump.
        {"before the first day",
         {At(0, 1, 0, 1), At(-3, 1, 0, 1), At(0, 2, 0, 1)},
         {Left{1, 2, 2}, Left{}, 0}},
        {"last day before the first", {At(2, 1, 0, 1), At(0, 1, 0, 1)}, {Left{2, 1, 2}, Left{}, 0}},
        // Days past the capacity are told apart from readings out of order.
        {"beyond the capacity",
         {At(0, 1, 0, 1), At(5000, 1, 0, 1), At(5002, 1, 0, 1)},
         {Left{}, Left{}, 3}},
    };
    for (const auto &[scenario, readings, report] : cases)
        EXPECT_EQ(Swept(readings, FixedOffset(0)).report, report) << scenario;
    // In time order, ten hours behind UTC: 22:00 on the last day is past its day window.
    const DailyReport pastTheWindows{Left{}, Left{1, 2, 2}, 0};
    EXPECT_EQ(Swept({At(0, 12, 0, 1), At(1, 22, 0, 1)}, FixedOffset(-10)).report, pastTheWindows);
}

TEST(daily_extremes, windows_follow_the_offset_of_their_day) {
    // Summer time from the 6th: the 6th's night window closes at 20:00, the 5th's at 19:00.
    const DailyExtremes swept =
        Swept({At(0, 12, 0, 1), At(1, 19, 30, -3), At(2, 12, 0, 1)}, ChangingOffset(1, 1, 2));
    EXPECT_EQ(swept.facts.at(1).night.opens, At(0, 19, 0, 0).Timestamp);
    EXPECT_EQ(swept.facts.at(1).night.closes, At(1, 20, 0, 0).Timestamp);
    EXPECT_EQ(swept.days.at(1).tn, -3);
    EXPECT_EQ(swept.facts.at(1).day.opens, At(1, 8, 0, 0).Timestamp);
    EXPECT_EQ(swept.facts.at(0).day.closes, At(1, 8, 0, 0).Timestamp);
}

TEST(daily_extremes, newest_first_is_only_a_strictly_falling_table) {
    EXPECT_TRUE(IsNewestFirst({{At(1, 0, 0, 1), At(0, 5, 0, 1), At(0, 5, 0, 2)}}));
    EXPECT_FALSE(IsNewestFirst({{At(1, 0, 0, 1), At(1, 1, 0, 1), At(0, 5, 0, 2)}}));
    EXPECT_FALSE(IsNewestFirst({{At(0, 5, 0, 1), At(0, 5, 0, 2)}}));
    EXPECT_FALSE(IsNewestFirst({{At(0, 5, 0, 1)}}));
}

} // namespace
} // namespace pelk
