// SPDX-License-Identifier: GPL-3.0-or-later
// Files in loggers' own layouts, each case a shape of file and what its reading must give: the
// readings kept, the lines told, the clock placed, the kept choices read back.
#include "layouts/layout_explanation.h"
#include "layouts/layout_note.h"
#include "layouts/layout_reader.h"
#include "layouts/text.h"
#include "tests/layouts/loaded_bytes.h"

#include "climate/date_time.h"
#include "climate/utc_offset.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pelk {
namespace {

using test::Load;
using test::Loaded;

struct FileCase {
    const char *name;
    std::string file;
    std::int32_t readings;
    std::int64_t empty; ///< empty rows passed over
};

void PrintTo(const FileCase &c, std::ostream *out) {
    *out << c.name;
}

class EmptyLinesAmongReadings : public ::testing::TestWithParam<FileCase> {};

// Unlike the export form, a recognised file reads on past an empty line.
TEST_P(EmptyLinesAmongReadings, do_not_end_the_reading) {
    const Loaded got = Load(GetParam().file);
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded) << got.load.read.lineNumber;
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.tables->MeasurementCount, GetParam().readings);
    EXPECT_EQ(got.load.facts.emptyRows, GetParam().empty);
}

INSTANTIATE_TEST_SUITE_P(
    reader, EmptyLinesAmongReadings,
    ::testing::Values(
        FileCase{"one_empty_line", "Time,Temp\n2008-03-05 10:00,1\n\n2008-03-05 11:00,2\n", 2, 1},
        FileCase{"empty_lines_crlf",
                 "Time;Temp\r\n2008-03-05 10:00;1\r\n\r\n\r\n2008-03-05 11:00;2\r\n"
                 "2008-03-05 12:00;3\r\n",
                 3, 2},
        FileCase{"a_row_of_bare_separators",
                 "Time,Temp,RH\n2008-03-05 10:00,1,50\n,,\n2008-03-05 11:00,2,51\n", 2, 1},
        FileCase{"blanks_only", "Time\tTemp\n\n2008-03-05 10:00\t1\n \t \n2008-03-05 11:00\t2\n", 2,
                 1}),
    [](const auto &info) { return std::string(info.param.name); });

struct LinesCase {
    const char *name;
    std::string text;
    std::vector<std::string_view> lines;
};

void PrintTo(const LinesCase &c, std::ostream *out) {
    *out << c.name;
}

class LineEnds : public ::testing::TestWithParam<LinesCase> {};

