// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_reader.h"

#include "climate/daily_extremes.h"
#include "climate/date_time.h"
#include "climate/utc_offset.h"
#include "layouts/layout_note.h"
#include "tests/layouts/loaded_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace pelk {
namespace {

using test::Clock;
using test::Load;
using test::Loaded;

struct Reading {
    int year, month, day, hour, minute;
    double value;
};

// Three-hourly readings over three days of March 2008, a day and a month under 13.
std::vector<Reading> ThreeDays() {
    std::vector<Reading> readings;
    for (int i = 0; i < 24; ++i)
        readings.push_back({2008, 3, 5 + i / 8, i % 8 * 3, i % 2 * 15, (i * 7) % 11 - 3.25});
    return readings;
}

std::string ExportForm(const std::vector<Reading> &readings) {
    std::string text = "Date\tValue\r\n";
    for (const Reading &r : readings) {
        char line[64];
        std::snprintf(line, sizeof line, "%02d/%02d/%04d %02d:%02d\t%g\r\n", r.month, r.day, r.year,
                      r.hour, r.minute, r.value);
        text += line;
    }
    return text;
}

using LineWriter = std::string (*)(const Reading &);

std::string Written(const std::string &head, const std::vector<Reading> &readings,
                    LineWriter line) {
    std::string text = head;
    for (const Reading &r : readings)
        text += line(r);
    return text;
}

template <typename... Args> std::string Format(const char *format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

struct LayoutCase {
    const char *name;
    const char *head;
    LineWriter line;
};

// Each layout that loggers write, holding the same readings as the export form.
const LayoutCase kLayouts[] = {
    {"comma_year_first", "Date Time,Temp\n",
     [](const Reading &r) {
         return Format("%04d-%02d-%02d %02d:%02d:00,%g\n", r.year, r.month, r.day, r.hour, r.minute,
                       r.value);
     }},
    {"semicolon_day_first_decimal_comma", "Zeit;Temperatur [C]\r\n",
     [](const Reading &r) {
         std::string value = Format("%g", r.value);
         for (char &c : value)
             c = c == '.' ? ',' : c;
         return Format("%02d.%02d.%04d %02d:%02d:00;", r.day, r.month, r.year, r.hour, r.minute) +
                value + "\r\n";
     }},
    {"quoted_with_separator_and_quotes_inside",
     "\"Plot Title: \"\"north\"\", wall\"\n\"#\",\"Date Time\",\"Temp, \xC2\xB0"
     "C\"\n",
     [](const Reading &r) {
         return Format("\"%d\",\"%02d/%02d/%04d %02d:%02d\",\"%g\"\n", r.day * 100 + r.hour, r.day,
                       r.month, r.year, r.hour, r.minute, r.value);
     }},
    {"preamble_then_record_number_first",
     "Logger: X12\nSerial: 2008\n\nNo,Date/Time,Humidity %,Temp\n",
     [](const Reading &r) {
         return Format("%d,%04d/%02d/%02d %02d:%02d,55,%g\n", r.hour, r.year, r.month, r.day,
                       r.hour, r.minute, r.value);
     }},
    {"date_and_time_in_two_fields_two_digit_years", "Date\tTime\tTemp\n",
     [](const Reading &r) {
         return Format("%d/%d/%02d\t%d:%02d:00\t%g\n", r.day, r.month, r.year % 100, r.hour,
                       r.minute, r.value);
     }},
    {"twelve_hour_clock_and_unit_in_value", "Time,Reading\n",
     [](const Reading &r) {
         return Format("%02d/%02d/%04d %d:%02d:00 %s,%g \xC2\xB0"
                       "C\n",
                       r.day, r.month, r.year, r.hour % 12 == 0 ? 12 : r.hour % 12, r.minute,
                       r.hour < 12 ? "AM" : "PM", r.value);
     }},
    {"six_fields_and_trailing_separator", "Year;Month;Day;Hour;Minute;Second;T1;\n",
     [](const Reading &r) {
         return Format("%d;%d;%d;%d;%d;0;%g;\n", r.year, r.month, r.day, r.hour, r.minute, r.value);
     }},
    {"no_title_line", "",
     [](const Reading &r) {
         return Format("%d;%04d.%02d.%02d %02d:%02d;%g\n", r.hour, r.year, r.month, r.day, r.hour,
                       r.minute, r.value);
     }},
};

class LayoutReadsLikeExportForm : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutReadsLikeExportForm, gives_the_rows_of_the_same_readings_in_the_export_form) {
    const Loaded expected = Load(ExportForm(ThreeDays()));
    ASSERT_EQ(expected.load.read.status, ReadResult::Status::Loaded);
    ASSERT_FALSE(expected.load.layout); // the export form is read as always
    const Loaded got = Load(Written(GetParam().head, ThreeDays(), GetParam().line));
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded)
        << got.load.read.lineNumber << ": " << got.load.read.lineText;
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.tables->MeasurementCount, 24);
    EXPECT_EQ(got.rows(), expected.rows());
}

