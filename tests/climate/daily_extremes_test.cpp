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

// Tn and Tx of each day as bits, so that -0 against 0 or another choice among ties shows.
std::vector<std::uint64_t> Bits(const std::vector<DayExtremes> &days) {
    std::vector<std::uint64_t> bits;
    for (const DayExtremes &day : days)
        bits.push_back(std::uint64_t{std::bit_cast<std::uint32_t>(day.tn)} << 32 |
                       std::bit_cast<std::uint32_t>(day.tx));
    return bits;
}

using Rows = std::vector<std::array<std::string, 3>>;

// The rows the program shows, after checking that the plain scan agrees.
Rows RowsOf(const std::vector<Measurement> &readings, int offset) {
    EXPECT_EQ(Bits(SweepDailyExtremes(readings, offset)),
              Bits(ScanDailyExtremes(readings, offset)));
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
        // Empty windows and values beyond the start values show the start values.
        {{At(0, 0, 0, 150), At(2, 0, 0, -150)},
         1,
         {{"2008-03-05", "100", "-100"},
          {"2008-03-06", "100", "-100"},
          {"2008-03-07", "-150", "-100"}}},
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

TEST(daily_extremes, sweep_matches_the_plain_scans_on_random_tables) {
    std::mt19937 random(2008);
    for (int table = 0; table < 4000; ++table) {
        const std::vector<Measurement> readings = RandomTable(random, table % 4);
        for (int offset = 0; offset <= 2; ++offset)
            ASSERT_EQ(Bits(SweepDailyExtremes(readings, offset)),
                      Bits(ScanDailyExtremes(readings, offset)))
                << "table " << table << " offset " << offset;
    }
}

} // namespace
} // namespace pelk