// Each line feed ends a line of its own, whatever line end came before it.
TEST_P(LineEnds, keep_every_empty_line) {
    EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    text, LineEnds,
    ::testing::Values(LinesCase{"lf_after_crlf", "a\r\n\nb", {"a", "", "b"}},
                      LinesCase{"two_lf_after_crlf", "a\r\n\n\nb", {"a", "", "", "b"}},
                      LinesCase{"lf_after_cr", "a\r\r\nb", {"a", "", "b"}},
                      LinesCase{"cr_then_lf_lf", "a\r\n\n", {"a", ""}},
                      LinesCase{"crlf_twice", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                      LinesCase{"cr_alone", "a\rb\r\rc", {"a", "b", "", "c"}},
                      LinesCase{"lf_alone", "a\n\nb\n", {"a", "", "b"}}),
    [](const auto &info) { return std::string(info.param.name); });

// An empty line between two line feeds of a CR LF file counts, so later lines are told by their
// true numbers.
TEST(reader, line_numbers_count_a_lone_line_feed_after_crlf) {
    const std::string head = "Time,Temp\r\n2008-03-05 10:00,1\r\n\n# probe moved\r\n";
    const Loaded noted = Load(head + "2008-03-05 11:00,2\r\n");
    ASSERT_EQ(noted.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(noted.load.facts.firstTextRow, 4);
    EXPECT_EQ(noted.load.read.readingLines.lineOf(2), 5);
    const Loaded refused = Load(head + "2008-03-05 11:00,2\r\n2008-03-05 12:00,x\r\n");
    EXPECT_EQ(refused.load.read.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(refused.load.read.lineNumber, 6);
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

struct LongTitleCase {
    const char *name;
    std::string title;
    std::string shown; ///< the title's start, as the note quotes it
};

void PrintTo(const LongTitleCase &c, std::ostream *out) {
    *out << c.name;
}

class LongTitles : public ::testing::TestWithParam<LongTitleCase> {};

// A long title is cut to 40 bytes at most, never inside a character.
TEST_P(LongTitles, are_cut_between_characters) {
    Layout layout;
    layout.titles = {"Time", GetParam().title};
    const std::string note = LayoutNote(layout, {});
    EXPECT_TRUE(IsValidUtf8(note)) << note;
    EXPECT_NE(note.find("field 2 \"" + GetParam().shown + "...\""), std::string::npos) << note;
    const std::string explanation = LayoutExplanation(layout, {});
    EXPECT_TRUE(IsValidUtf8(explanation)) << explanation;
    EXPECT_NE(explanation.find("champ 2 (« " + GetParam().shown + "…"), std::string::npos)
        << explanation;
}

const std::string k39(39, 'x');
const std::string k38(38, 'x');

INSTANTIATE_TEST_SUITE_P(
    note, LongTitles,
    ::testing::Values(
        LongTitleCase{"two_byte_letter_across_the_cut", k39 + "\xC3\xA9t\xC3\xA9", k39},
        LongTitleCase{"three_byte_sign_across_the_cut", k38 + "\xE2\x84\x83 Temp", k38},
        LongTitleCase{"four_byte_sign_across_the_cut", k38 + "\xF0\x9F\x8C\xA1 T", k38},
        LongTitleCase{"letter_ending_at_the_cut", k38 + "\xC3\xA9xyz", k38 + "\xC3\xA9"},
        LongTitleCase{"plain_letters", k39 + "yz", k39 + "y"}),
    [](const auto &info) { return std::string(info.param.name); });

struct ClockCase {
    const char *name;
    std::string file;
    int zoneHours;
    std::string rows;
    OffsetSource source;
    int offsetSeconds = 0;
};

void PrintTo(const ClockCase &c, std::ostream *out) {
    *out << c.name;
}

class FileClocks : public ::testing::TestWithParam<ClockCase> {};

// The night window closes at 18:00 UTC: a 0 read at 18:30 UTC counts in Tn only on a wrong clock.
const std::string kRightClock = "2008-03-05 1 1\n";

TEST_P(FileClocks, place_the_readings_on_utc) {
    const ClockCase &c = GetParam();
    const Loaded got = Load(c.file, {}, c.zoneHours);
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded) << got.load.read.lineNumber;
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->offsetSource, c.source);
    EXPECT_EQ(got.load.layout->offsetSeconds, c.offsetSeconds);
    EXPECT_EQ(got.rows(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    reader, FileClocks,
    ::testing::Values(
        // 1989-01-01 17:30 and 18:30 UTC, in nine digits.
        ClockCase{"nine_digit_unix_seconds", "epoch;Temp\n599679000;1\n599682600;0\n", 2,
                  "1989-01-01 1 1\n", OffsetSource::UnixSeconds},
        ClockCase{"half_hour_offset_in_a_preamble_line",
                  "Clock: UTC+05:30\nTime,Temp\n2008-03-05 23:00,1\n2008-03-06 00:00,0\n", 0,
                  kRightClock, OffsetSource::Titles, 5 * 3600 + 30 * 60},
        ClockCase{"z_on_every_timestamp", "Time,Temp\n2008-03-05T17:30Z,1\n2008-03-05T18:30Z,0\n",
                  2, kRightClock, OffsetSource::Timestamps},
        // 06:30 on the 6th, thirteen hours ahead, is 17:30 UTC on the 5th: a UTC day's row.
        ClockCase{"thirteen_hours_ahead_on_each_timestamp",
                  "Time,Temp\n2008-03-06T06:30+13:00,1\n2008-03-06T07:30+13:00,0\n", 0, kRightClock,
                  OffsetSource::Timestamps},
        ClockCase{"fourteen_hours_ahead_on_each_timestamp",
                  "Time,Temp\n2008-03-06T07:30+14:00,1\n2008-03-06T08:30+14:00,0\n", 0, kRightClock,
                  OffsetSource::Timestamps}),
    [](const auto &info) { return std::string(info.param.name); });

// Year, month, day, hour, minute and second apart: the seconds are part of each reading's time.
TEST(reader, six_field_timestamps_keep_their_seconds) {
    const Loaded got = Load("Year;Month;Day;Hour;Minute;Second;Temp\n2008;3;5;10;0;30;1\n"
                            "2008;3;5;10;10;45;2\n2008;3;5;10;20;0;3\n");
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->timestampKind, TimestampKind::SixFields);
    EXPECT_EQ(got.times(), "10:00:30 10:10:45 10:20:00 ");
}

struct MinMaxCase {
    const char *name;
    std::string row; ///< line 3, between two full rows
};

void PrintTo(const MinMaxCase &c, std::ostream *out) {
    *out << c.name;
}

class MinimumAndMaximumRows : public ::testing::TestWithParam<MinMaxCase> {};

// A row of a minimum and maximum file with an empty cell is a logger's event, not a refusal.
TEST_P(MinimumAndMaximumRows, with_an_empty_cell_are_passed_over) {
    const Loaded got = Load("Time,Temp_Min,Temp_Max\n2008-03-05 10:00,1,2\n" + GetParam().row +
                            "\n2008-03-05 12:00,4,5\n");
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded) << got.load.read.lineNumber;
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->tnField, 2);
    EXPECT_EQ(got.tables->MeasurementCount, 2);
    EXPECT_EQ(got.load.facts.rowsWithoutValue, 1);
    EXPECT_EQ(got.load.facts.firstRowWithoutValue, 3);
    EXPECT_EQ(got.rows(), "2008-03-05 1 5\n");
}

INSTANTIATE_TEST_SUITE_P(reader, MinimumAndMaximumRows,
                         ::testing::Values(MinMaxCase{"maximum_empty", "2008-03-05 11:00,3,"},
                                           MinMaxCase{"minimum_empty", "2008-03-05 11:00,,6"},
                                           MinMaxCase{"both_empty", "2008-03-05 11:00,,"},
                                           MinMaxCase{"maximum_nan", "2008-03-05 11:00,-9,NAN"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct OrderCase {
    const char *name;
    std::string readings; ///< below "Time,Temp", from line 2
    std::int64_t outOfOrder;
    std::int64_t firstLine;
};

void PrintTo(const OrderCase &c, std::ostream *out) {
    *out << c.name;
}

class RepeatedTimes : public ::testing::TestWithParam<OrderCase> {};

// A time written twice is no step back in time; only a time before an earlier one is.
TEST_P(RepeatedTimes, are_not_told_as_out_of_order) {
    const Loaded got = Load("Time,Temp\n" + GetParam().readings);
    ASSERT_EQ(got.load.read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(got.load.facts.outOfOrder, GetParam().outOfOrder);
    EXPECT_EQ(got.load.facts.firstOutOfOrderLine, GetParam().firstLine);
    EXPECT_FALSE(got.load.facts.newestFirst);
}

INSTANTIATE_TEST_SUITE_P(
    reader, RepeatedTimes,
    ::testing::Values(OrderCase{"repeat_then_step_back",
                                "2008-03-05 10:00,1\n2008-03-05 10:00,2\n2008-03-05 09:00,3\n"
                                "2008-03-05 11:00,4\n",
                                1, 4},
                      OrderCase{"step_back_then_repeat_of_the_latest",
                                "2008-03-05 10:00,1\n2008-03-05 09:00,2\n2008-03-05 10:00,3\n"
                                "2008-03-05 11:00,4\n",
                                1, 3},
                      OrderCase{"repeats_only",
                                "2008-03-05 10:00,1\n2008-03-05 10:00,2\n2008-03-05 11:00,3\n", 0,
                                0}),
    [](const auto &info) { return std::string(info.param.name); });

// A temperature titled in kelvin with the degree sign, whatever its values.
TEST(reader, a_title_in_degrees_kelvin_is_read_as_kelvin) {
    const Loaded got =
        Load("Time;Temp (\xC2\xB0K)\n2008-03-05 04:00;193,15\n2008-03-05 10:00;353,15\n");
    ASSERT_TRUE(got.load.layout);
    EXPECT_EQ(got.load.layout->unit, WrittenUnit::Kelvin);
    EXPECT_FALSE(got.load.layout->unitFromRange);
    EXPECT_EQ(got.rows(), "2008-03-05 -80 80\n");
}

struct KeptOffsetCase {
    const char *name;
    std::optional<int> hours; ///< nothing: the computer's
    bool zone;
    std::string text;
};

void PrintTo(const KeptOffsetCase &c, std::ostream *out) {
    *out << c.name;
}

class KeptOffsets : public ::testing::TestWithParam<KeptOffsetCase> {};

// An offset chosen for a logger is kept as chosen, each end of the range and 0 h included.
TEST_P(KeptOffsets, read_back_as_chosen) {
    LayoutChoices choices;
    choices.offsetChosen = true;
    choices.offsetHours = GetParam().hours;
    choices.offsetLocalByDate = GetParam().zone;
    EXPECT_EQ(ChoicesText(choices), GetParam().text);
    EXPECT_EQ(ChoicesFromText(GetParam().text), choices);
}

INSTANTIATE_TEST_SUITE_P(
    choices, KeptOffsets,
    ::testing::Values(KeptOffsetCase{"west_end", -12, false, "offset=-12"},
                      KeptOffsetCase{"east_end", 14, false, "offset=14"},
                      KeptOffsetCase{"zero_hours", 0, false, "offset=0"},
                      KeptOffsetCase{"computer", std::nullopt, false, "offset=computer"},
                      KeptOffsetCase{"zone", std::nullopt, true, "offset=zone"}),
    [](const auto &info) { return std::string(info.param.name); });

// A preview's row without a value still shows when it was written.
TEST(preview, a_row_without_a_value_keeps_its_time) {
    const std::vector<std::string_view> lines = {"Time,Temp", "2020-01-06 10:00,5.5",
                                                 "2020-01-06 10:10:30,", "2020-01-06 10:20,NAN"};
    Layout layout;
    layout.separator = ',';
    layout.dateOrder = DateOrder::YearMonthDay;
    const std::vector<PreviewRow> rows = PreviewRows(lines, layout, 3);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(rows[i].kind, PreviewRow::Kind::NoValue);
        EXPECT_EQ(rows[i].line, static_cast<std::int64_t>(i) + 2);
    }
    EXPECT_EQ(rows[1].time, MakeDateTime(DayNumberFromCivil(2020, 1, 6), 36630));
    EXPECT_EQ(rows[2].time, MakeDateTime(DayNumberFromCivil(2020, 1, 6), 37200));
}

} // namespace
} // namespace pelk
