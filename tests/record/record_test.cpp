// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/record/record_support.h"

#include "climate/daily_extremes.h"
#include "climate/date_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace pelk {
namespace {

using test::LoadRecord;
using test::NamedBytes;

// The value the logger read at a minute of March 2008: the same in every file that holds it.
double ValueAt(int minute) {
    return ((minute / 10 * 37) % 151 - 40) / 10.0;
}

// Export-form lines from minute `from` to `to` of March 2008 (from its first day), every 10.
std::string Lines(int from, int to, int step = 10) {
    std::string text;
    for (int minute = from; minute <= to; minute += step) {
        const CivilDateTime t =
            SplitDateTime(MakeDateTime(DayNumberFromCivil(2008, 3, 1), minute * 60));
        char line[64];
        std::snprintf(line, sizeof line, "%02d/%02d/%04d %02d:%02d\t%.1f\r\n", t.month, t.day,
                      t.year, t.hour, t.minute, ValueAt(minute));
        text += line;
    }
    return text;
}

std::string Export(const std::string &lines, const std::string &header = "Date\tTemp (C)") {
    return header + "\r\n" + lines;
}

constexpr int kDay = 24 * 60;

struct RecordCase {
    const char *name;
    std::vector<NamedBytes> files;
    std::int64_t counted;
    std::int64_t repeated;
    std::int64_t conflicts;
    std::size_t gaps;
    bool onUtc = false;
    bool loggersDiffer = false;
    friend void PrintTo(const RecordCase &c, std::ostream *os) { *os << c.name; }
};

class RecordCases : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordCases, count_each_reading_once_and_tell_what_the_files_disagree_on) {
    const RecordCase &c = GetParam();
    const test::ReadRecord read = LoadRecord(c.files);
    ASSERT_FALSE(read.refusedName);
    ASSERT_FALSE(read.record.refusedFile);
    EXPECT_EQ(read.record.readingsCounted(), c.counted);
    EXPECT_EQ(read.tables->MeasurementCount, c.counted);
    EXPECT_EQ(read.record.repeated, c.repeated);
    EXPECT_EQ(read.record.conflicts.count, c.conflicts);
    EXPECT_EQ(read.record.gaps.size(), c.gaps);
    EXPECT_EQ(read.record.onUtc, c.onUtc);
    EXPECT_EQ(read.record.loggersDiffer, c.loggersDiffer);
    // In time order, whatever the order of the files.
    for (std::int32_t i = 2; i <= read.tables->MeasurementCount; ++i)
        ASSERT_LE(read.tables->MeasurementTable.at(i - 1).Timestamp,
                  read.tables->MeasurementTable.at(i).Timestamp);
}

