// The one-pass sweep against the plain per-day scans, on many generated tables: in time order,
// nearly in order, shuffled, with far-off entries, with readings exactly on window edges, with
// equal values, and for every offset.
#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>
#include <sstream>

namespace pelk {
namespace {

const std::int64_t kMarch5th2008 = DayNumberFromCivil(2008, 3, 5);

// Bit for bit, so that -0 against 0 or a different tie-breaking would show.
bool SameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

::testing::AssertionResult SameDays(const std::vector<DayExtremes> &expected,
                                    const std::vector<DayExtremes> &actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "day count " << actual.size() << ", expected " << expected.size();
    for (std::size_t k = 0; k < expected.size(); ++k)
        if (!SameBits(expected[k].tn, actual[k].tn) || !SameBits(expected[k].tx, actual[k].tx))
            return ::testing::AssertionFailure()
                   << "day " << k << ": Tn " << actual[k].tn << " Tx " << actual[k].tx
                   << ", expected Tn " << expected[k].tn << " Tx " << expected[k].tx;
    return ::testing::AssertionSuccess();
}

std::string Describe(const std::vector<Measurement> &readings) {
    std::ostringstream out;
    out.precision(17);
    for (const Measurement &m : readings)
        out << m.Timestamp << ' ' << m.Value << '\n';
    return out.str();
}

enum class Order { Sorted, NearlySorted, Shuffled, FarOffEntries };

class TableGenerator {
  public:
    explicit TableGenerator(std::uint32_t seed) : random_(seed) {}

    std::vector<Measurement> make(Order order, int spanDays, int count) {
        std::vector<Measurement> readings;
        readings.reserve(static_cast<std::size_t>(count) + 4);
        for (int i = 0; i < count; ++i)
            readings.push_back({timestamp(spanDays), value()});
        std::sort(readings.begin(), readings.end(), [](const Measurement &a, const Measurement &b) {
            return a.Timestamp < b.Timestamp;
        });
        switch (order) {
        case Order::Sorted:
            break;
        case Order::NearlySorted:
            for (int swaps = pick(1, 3); swaps > 0 && readings.size() > 1; --swaps) {
                const std::size_t i =
                    static_cast<std::size_t>(pick(0, static_cast<int>(readings.size()) - 2));
                std::swap(readings[i],
                          readings[i + static_cast<std::size_t>(pick(
                                           1, std::min<int>(
                                                  3, static_cast<int>(readings.size() - i) - 1)))]);
            }
            break;
        case Order::Shuffled:
            std::shuffle(readings.begin(), readings.end(), random_);
            break;
        case Order::FarOffEntries:
            for (int far = pick(1, 2); far > 0; --far) {
                const auto at = readings.begin() + pick(0, static_cast<int>(readings.size()));
                const int days = pick(0, 1) == 0 ? pick(-8000, -1) : pick(spanDays + 1, 8000);
                readings.insert(at, Measurement{edgeOrMinute(kMarch5th2008 + days), value()});
            }
            break;
        }
        return readings;
    }

  private:
    int pick(int lowest, int highest) {
        return std::uniform_int_distribution<int>(lowest, highest)(random_);
    }

    // Often exactly on one of the window edges of some offset, otherwise on a minute.
    DateTime edgeOrMinute(std::int64_t day) {
        static constexpr int kEdgeHours[] = {6, 7, 8, 18, 19, 20};
        if (pick(0, 2) == 0)
            return MakeDateTime(day, kEdgeHours[pick(0, 5)] * 3600);
        return MakeDateTime(day, pick(0, 1439) * 60);
    }

    DateTime timestamp(int spanDays) { return edgeOrMinute(kMarch5th2008 + pick(0, spanDays - 1)); }