INSTANTIATE_TEST_SUITE_P(layouts, LayoutReadsLikeExportForm, ::testing::ValuesIn(kLayouts),
                         [](const auto &info) { return std::string(info.param.name); });

// Random readings written in every layout read back to the same table as the export form.
TEST(layout_reader, random_readings_read_alike_in_every_layout) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 30; ++round) {
        std::vector<Reading> readings;
        int minutes = static_cast<int>(random() % 5000);
        // Over a day at least: within one day, 14/1/19 reads as day first and as year first.
        const int step = 60 + static_cast<int>(random() % 180);
        const int count = 30 + static_cast<int>(random() % 100);
        for (int i = 0; i < count; ++i, minutes += step) {
            const int day = 1 + minutes / 1440;
            // Days above 12, so that day first and month first never read alike.
            readings.push_back(
                {2019, 1 + day / 15 % 12, 13 + day % 15, minutes / 60 % 24, minutes % 60,
                 static_cast<double>(static_cast<int>(random() % 8000) - 4000) / 100});
        }
        const std::string expected = Load(ExportForm(readings)).rows();
        for (const LayoutCase &layout : kLayouts) {
            const Loaded got = Load(Written(layout.head, readings, layout.line));
            ASSERT_EQ(got.rows(), expected) << layout.name << " round " << round;
        }
    }
}

// A file long enough to be read in two runs side by side: every five minutes from 2008 on.
std::vector<Reading> LongSeries(int count) {
    std::vector<Reading> readings;
    for (int i = 0; i < count; ++i) {
        const CivilDateTime t =
            SplitDateTime(MakeDateTime(DayNumberFromCivil(2008, 1, 1) + i / 288, i % 288 * 300));
        readings.push_back({t.year, t.month, t.day, t.hour, t.minute, (i * 37 % 601) / 10.0 - 20});
    }
    return readings;
}

std::vector<std::string> CsvLines(const std::vector<Reading> &readings) {
    std::vector<std::string> lines{"Date Time,Temp"};
    for (const Reading &r : readings)
        lines.push_back(Format("%04d-%02d-%02d %02d:%02d:00,%g", r.year, r.month, r.day, r.hour,
                               r.minute, r.value));
    return lines;
}

std::string Joined(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines)
        text.append(line).append("\n");
    return text;
}

constexpr int kLongFileReadings = 150'000;

TEST(layout_reader, a_long_file_reads_as_the_export_form_does) {
    const std::vector<Reading> readings = LongSeries(kLongFileReadings);
    const Loaded expected = Load(ExportForm(readings));
    const Loaded got = Load(Joined(CsvLines(readings)));
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.tables->MeasurementCount, kLongFileReadings);
    EXPECT_EQ(got.rows(), expected.rows());
    EXPECT_EQ(got.load.read.readingLines.lineOf(kLongFileReadings), kLongFileReadings + 1);
}

struct LongFileFault {
    const char *name;
    std::vector<int> badLines;   ///< 1-based lines given a value that is no number
    std::vector<int> eventLines; ///< lines given an empty value
    int refusedLine;             ///< 0: loads
};

class LongFileFaults : public ::testing::TestWithParam<LongFileFault> {};