std::string WithValueAt(std::string lines, int minute, const char *value) {
    const std::string one = Lines(minute, minute);
    const std::size_t at = lines.find(one);
    return lines.replace(at, one.size(), one.substr(0, one.find('\t') + 1) + value + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    record, RecordCases,
    ::testing::Values(
        RecordCase{"the_same_file_twice",
                   {{"a", Export(Lines(0, 990))}, {"b", Export(Lines(0, 990))}},
                   100,
                   100,
                   0,
                   0},
        RecordCase{"overlapping_downloads_in_any_order",
                   {{"c", Export(Lines(2000, 3000))},
                    {"a", Export(Lines(0, 1500))},
                    {"b", Export(Lines(1000, 2500))}},
                   301,
                   102,
                   0,
                   0},
        RecordCase{"one_instant_two_values_keeps_both",
                   {{"a", Export(Lines(0, 500))},
                    {"b", Export(WithValueAt(Lines(300, 800), 400, "55.5"))}},
                   82,
                   20,
                   1,
                   0},
        // The later file holds a reading twice that the earlier holds once: both its copies stay,
        // as in the export they were cut from.
        RecordCase{"a_file_own_repeated_reading_stays_repeated",
                   {{"a", Export(Lines(0, 100))}, {"b", Export(Lines(100, 100) + Lines(100, 200))}},
                   22,
                   1,
                   0,
                   0},
        RecordCase{"a_file_own_repeat_of_a_reading_an_earlier_file_repeats_too",
                   {{"a", Export(Lines(0, 100) + Lines(100, 100))},
                    {"b", Export(Lines(100, 100) + Lines(100, 200))}},
                   22,
                   2,
                   0,
                   0},
        RecordCase{"days_between_downloads_without_a_reading",
                   {{"a", Export(Lines(0, kDay))}, {"b", Export(Lines(3 * kDay, 4 * kDay))}},
                   290,
                   0,
                   0,
                   1},
        RecordCase{"a_gap_within_the_limit_is_no_gap",
                   {{"a", Export(Lines(0, 500))}, {"b", Export(Lines(560, 1000))}},
                   96,
                   0,
                   0,
                   0},
        // A logger that reads every three hours: the next read-out four and a half hours on is
        // no gap; nine hours on, it is.
        RecordCase{"a_sparse_logger_read_out_a_little_late",
                   {{"a", Export(Lines(0, 1800, 180))}, {"b", Export(Lines(2070, 3690, 180))}},
                   21,
                   0,
                   0,
                   0},
        // The rule takes the larger of the two steps: a denser logger after a sparse one, four
        // and a half hours on, is no gap either.
        RecordCase{"a_denser_download_after_a_sparse_one",
                   {{"a", Export(Lines(0, 1800, 180))}, {"b", Export(Lines(2070, 2500))}},
                   55,
                   0,
                   0,
                   0},
        RecordCase{"a_sparse_logger_read_out_late",
                   {{"a", Export(Lines(0, 1800, 180))}, {"b", Export(Lines(2340, 3600, 180))}},
                   19,
                   0,
                   0,
                   1},
        RecordCase{"another_logger_between_two_downloads_of_one",
                   {{"a", Export(Lines(0, 500))},
                    {"b", Export(Lines(510, 1000), "Date\tTemp (C) SN 20431")},
                    {"c", Export(Lines(1010, 1500))}},
                   151,
                   0,
                   0,
                   0,
                   false,
                   true},
        // The same readings, one file on the logger's clock at UTC+1 and one written in UTC:
        // on one time line they are the same readings.
        RecordCase{"clocks_that_differ_meet_on_utc",
                   {{"a", "Time (UTC+01:00);Temp\r\n2008-03-01 11:00;4\r\n2008-03-01 11:10;5\r\n"},
                    {"b", "Time (UTC);Temp\r\n2008-03-01 10:10;5\r\n2008-03-01 10:20;6\r\n"}},
                   3,
                   1,
                   0,
                   0,
                   true,
                   true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(record, the_conflict_names_its_instant_files_and_values) {
    const test::ReadRecord read = LoadRecord(
        {{"b", Export(WithValueAt(Lines(300, 800), 400, "55.5"))}, {"a", Export(Lines(0, 500))}});
    const RecordConflicts &c = read.record.conflicts;
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.firstInstant, MakeDateTime(DayNumberFromCivil(2008, 3, 1), 400 * 60));
    EXPECT_EQ(read.record.files[c.firstFile].name, "a");
    EXPECT_EQ(read.record.files[c.secondFile].name, "b");
    EXPECT_FLOAT_EQ(c.firstValue, static_cast<float>(ValueAt(400)));
    EXPECT_FLOAT_EQ(c.secondValue, 55.5f);
}

TEST(record, a_gap_runs_from_the_last_reading_before_it_to_the_first_after) {
    const test::ReadRecord read =
        LoadRecord({{"b", Export(Lines(3 * kDay, 4 * kDay))}, {"a", Export(Lines(0, kDay))}});
    ASSERT_EQ(read.record.gaps.size(), 1u);
    const RecordGap &gap = read.record.gaps.front();
    const std::int64_t march1 = DayNumberFromCivil(2008, 3, 1);
    EXPECT_EQ(gap.from, MakeDateTime(march1 + 1, 0));
    EXPECT_EQ(gap.to, MakeDateTime(march1 + 3, 0));
    EXPECT_EQ(read.record.files[gap.before].name, "a");
    EXPECT_EQ(read.record.files[gap.after].name, "b");
    // The windows between are listed as windows without readings.
    EXPECT_NE(read.rows().find("2008-03-02 -3.4 -100\n2008-03-03 100 "), std::string::npos)
        << read.rows();
}

TEST(record, a_refused_file_is_named_and_the_others_are_not_merged) {
    const test::ReadRecord read =
        LoadRecord({{"a", Export(Lines(0, 500))}, {"b", "Date\tT\r\n03/01/2008 00:00\tx\r\n"}});
    ASSERT_TRUE(read.refusedName);
    EXPECT_EQ(*read.refusedName, "b");
    EXPECT_EQ(read.refusal.lineNumber, 2);
    EXPECT_EQ(read.tables->MeasurementCount, 0);
}

TEST(record, more_readings_than_the_table_holds_are_refused_at_the_file_that_went_past) {
    const int readings = MeasurementTableType::capacity() / 2;
    // Every minute; the second file starts where the first ends, one reading more in all.
    const test::ReadRecord read = LoadRecord({{"a", Export(Lines(0, readings - 1, 1))},
                                              {"b", Export(Lines(readings, 2 * readings, 1))}});
    ASSERT_FALSE(read.refusedName);
    ASSERT_TRUE(read.record.refusedFile);
    EXPECT_EQ(read.record.files[*read.record.refusedFile].name, "b");
    EXPECT_EQ(read.record.refusal.fault, LineFault::TooManyReadings);
    EXPECT_EQ(read.record.refusal.lineNumber, readings + 2); // b's last line, under its header
    EXPECT_EQ(read.tables->MeasurementCount, 0);

    // Repeats do not count against the room.
    const test::ReadRecord repeated = LoadRecord(
        {{"a", Export(Lines(0, readings - 1, 1))}, {"b", Export(Lines(0, readings, 1))}});
    EXPECT_FALSE(repeated.record.refusedFile);
    EXPECT_EQ(repeated.tables->MeasurementCount, readings + 1);
}

TEST(record, files_on_one_named_zone_keep_its_rules_day_by_day) {
    const std::string zone = "Time Zone: W. Europe Standard Time\n\nDate;Temp\n";
    const test::ReadRecord read =
        LoadRecord({{"a", zone + "15.01.2024 10:00:00;4\n15.01.2024 10:10:00;5\n"},
                    {"b", zone + "15.07.2024 10:00:00;20\n15.07.2024 10:10:00;21\n"}});
    if (!read.record.files.front().load.zoneRules)
        GTEST_SKIP() << "no compiled zone files on this system";
    EXPECT_FALSE(read.record.onUtc);
    ASSERT_TRUE(read.tables->NamedZone);
    const OffsetOnDay offset = OffsetRuleOf(*read.tables);
    EXPECT_EQ(offset(DayNumberFromCivil(2024, 1, 15)), 3600);
    EXPECT_EQ(offset(DayNumberFromCivil(2024, 7, 15)), 7200);
}

TEST(record, each_file_is_read_with_its_own_clock_then_the_tables_clock_is_the_records) {
    // Both files on the computer's clock: the days stay on it, as for one file.
    const test::ReadRecord same =
        LoadRecord({{"a", Export(Lines(0, 100))}, {"b", Export(Lines(110, 200))}}, {}, 2);
    EXPECT_FALSE(same.record.onUtc);
    EXPECT_EQ(same.tables->UtcOffsetHours, 2);
    // One file says its clock: the other keeps the computer's, so the record goes on UTC.
    const test::ReadRecord mixed = LoadRecord(
        {{"a", Export(Lines(0, 100))}, {"b", "Time (UTC+01:00);Temp\r\n2008-03-05 11:00;4\r\n"}},
        {}, 2);
    EXPECT_TRUE(mixed.record.onUtc);
    EXPECT_EQ(mixed.tables->UtcOffsetHours, 0);
    EXPECT_EQ(mixed.tables->MeasurementTable.at(1).Timestamp,
              MakeDateTime(DayNumberFromCivil(2008, 2, 29), 22 * 3600));
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(record_account, names_each_file_then_what_the_record_counted_and_found) {
    const test::ReadRecord read =
        LoadRecord({{"b.txt", Export(WithValueAt(Lines(300, 800), 400, "55.5"))},
                    {"c.txt", Export(Lines(3 * kDay, 3 * kDay + 60))},
                    {"a.txt", Export(Lines(0, 500))}});
    EXPECT_EQ(RecordAccount(read.record, ','),
              "Relevé de 3 fichiers, dans l'ordre du temps :\n"
              "– a.txt : du 01/03/2008 00:00 au 01/03/2008 08:20, 51 relevés, lu au format "
              "d'export\n"
              "– b.txt : du 01/03/2008 05:00 au 01/03/2008 13:20, 51 relevés, lu au format "
              "d'export\n"
              "– c.txt : du 04/03/2008 00:00 au 04/03/2008 01:00, 7 relevés, lu au format "
              "d'export\n"
              "\n89 relevés comptés une fois (20 présents aussi dans un autre fichier).\n"
              "1 instant(s) avec deux valeurs différentes, gardées toutes deux ; le premier : "
              "01/03/2008 06:40 (a.txt : 8,1, b.txt : 55,5).\n"
              "Aucun relevé du 01/03 13:20 au 04/03 00:00 (entre b.txt et c.txt).");
}

} // namespace
} // namespace pelk