    // Few distinct values, so that ties are common; now and then beyond the start values, or a
    // signed zero.
    float value() {
        switch (pick(0, 9)) {
        case 0:
            return pick(0, 1) ? 150.0f : -150.0f;
        case 1:
            return pick(0, 1) ? 0.0f : -0.0f;
        default:
            return static_cast<float>(pick(-8, 8)) * 0.5f;
        }
    }

    std::mt19937 random_;
};

TEST(daily_extremes_fast, matches_the_plain_scans_on_generated_tables) {
    constexpr Order kOrders[] = {Order::Sorted, Order::NearlySorted, Order::Shuffled,
                                 Order::FarOffEntries};
    for (std::uint32_t seed = 1; seed <= 1500; ++seed) {
        TableGenerator generator(seed);
        for (const Order order : kOrders) {
            const int spanDays = 1 + static_cast<int>(seed % 7);
            const int count = 1 + static_cast<int>(seed * 7919 % 61);
            const std::vector<Measurement> readings = generator.make(order, spanDays, count);
            for (int offset = 0; offset <= 2; ++offset) {
                ASSERT_TRUE(SameDays(ScanDailyExtremes(readings, offset),
                                     SweepDailyExtremes(readings, offset)))
                    << "seed " << seed << " order " << static_cast<int>(order) << " offset "
                    << offset << "\n"
                    << Describe(readings);
            }
        }
    }
}

TEST(daily_extremes_fast, matches_the_plain_scans_on_larger_tables) {
    constexpr Order kOrders[] = {Order::Sorted, Order::NearlySorted, Order::Shuffled,
                                 Order::FarOffEntries};
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        TableGenerator generator(seed);
        for (const Order order : kOrders) {
            const std::vector<Measurement> readings = generator.make(order, 40, 3000);
            for (int offset = 0; offset <= 2; ++offset)
                ASSERT_TRUE(SameDays(ScanDailyExtremes(readings, offset),
                                     SweepDailyExtremes(readings, offset)))
                    << "seed " << seed << " order " << static_cast<int>(order) << " offset "
                    << offset;
        }
    }
}

TEST(daily_extremes_fast, every_edge_of_every_offset) {
    // One reading on each edge and one second either side of it, for three days.
    std::vector<Measurement> readings;
    float value = 0;
    for (std::int64_t day = 0; day < 3; ++day)
        for (const int hour : {6, 7, 8, 18, 19, 20})
            for (const int delta : {-1, 0, 1})
                readings.push_back(
                    {MakeDateTime(kMarch5th2008 + day, hour * 3600 + delta), value += 1});
    for (int offset = 0; offset <= 2; ++offset) {
        EXPECT_TRUE(
            SameDays(ScanDailyExtremes(readings, offset), SweepDailyExtremes(readings, offset)))
            << "offset " << offset;
        std::reverse(readings.begin(), readings.end());
        EXPECT_TRUE(
            SameDays(ScanDailyExtremes(readings, offset), SweepDailyExtremes(readings, offset)))
            << "reversed, offset " << offset;
        std::reverse(readings.begin(), readings.end());
    }
}

TEST(daily_extremes_fast, spans_of_5000_days_and_more) {
    for (const int lastDay : {4998, 4999, 5000, 5001, 7000}) {
        std::vector<Measurement> readings;
        for (int day = 0; day <= lastDay; day += 3)
            readings.push_back(
                {MakeDateTime(kMarch5th2008 + day, 12 * 3600), static_cast<float>(day % 17)});
        readings.push_back({MakeDateTime(kMarch5th2008 + lastDay, 7 * 3600), 99.0f});
        const auto sweep = SweepDailyExtremes(readings, 1);
        EXPECT_EQ(sweep.size(), static_cast<std::size_t>(std::min(lastDay + 1, 5000))) << lastDay;
        EXPECT_TRUE(SameDays(ScanDailyExtremes(readings, 1), sweep)) << lastDay;
    }
}

TEST(daily_extremes_fast, last_day_before_the_first_and_days_without_readings) {
    const std::vector<Measurement> backwards = {{MakeDateTime(kMarch5th2008 + 2, 36000), 1.0f},
                                                {MakeDateTime(kMarch5th2008, 36000), 2.0f}};
    EXPECT_TRUE(SweepDailyExtremes(backwards, 1).empty());

    const std::vector<Measurement> gap = {{MakeDateTime(kMarch5th2008, 36000), 1.0f},
                                          {MakeDateTime(kMarch5th2008 + 9, 36000), 2.0f}};
    const auto days = SweepDailyExtremes(gap, 1);
    ASSERT_EQ(days.size(), 10u);
    EXPECT_TRUE(SameDays(ScanDailyExtremes(gap, 1), days));
    EXPECT_EQ(days[4].tn, kEmptyNightMinimum);
    EXPECT_EQ(days[4].tx, kEmptyDayMaximum);
}

TEST(daily_extremes_fast, worked_example) {
    constexpr float kValues[] = {4.0f, 3.0f, 2.5f, 6.0f, 11.0f, 12.5f, 9.0f,  7.0f,
                                 5.5f, 4.5f, 4.0f, 8.0f, 14.0f, 15.5f, 12.0f, 10.0f};
    std::vector<Measurement> readings;
    for (int i = 0; i < 16; ++i)
        readings.push_back({MakeDateTime(kMarch5th2008 + i / 8, i % 8 * 3 * 3600), kValues[i]});
    const auto days = SweepDailyExtremes(readings, 1);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].tn, 2.5f);
    EXPECT_EQ(days[0].tx, 12.5f);
    EXPECT_EQ(days[1].tn, 4.0f);
    EXPECT_EQ(days[1].tx, 15.5f);
}

