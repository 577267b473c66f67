#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

struct Reading {
    const char *when; // dd/mm/yyyy hh:mm
    float value;
};

std::unique_ptr<ProgramTables> TablesWith(std::initializer_list<Reading> readings, int offset,
                                          char separator = ',') {
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, separator);
    tables->UtcOffsetHours = static_cast<std::int16_t>(offset);
    std::int32_t i = 0;
    for (const Reading &r : readings)
        tables->MeasurementTable.at(++i) = {*ParseDateText(r.when), r.value};
    tables->MeasurementCount = i;
    return tables;
}

std::vector<std::vector<std::string>> Rows(ProgramTables &tables) {
    ComputeDailyExtremes(tables);
    std::vector<std::vector<std::string>> rows;
    for (std::int16_t i = 1; i <= tables.DayCount; ++i) {
        const DayRow &row = tables.DayTable.at(i);
        rows.push_back({row.DayLabel, row.Tn, row.Tx});
    }
    return rows;
}

using RowList = std::vector<std::vector<std::string>>;

TEST(daily_extremes, worked_example) {
    auto tables = TablesWith({{"05/03/2008 00:00", 4.0f}, {"05/03/2008 03:00", 3.0f},
                              {"05/03/2008 06:00", 2.5f}, {"05/03/2008 09:00", 6.0f},
                              {"05/03/2008 12:00", 11.0f}, {"05/03/2008 15:00", 12.5f},
                              {"05/03/2008 18:00", 9.0f}, {"05/03/2008 21:00", 7.0f},
                              {"06/03/2008 00:00", 5.5f}, {"06/03/2008 03:00", 4.5f},
                              {"06/03/2008 06:00", 4.0f}, {"06/03/2008 09:00", 8.0f},
                              {"06/03/2008 12:00", 14.0f}, {"06/03/2008 15:00", 15.5f},
                              {"06/03/2008 18:00", 12.0f}, {"06/03/2008 21:00", 10.0f}},
                             1);
    EXPECT_EQ(Rows(*tables),
              (RowList{{"2008-03-05", "2,5", "12,5"}, {"2008-03-06", "4", "15,5"}}));
}

TEST(daily_extremes, single_readings_against_the_windows) {
    const std::tuple<const char *, int, const char *, const char *> cases[] = {
        {"05/03/2008 10:00", 1, "7", "7"},
        {"05/03/2008 20:00", 1, "100", "7"},
        {"05/03/2008 06:30", 1, "7", "-100"},
        {"05/03/2008 06:30", 0, "7", "7"},
        {"05/03/2008 07:30", 2, "7", "-100"},
        {"05/03/2008 19:00", 1, "100", "7"}, // the night window's close is excluded
        {"05/03/2008 18:59", 1, "7", "7"},
        {"05/03/2008 07:00", 1, "7", "7"}, // the day window's opening is included
    };
    for (const auto &[when, offset, tn, tx] : cases) {
        auto tables = TablesWith({{when, 7.0f}}, offset);
        EXPECT_EQ(Rows(*tables), (RowList{{"2008-03-05", tn, tx}})) << when << " +" << offset;
    }
}

TEST(daily_extremes, edge_readings_belong_to_the_next_window) {
    // 07:00 of the 6th closes day 0's day window and opens day 1's; 19:00 of the 5th closes
    // day 0's night window and belongs to day 1's.
    auto tables = TablesWith({{"05/03/2008 08:00", 1.0f},
                              {"05/03/2008 19:00", -5.0f},
                              {"06/03/2008 07:00", 50.0f},
                              {"06/03/2008 08:00", 2.0f}},
                             1);
    EXPECT_EQ(Rows(*tables), (RowList{{"2008-03-05", "1", "1"}, {"2008-03-06", "-5", "50"}}));
}

TEST(daily_extremes, empty_windows_and_extreme_values_keep_the_start_values) {
    auto tables = TablesWith({{"05/03/2008 00:00", 150.0f}, {"07/03/2008 00:00", -150.0f}}, 1);
    EXPECT_EQ(Rows(*tables), (RowList{{"2008-03-05", "100", "-100"},
                                      {"2008-03-06", "100", "-100"},
                                      {"2008-03-07", "-150", "-100"}}));
}

TEST(daily_extremes, out_of_order_reading_stops_the_scan) {
    // The 7th comes before the 5th's second reading: the day-0 scans stop at it, and 9 is
    // never seen.
    auto tables = TablesWith({{"05/03/2008 10:00", 1.0f},
                              {"07/03/2008 10:00", 3.0f},
                              {"05/03/2008 12:00", 9.0f},
                              {"07/03/2008 11:00", 4.0f}},
                             0);
    EXPECT_EQ(Rows(*tables), (RowList{{"2008-03-05", "1", "1"},
                                      {"2008-03-06", "100", "-100"},
                                      {"2008-03-07", "3", "4"}}));
}

TEST(daily_extremes, last_day_before_first_lists_nothing) {
    auto tables = TablesWith({{"07/03/2008 10:00", 1.0f}, {"05/03/2008 10:00", 2.0f}}, 0);
    EXPECT_TRUE(Rows(*tables).empty());
    EXPECT_EQ(tables->DayCount, 0);
}

TEST(daily_extremes, long_spans_list_at_most_5000_days) {
    const std::pair<const char *, int> cases[] = {{"08/09/2021 12:00", 5000},
                                                  {"09/09/2021 12:00", 5000},
                                                  {"31/12/2100 12:00", 5000},
                                                  {"07/09/2021 12:00", 4999}};
    for (const auto &[last, days] : cases) {
        auto tables = TablesWith({{"01/01/2008 12:00", 1.0f}, {last, 2.0f}}, 1, '.');
        const RowList rows = Rows(*tables);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(days)) << last;
        EXPECT_EQ(rows.front(), (std::vector<std::string>{"2008-01-01", "1", "1"}));
        if (days == 5000) {
            EXPECT_EQ(rows.back()[0], "2021-09-08"); // 2008-01-01 + 4999 days
        }
    }
}

TEST(daily_extremes, equal_values_and_negative_zero) {
    auto tables = TablesWith({{"05/03/2008 10:00", -0.0f}, {"05/03/2008 11:00", 0.0f}}, 1);
    EXPECT_EQ(Rows(*tables), (RowList{{"2008-03-05", "0", "0"}}));
}

} // namespace
} // namespace pelk