// The runs are joined in file order: the first bad line of the file is the one told, and the
// rows passed over are counted from the first of the file.
TEST_P(LongFileFaults, are_told_at_their_first_line_in_the_file) {
    std::vector<std::string> lines = CsvLines(LongSeries(kLongFileReadings));
    for (const int line : GetParam().badLines)
        lines[static_cast<std::size_t>(line) - 1] += "x";
    for (const int line : GetParam().eventLines) {
        std::string &text = lines[static_cast<std::size_t>(line) - 1];
        text.resize(text.find(',') + 1);
    }
    const Loaded got = Load(Joined(lines));
    if (GetParam().refusedLine == 0) {
        ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
        EXPECT_EQ(got.tables->MeasurementCount,
                  kLongFileReadings - static_cast<int>(GetParam().eventLines.size()));
        EXPECT_EQ(got.load.facts.rowsWithoutValue,
                  static_cast<std::int64_t>(GetParam().eventLines.size()));
        EXPECT_EQ(got.load.facts.firstRowWithoutValue, GetParam().eventLines.front());
        // Each reading keeps its own line, across the cut between the runs too.
        std::vector<std::int64_t> readingLines;
        for (int line = 2; line <= kLongFileReadings + 1; ++line)
            if (std::find(GetParam().eventLines.begin(), GetParam().eventLines.end(), line) ==
                GetParam().eventLines.end())
                readingLines.push_back(line);
        for (std::size_t i = 0; i < readingLines.size(); ++i)
            ASSERT_EQ(got.load.read.readingLines.lineOf(static_cast<std::int32_t>(i) + 1),
                      readingLines[i])
                << "reading " << i + 1;
        return;
    }
    EXPECT_EQ(got.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(got.load.read.lineNumber, GetParam().refusedLine);
    EXPECT_EQ(got.load.read.fault, LineFault::NotANumber);
    EXPECT_EQ(got.tables->MeasurementCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    layout_reader, LongFileFaults,
    ::testing::Values(LongFileFault{"early", {100}, {}, 100},
                      LongFileFault{"late", {140'000}, {}, 140'000},
                      LongFileFault{"early_and_late", {140'000, 200}, {}, 200},
                      LongFileFault{"late_after_events_early", {149'000}, {50, 51}, 149'000},
                      LongFileFault{"events_late_only", {}, {120'000, 130'000}, 0},
                      LongFileFault{"events_early_and_late", {}, {3, 140'000}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(layout_reader, a_broken_export_keeps_its_own_refusal_and_strict_refuses_any_other_layout) {
    // A TAB file whose third line is not a reading: today's refusal, not a layout that passes
    // over its second line.
    const Loaded broken = Load("h\n03/15/2008 14:30\t5\n03/15/2008 14:40;6\n");
    EXPECT_EQ(broken.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(broken.load.read.lineNumber, 3);
    EXPECT_EQ(broken.load.read.fault, LineFault::NoTab);
    EXPECT_FALSE(broken.load.layout);

    // A line too long for the export form is told so, though another layout would take it.
    const Loaded tooLong =
        Load("h\n03/15/2008 14:30\t5\n03/15/2008 14:40\t" + std::string(5000, '1') + "\n");
    EXPECT_EQ(tooLong.load.read.lineNumber, 3);
    EXPECT_EQ(tooLong.load.read.fault, LineFault::LineTooLong);

    LoadOptions strict;
    strict.strict = true;
    const Loaded refused = Load("Time,Temp\n2008-03-05 10:00,4\n", strict);
    EXPECT_EQ(refused.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(refused.load.read.lineNumber, 2);
    EXPECT_EQ(refused.load.read.fault, LineFault::NoTab);
}

TEST(layout_reader, a_value_that_is_no_number_refuses_the_file_at_its_line) {
    const Loaded got = Load("Time,Temp\n2008-03-05 10:00,4\n2008-03-05 10:10,4.x\n");
    EXPECT_EQ(got.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(got.load.read.lineNumber, 3);
    EXPECT_EQ(got.load.read.fault, LineFault::NotANumber);
    EXPECT_EQ(got.tables->MeasurementCount, 0);
}

TEST(layout_reader, event_rows_without_a_value_are_passed_over_and_counted) {
    const Loaded got = Load("#,Time,Temp,Event\n1,2008-03-05 10:00,4,\n2,2008-03-05 10:05,,Logged\n"
                            "3,2008-03-05 10:10,6,\n4,2008-03-05 10:15,NAN,\n,,,\n");
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.tables->MeasurementCount, 2);
    EXPECT_EQ(got.load.facts.rowsWithoutValue, 2);
    EXPECT_EQ(got.load.facts.firstRowWithoutValue, 3);
    EXPECT_EQ(got.load.facts.emptyRows, 1);
    EXPECT_EQ(got.load.read.readingLines.lineOf(2), 4);

    // No title row: the first reading is the file's first line.
    const Loaded untitled = Load("2008-03-05 10:00,4\n\n2008-03-05 10:10,5\n");
    ASSERT_EQ(untitled.load.read.status, ReadResult::Status::Loaded);
    ASSERT_EQ(untitled.tables->MeasurementCount, 2);
    EXPECT_EQ(untitled.load.read.readingLines.lineOf(1), 1);
    EXPECT_EQ(untitled.load.read.readingLines.lineOf(2), 3);
}

struct ClockCase {
    const char *name;
    std::string file;
    int zoneHours;
    LoadOptions options;
    std::string rows;
};

LoadOptions Offset(int hours) {
    LoadOptions options;
    options.utcOffsetHours = static_cast<std::int16_t>(hours);
    return options;
}

// Readings at 17:30 and 18:30 UTC: either side of the night window's close at 18:00 UTC, so
// that the 0 counts in the day's Tn only on a wrong clock.
const std::string kTwoReadingsUtc = "2008-03-05 17:30,1\n2008-03-05 18:30,0\n";
const std::string kRightClock = "2008-03-05 1 1\n";
const std::string kWrongClock = "2008-03-05 0 1\n";

class StatedClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(StatedClock, places_the_windows_at_utc_edges) {
    const ClockCase &c = GetParam();
    const Loaded got = Load(c.file, c.options, c.zoneHours);
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.rows(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    offsets, StatedClock,
    ::testing::Values(
        ClockCase{"computer_two_hours_ahead", "Time,Temp\n" + kTwoReadingsUtc, 2, {}, kWrongClock},
        ClockCase{"title_beats_the_computer",
                  "Time (GMT+00:00),Temp\n" + kTwoReadingsUtc,
                  2,
                  {},
                  kRightClock},
        ClockCase{"offset_in_a_preamble_line",
                  "Clock: UTC-4\nTime,Temp\n2008-03-05 13:30,1\n2008-03-05 14:30,0\n",
                  2,
                  {},
                  kRightClock},
        ClockCase{"offset_on_each_timestamp",
                  "Time,Temp\n2008-03-05T18:30+01:00,1\n2008-03-05T18:30Z,0\n",
                  2,
                  {},
                  kRightClock},
        ClockCase{"half_hour_offset",
                  "Time (UTC+05:30),Temp\n2008-03-05 23:00,1\n2008-03-06 00:00,0\n",
                  0,
                  {},
                  kRightClock},
        ClockCase{"unix_seconds", "epoch;Temp\n1204738200;1\n1204741800;0\n", 2, {}, kRightClock},
        ClockCase{"utc_offset_option_still_wins", "Time (GMT+00:00),Temp\n" + kTwoReadingsUtc, 0,
                  Offset(2), kWrongClock},
        ClockCase{"computer_far_behind_utc",
                  "Time,Temp\n2008-03-05 09:30,1\n2008-03-05 10:30,0\n",
                  -8,
                  {},
                  kRightClock}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(layout_reader, two_digit_years_of_the_last_century_read_as_such) {
    EXPECT_EQ(Load("T,V\n31/12/99 22:00,1\n01/01/00 10:00,2\n").rows(),
              "1999-12-31 100 1\n2000-01-01 1 2\n");
}

TEST(layout_reader, fahrenheit_and_kelvin_are_turned_into_celsius) {
    EXPECT_EQ(Load("Time,Temp (\xC2\xB0"
                   "F)\n2008-03-05 10:00,50\n2008-03-05 10:10,-4\n")
                  .rows(),
              "2008-03-05 -20 10\n");
    EXPECT_EQ(Load("Time,Temp\n2008-03-05 10:00,50 F\n2008-03-05 10:10,-4 F\n").rows(),
              "2008-03-05 -20 10\n");
    EXPECT_EQ(Load("Time;T [K]\n2008-03-05 04:00;263,15\n2008-03-05 10:10;283,15\n").rows(),
              "2008-03-05 -10 10\n");
}

TEST(layout_reader, tn_from_the_minimum_column_and_tx_from_the_maximum) {
    // Titles split over two rows: "Hi" above "Temp" is the maximum.
    const std::string file = "\t\tTemp\tHi\tLow\n"
                             "Date\tTime\tOut\tTemp\tTemp\n"
                             "2008-03-05\t04:00\t5\t6\t1\n"
                             "2008-03-05\t10:00\t8\t12\t7\n";
    const Loaded got = Load(file);
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->tnField, 5);
    EXPECT_EQ(got.load.layout->valueField, 4);
    EXPECT_EQ(got.rows(), "2008-03-05 1 12\n");
    LoadOptions mean;
    mean.valueFieldChosen = true;
    mean.valueField = 3;
    EXPECT_EQ(Load(file, mean).rows(), "2008-03-05 5 8\n");
    LoadOptions chosen;
    chosen.tnField = 3;
    chosen.txField = 5;
    EXPECT_EQ(Load(file, chosen).rows(), "2008-03-05 5 7\n");
}

TEST(layout_reader, readings_out_of_time_order_are_sorted_and_told) {
    // A clock reset: two readings of 2007 inside 2008.
    const Loaded got = Load("Time,Temp\n2008-03-05 04:00,1\n2007-01-01 00:00,50\n"
                            "2007-01-01 00:10,60\n2008-03-05 10:00,2\n");
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.load.facts.outOfOrder, 2);
    EXPECT_EQ(got.load.facts.firstOutOfOrderLine, 3);
    EXPECT_EQ(SplitDateTime(got.load.facts.earliestOutOfOrder).year, 2007);
    EXPECT_EQ(SplitDateTime(got.load.facts.latestOutOfOrder).minute, 10);
    EXPECT_EQ(got.tables->DailyLeftOut.uncounted.count, 0);
    EXPECT_EQ(got.load.read.readingLines.lineOf(1), 3);
    EXPECT_EQ(got.load.read.readingLines.lineOf(4), 5);

    const Loaded newestFirst = Load("Time,Temp\n2008-03-05 10:00,2\n2008-03-05 04:00,1\n");
    EXPECT_TRUE(newestFirst.load.facts.newestFirst);
    EXPECT_EQ(newestFirst.load.facts.outOfOrder, 0);
    EXPECT_EQ(newestFirst.rows(), "2008-03-05 1 2\n");
}

TEST(layout_reader, undecidable_date_order_is_refused_unless_said) {
    const std::string oneDay = "Time,Temp\n03/05/2008 10:00,1\n03/05/2008 11:00,2\n";
    const Loaded refused = Load(oneDay);
    EXPECT_EQ(refused.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(refused.load.read.fault, LineFault::DateOrderUnknown);
    EXPECT_EQ(refused.load.read.lineNumber, 2);
    LoadOptions dayFirst;
    dayFirst.dateOrder = DateOrder::DayMonthYear;
    EXPECT_EQ(Load(oneDay, dayFirst).rows(), "2008-05-03 1 2\n");
    LoadOptions monthFirst;
    monthFirst.dateOrder = DateOrder::MonthDayYear;
    EXPECT_EQ(Load(oneDay, monthFirst).rows(), "2008-03-05 1 2\n");
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// The same six readings over two days, with what lies around or among them in each case.
std::string Readings(const std::string &between = "") {
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += Format("2008-03-%02d %02d:00,%d\n", 5 + i / 3, i % 3 * 8, i - 2);
        if (i == 2)
            text += between;
    }
    return text;
}

struct AroundCase {
    const char *name;
    std::string file;
    std::int64_t datedBefore, textAmong, after, empty;
    std::int64_t firstDatedBefore, firstTextAmong, firstAfter;
};

class TextAroundTheData : public ::testing::TestWithParam<AroundCase> {};

// What is not of the data's shape is passed over and counted, never read nor a refusal.
TEST_P(TextAroundTheData, is_passed_over_and_counted_by_kind) {
    const AroundCase &c = GetParam();
    const Loaded plain = Load("Time,Temp\n" + Readings());
    const Loaded got = Load(c.file);
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded) << got.load.read.lineNumber;
    EXPECT_EQ(got.rows(), plain.rows());
    const LayoutReadFacts &facts = got.load.facts;
    EXPECT_EQ(facts.datedLinesBefore, c.datedBefore);
    EXPECT_EQ(facts.textRows, c.textAmong);
    EXPECT_EQ(facts.linesAfter, c.after);
    EXPECT_EQ(facts.emptyRows, c.empty);
    EXPECT_EQ(facts.firstDatedLineBefore, c.firstDatedBefore);
    EXPECT_EQ(facts.firstTextRow, c.firstTextAmong);
    EXPECT_EQ(facts.firstLineAfter, c.firstAfter);
}

INSTANTIATE_TEST_SUITE_P(
    layout_reader, TextAroundTheData,
    ::testing::Values(
        AroundCase{"notes_table_before",
                   "Log Notes:\nDate and Time,Note\n2008-03-01 16:04:59,Sensor SN: 1927\n"
                   "2008-03-01 16:05:22,Manual Start Command\n\nLog Data:\nTime,Temp\n" +
                       Readings(),
                   2, 0, 0, 0, 3, 0, 0},
        AroundCase{"comments_among", "Time,Temp\n" + Readings("# probe moved\n// clock set\n\n"), 0,
                   2, 0, 1, 0, 5, 0},
        AroundCase{"program_words_after",
                   "Time,Temp\n" + Readings() +
                       "download complete\n-- end of log --\n12 readings\n",
                   0, 0, 3, 0, 0, 0, 8},
        AroundCase{"empty_line_under_the_titles", "Time,Temp\n\n" + Readings(), 0, 0, 0, 0, 0, 0,
                   0},
        AroundCase{"export_form_below_an_empty_line",
                   "Time\tTemp\n\n03/05/2008 00:00\t-2\n"
                   "03/05/2008 08:00\t-1\n03/05/2008 16:00\t0\n03/06/2008 00:00\t1\n"
                   "03/06/2008 08:00\t2\n03/06/2008 16:00\t3\n",
                   0, 0, 0, 0, 0, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(layout_reader, a_tab_files_dated_notes_do_not_make_blanks_its_separator) {
    // Found by the generated layouts: cut at blanks, "Sensor SN: 1234" read as the first reading.
    std::string file = "Log Notes:\n31/12/1999 00:00:00\tSensor SN: 1234\n\nDate\tRH\tTemp\n";
    std::string plain = "Time,Temp\n";
    for (int i = 0; i < 6; ++i) {
        file += Format("%02d/03/2008 %02d:00:00\t61.4\t%d\n", 13 + i / 3, i % 3 * 8, i - 2);
        plain += Format("2008-03-%02d %02d:00,%d\n", 13 + i / 3, i % 3 * 8, i - 2);
    }
    const Loaded got = Load(file);
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->separator, '\t');
    EXPECT_EQ(got.load.layout->firstDataLine, 5);
    EXPECT_EQ(got.load.layout->valueField, 3);
    EXPECT_EQ(got.load.facts.datedLinesBefore, 1);
    EXPECT_EQ(got.rows(), Load(plain).rows());
}

TEST(layout_reader, columns_aligned_with_blanks_read_as_any_separator) {
    std::string aligned = "  Date        Time    Temp  \r";
    for (int i = 0; i < 6; ++i)
        aligned += Format("  2008-03-%02d  %02d:00   %5.1f\r", 5 + i / 3, i % 3 * 8, i - 2.0);
    const Loaded got = Load(aligned);
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->separator, FieldSplitter::kBlanks);
    EXPECT_EQ(got.load.layout->valueField, 3);
    EXPECT_EQ(got.rows(), Load("Time,Temp\n" + Readings()).rows());
}

TEST(layout_reader, a_broken_reading_among_the_data_still_refuses_the_file) {
    // Of the data's shape, with a date that does not exist: no text to pass over.
    const Loaded got = Load("Time,Temp\n" + Readings("2008-02-30 10:00,4\n"));
    EXPECT_EQ(got.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(got.load.read.lineNumber, 5);
    EXPECT_EQ(got.load.read.fault, LineFault::NotADate);
    // The same at the very end, where text would be passed over.
    const Loaded last = Load("Time,Temp\n" + Readings() + "2008-03-06 17:00;4\n");
    EXPECT_EQ(last.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(last.load.read.lineNumber, 8);
}

TEST(layout_reader, a_last_reading_that_begins_with_a_sign_is_read) {
    // The value first: the file's last line begins with a minus sign, and is no closing text.
    const Loaded got = Load("Temp;Time\n4;2008-03-05 10:00\n-3.5;2008-03-05 11:00\n"
                            "+2;2008-03-05 12:00\n-1;2008-03-05 13:00\n");
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.tables->MeasurementCount, 4);
    EXPECT_EQ(got.load.facts.linesAfter, 0);
}

TEST(layout_reader, a_file_with_no_reading_says_where_reading_stopped) {
    EXPECT_EQ(Load("Time\tTemp\n\nnothing here\n").load.emptyLineStop, 2);
    EXPECT_EQ(Load("Time\tTemp\n").load.emptyLineStop, 0);
    EXPECT_EQ(Load("Time\tTemp\n").load.read.status, ReadResult::Status::Loaded);
}

struct ErrorValueCase {
    const char *name;
    std::vector<double> values; ///< one reading every 8 hours from 2008-03-05 00:00
    std::string rows;           ///< the day rows, error values passed over
    std::string told;           ///< the error values, as the note lists them
};

class SensorErrorValues : public ::testing::TestWithParam<ErrorValueCase> {};

std::string CommaFile(const std::vector<double> &values) {
    std::string text = "Time,Temp\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += Format("2008-03-%02d %02d:00,%g\n", 5 + static_cast<int>(i) / 3,
                       static_cast<int>(i) % 3 * 8, values[i]);
    return text;
}

TEST_P(SensorErrorValues, are_passed_over_and_told_by_value_unless_kept) {
    const ErrorValueCase &c = GetParam();
    const Loaded got = Load(CommaFile(c.values));
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.rows(), c.rows);
    EXPECT_EQ(ErrorValueList(got.load.facts, "x", '.'), c.told);
    LoadOptions keep;
    keep.keepErrorValues = true;
    const Loaded kept = Load(CommaFile(c.values), keep);
    EXPECT_EQ(kept.tables->MeasurementCount, static_cast<std::int32_t>(c.values.size()));
    EXPECT_TRUE(kept.load.facts.errorValues.empty());
}

INSTANTIATE_TEST_SUITE_P(
    layout_reader, SensorErrorValues,
    ::testing::Values(ErrorValueCase{"open_thermocouple_first",
                                     {-270, 20, 21, 22, 23, 24},
                                     "2008-03-05 20 22\n2008-03-06 22 24\n",
                                     "-270 x1"},
                      ErrorValueCase{"disconnected_probe_and_unused_channel",
                                     {-127, 20, -127, -200, 23, 24},
                                     "2008-03-05 20 20\n2008-03-06 23 24\n",
                                     "-127 x2, -200 x1"},
                      ErrorValueCase{"missing_value_codes",
                                     {-999.9, 20, 9999, 3276.7, 23, -9999},
                                     "2008-03-05 20 20\n2008-03-06 23 23\n",
                                     "-999.9 x1, 9999 x1, 3276.7 x1, -9999 x1"},
                      ErrorValueCase{"power_on_85_between_cooler_readings",
                                     {20, 85, 21, 22, 23, 24},
                                     "2008-03-05 20 22\n2008-03-06 22 24\n",
                                     "85 x1"},
                      ErrorValueCase{"a_real_85_in_a_hot_spell",
                                     {80, 85, 84, 82, 83, 84},
                                     "2008-03-05 80 85\n2008-03-06 82 84\n",
                                     ""},
                      ErrorValueCase{"the_edges_of_the_error_ranges",
                                     {-250, 20, 999, -127.05, 23, 24},
                                     "2008-03-05 20 20\n2008-03-06 23 24\n",
                                     "-250 x1, 999 x1, -127.05 x1"},
                      ErrorValueCase{"power_on_85_first_of_all",
                                     {85, 20, 21, 22, 23, 24},
                                     "2008-03-05 20 22\n2008-03-06 22 24\n",
                                     "85 x1"},
                      ErrorValueCase{"cold_but_true",
                                     {-126.9, -60, -249.9, -199.9, 998, 20},
                                     "2008-03-05 -249.9 -60\n2008-03-06 -199.9 998\n",
                                     ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(layout_reader, the_export_form_lists_error_values_and_tells_their_days) {
    const std::string file = "Date\tValue\n03/05/2008 00:00\t-127\n03/05/2008 08:00\t4\n"
                             "03/06/2008 08:00\t5\n03/07/2008 00:00\t-270\n";
    const Loaded got = Load(file);
    EXPECT_FALSE(got.load.layout);
    EXPECT_EQ(got.tables->MeasurementCount, 4);
    EXPECT_EQ(ErrorValueList(got.load.facts, "x", '.'), "-127 x1, -270 x1");
    EXPECT_EQ(got.load.facts.errorValueDays,
              (std::vector<std::int64_t>{DayNumberFromCivil(2008, 3, 5),
                                         DayNumberFromCivil(2008, 3, 7)}));
    LoadOptions keep;
    keep.keepErrorValues = true;
    EXPECT_TRUE(Load(file, keep).load.facts.errorValueDays.empty());
}

TEST(layout_reader, a_column_without_a_unit_whose_values_can_only_be_kelvin_is_kelvin) {
    const Loaded got = Load("Station;Date;Temp\xC3\xA9rature;Temp\xC3\xA9rature (\xC2\xB0"
                            "C)\n1;2008-03-05 10:00;290.15;17\n1;2008-03-05 11:00;291.15;18\n");
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->valueField, 4); // the one that states its unit
    const Loaded kelvin = Load("Date;Temp\n2008-03-05 10:00;290.15\n2008-03-05 11:00;299.35\n");
    ASSERT_TRUE(kelvin.load.layout);
    EXPECT_EQ(kelvin.load.layout->unit, WrittenUnit::Kelvin);
    EXPECT_TRUE(kelvin.load.layout->unitFromRange);
    EXPECT_EQ(kelvin.rows(), "2008-03-05 17 26.2\n");
    // A warm greenhouse in degrees C lies below 200 somewhere.
    const Loaded celsius = Load("Date;Temp\n2008-03-05 10:00;45\n2008-03-05 11:00;250\n");
    EXPECT_EQ(celsius.load.layout->unit, WrittenUnit::Celsius);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_reader, lines_cut_in_two_halves_are_the_lines_of_the_whole) {
    std::mt19937 random(27);
    const std::string_view ends[] = {"\r\n", "\r", "\n", "\n\n", "\r\n\r\n", "\r\r\n"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int lines = static_cast<int>(random() % 12);
        for (int i = 0; i < lines; ++i) {
            text += std::string(random() % 4, static_cast<char>('a' + i % 26));
            if (i + 1 < lines || random() % 2 == 0)
                text += ends[random() % std::size(ends)];
        }
        const std::vector<std::string_view> whole = SplitLines(text);
        const std::vector<std::string_view> halves = LinesOf(text, 0);
        ASSERT_EQ(halves.size(), whole.size()) << text;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(halves[i].data(), whole[i].data()) << text;
            EXPECT_EQ(halves[i].size(), whole[i].size()) << text;
        }
    }
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_reader, a_zone_named_in_the_file_gives_each_day_its_offset) {
    const std::string file = "Time Zone: Westeurop\xC3\xA4ische Normalzeit/Sommerzeit\n\n"
                             "Date;Temp\n15.01.2024 10:00:00;4\n15.07.2024 10:00:00;20\n";
    const Loaded got = Load(file);
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->offsetSource == OffsetSource::Zone ||
                  got.load.layout->offsetSource == OffsetSource::Computer,
              true);
    if (!got.load.zoneRules)
        GTEST_SKIP() << "no compiled zone files on this system";
    EXPECT_EQ(got.load.layout->zoneName, "Europe/Berlin");
    const OffsetOnDay offset = OffsetRuleOf(*got.tables);
    EXPECT_EQ(offset(DayNumberFromCivil(2024, 1, 15)), 3600);
    EXPECT_EQ(offset(DayNumberFromCivil(2024, 7, 15)), 7200);
    // A number in the timestamp's title wins over a zone named in the lines before the data.
    const Loaded titled = Load("Time Zone: W. Europe Standard Time\n\nDate (UTC+3);Temp\n"
                               "15.01.2024 10:00:00;4\n15.07.2024 10:00:00;20\n");
    EXPECT_EQ(titled.load.layout->offsetSource, OffsetSource::Titles);
    EXPECT_EQ(titled.load.layout->offsetSeconds, 3 * 3600);
    // The next file into the same tables names none: its days are the computer's again.
    LoadAnyExportBytes("Date;Temp\n15.01.2024 10:00:00;4\n15.07.2024 10:00:00;20\n", *got.tables,
                       LoadOptions{});
    EXPECT_FALSE(got.tables->NamedZone);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// The note says each thing that was read or passed over, and nothing that was not.
TEST(layout_reader, the_note_names_what_was_read_and_passed_over) {
    const Loaded split = Load("Date,Time,Temp\n2008-03-05,10:00,4\n,,\n2008-03-05,11:00,5\n");
    ASSERT_TRUE(split.load.layout);
    const std::string note = LayoutNote(*split.load.layout, split.load.facts);
    EXPECT_NE(note.find("date in field 1, time in field 2"), std::string::npos) << note;
    EXPECT_NE(note.find("1 empty row(s)"), std::string::npos) << note;
    EXPECT_NE(note.find("under 1 title row(s)"), std::string::npos) << note;
    const Loaded bare = Load("0;2020.10.28 08:45;4\n1;2020.10.28 09:00;5\n");
    ASSERT_TRUE(bare.load.layout);
    EXPECT_EQ(LayoutNote(*bare.load.layout, bare.load.facts).find("title row"), std::string::npos);
}

TEST(layout_reader, lines_that_break_a_two_field_timestamp_or_a_two_column_row_refuse_it) {
    // A time where only the date belongs, beside the time's own field.
    std::string file = "Date,Time,Temp\n";
    for (int i = 0; i < 10; ++i)
        file += Format("2008-03-05,%02d:00,4\n", i);
    const Loaded midnight = Load(file + "2008-03-05 00:00,11:00,5\n");
    EXPECT_EQ(midnight.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(midnight.load.read.lineNumber, 12);
    // A minimum and maximum file whose row lacks its last field.
    LoadOptions twoColumns;
    twoColumns.tnField = 2;
    twoColumns.txField = 3;
    const Loaded shortRow =
        Load("Time,Low,High\n2008-03-05 10:00,4,6\n2008-03-05 11:00,5\n", twoColumns);
    EXPECT_EQ(shortRow.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(shortRow.load.read.lineNumber, 3);
    EXPECT_EQ(shortRow.load.read.fault, LineFault::NotANumber);
}

} // namespace
} // namespace pelk