TEST(daily_extremes_fast, table_rows_come_from_the_sweep) {
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, ',');
    tables->UtcOffsetHours = 2;
    TableGenerator generator(77);
    const std::vector<Measurement> readings = generator.make(Order::Shuffled, 5, 200);
    for (std::size_t i = 0; i < readings.size(); ++i)
        tables->MeasurementTable.at(static_cast<std::int64_t>(i) + 1) = readings[i];
    tables->MeasurementCount = static_cast<std::int32_t>(readings.size());
    ComputeDailyExtremes(*tables);
    const auto expected = ScanDailyExtremes(readings, 2);
    ASSERT_EQ(tables->DayCount, static_cast<std::int16_t>(expected.size()));
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const DayRow &row = tables->DayTable.at(static_cast<std::int64_t>(k) + 1);
        EXPECT_EQ(row.Tn, NumberToText(expected[k].tn, ','));
        EXPECT_EQ(row.Tx, NumberToText(expected[k].tx, ','));
    }
}

TEST(daily_extremes_fast, timestamps_that_are_no_calendar_day_list_nothing) {
    // Never produced by the parser, but a table handed in directly must not crash the sweep.
    const double kNotADay[] = {std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(), 1e300};
    for (const double bad : kNotADay) {
        const std::vector<Measurement> first = {{bad, 1.0f},
                                                {MakeDateTime(kMarch5th2008, 0), 2.0f}};
        const std::vector<Measurement> last = {{MakeDateTime(kMarch5th2008, 0), 2.0f}, {bad, 1.0f}};
        EXPECT_TRUE(SweepDailyExtremes(first, 0).empty()) << bad;
        EXPECT_TRUE(SweepDailyExtremes(last, 0).empty()) << bad;
        const std::vector<Measurement> middle = {{MakeDateTime(kMarch5th2008, 36000), 2.0f},
                                                 {bad, 1.0f},
                                                 {MakeDateTime(kMarch5th2008 + 1, 36000), 3.0f}};
        EXPECT_TRUE(SameDays(ScanDailyExtremes(middle, 0), SweepDailyExtremes(middle, 0))) << bad;
    }
}

} // namespace
} // namespace pelk
