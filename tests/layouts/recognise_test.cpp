// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/recognise.h"

#include "layouts/vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelk {
namespace {

const std::int64_t kToday = DayNumberFromCivil(2026, 12, 7);

Recognition RecogniseText(const std::string &text, const LayoutChoices &choices = {}) {
    static std::vector<std::string> kept; // the lines view the text
    kept.push_back(text);
    return Recognise(SplitLines(kept.back()), TextEncoding::Utf8, choices, kToday);
}

struct OrderCase {
    const char *name;
    std::string file;
    Recognition::Outcome outcome;
    DateOrder order;
    DateOrderReason reason;
};

class DateOrderDecision : public ::testing::TestWithParam<OrderCase> {};

TEST_P(DateOrderDecision, is_made_by_the_data_then_a_title) {
    const OrderCase &c = GetParam();
    const Recognition got = RecogniseText(c.file);
    ASSERT_EQ(got.outcome, c.outcome);
    if (c.outcome != Recognition::Outcome::Recognised)
        return;
    EXPECT_EQ(got.layout.dateOrder, c.order);
    EXPECT_EQ(got.layout.dateOrderReason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    dates, DateOrderDecision,
    ::testing::Values(
        OrderCase{"four_digits_first", "T,V\n2020-01-06 10:00,1\n2020-01-06 11:00,2\n",
                  Recognition::Outcome::Recognised, DateOrder::YearMonthDay,
                  DateOrderReason::YearFirst},
        OrderCase{"a_piece_above_twelve", "T,V\n24/01/2020 10:00,1\n24/01/2020 11:00,2\n",
                  Recognition::Outcome::Recognised, DateOrder::DayMonthYear,
                  DateOrderReason::OnlyValid},
        OrderCase{"steady_steps_day_first",
                  "T,V\n11/10/12 22:00,1\n11/10/12 23:00,2\n12/10/12 00:00,3\n12/10/12 01:00,4\n",
                  Recognition::Outcome::Recognised, DateOrder::DayMonthYear,
                  DateOrderReason::SteadyInTime},
        OrderCase{"steady_steps_two_digit_year_first",
                  "T,V\n24/07/20 23:00,1\n24/07/21 00:00,2\n24/07/21 01:00,3\n",
                  Recognition::Outcome::Recognised, DateOrder::YearMonthDay,
                  DateOrderReason::SteadyInTime},
        OrderCase{"a_title_decides_what_the_data_leaves",
                  "Date (MM/DD/YYYY),V\n03/05/2020 10:00,1\n03/05/2020 11:00,2\n",
                  Recognition::Outcome::Recognised, DateOrder::MonthDayYear,
                  DateOrderReason::Title},
        OrderCase{"a_title_the_data_contradicts_is_overruled",
                  "Time;V\nYYYY-MM-DD HH:MM:SS;C\n10/6/2020 23:40;1\n11/6/2020 00:00;2\n",
                  Recognition::Outcome::Recognised, DateOrder::DayMonthYear,
                  DateOrderReason::SteadyInTime},
        OrderCase{"both_orders_read_the_same_days", "T,V\n05/05/2020 10:00,1\n",
                  Recognition::Outcome::Recognised, DateOrder::DayMonthYear,
                  DateOrderReason::Irrelevant},
        OrderCase{"one_day_cannot_tell", "T,V\n03/05/2020 10:00,1\n03/05/2020 11:00,2\n",
                  Recognition::Outcome::DateOrderUnknown, DateOrder::DayMonthYear,
                  DateOrderReason::Irrelevant}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(recognise, a_contradicted_title_is_named_as_overruled) {
    const Recognition got =
        RecogniseText("Time;V\nYYYY-MM-DD HH:MM:SS;C\n10/6/2020 23:40;1\n11/6/2020 00:00;2\n");
    EXPECT_EQ(got.layout.overruledTitleOrder, "year/month/day");
}

TEST(recognise, two_digit_years_take_the_century_nearest_today_without_passing_it) {
    struct Case {
        std::string date;
        int year;
    };
    for (const Case &c : {Case{"24/07/26", 2026}, Case{"06/12/26", 2026}, Case{"08/12/26", 1926},
                          Case{"24/07/99", 1999}, Case{"24/07/00", 2000}}) {
        LayoutChoices dayFirst;
        dayFirst.dateOrder = DateOrder::DayMonthYear;
        const Recognition got = RecogniseText("T,V\n" + c.date + " 10:00,1\n", dayFirst);
        const int base = got.layout.twoDigitYearBase;
        const int yy = std::stoi(c.date.substr(6));
        EXPECT_EQ(base + ((yy - base % 100) % 100 + 100) % 100, c.year) << c.date;
    }
}

TEST(recognise, titles_split_over_two_rows_are_joined_and_lines_before_them_passed_over) {
    const Recognition got = RecogniseText("Station 12\nserial: 4\n\tHi\tLow\nTime\tTemp\tTemp\n"
                                          "2020-01-06 10:00\t3\t1\n2020-01-06 10:10\t4\t2\n");
    ASSERT_EQ(got.outcome, Recognition::Outcome::Recognised);
    EXPECT_EQ(got.layout.firstDataLine, 5);
    EXPECT_EQ(got.layout.titleRows, 2);
    EXPECT_EQ(got.layout.titles, (std::vector<std::string>{"Time", "Hi Temp", "Low Temp"}));
    EXPECT_EQ(got.layout.tnField, 3);
    EXPECT_EQ(got.layout.valueField, 2);
    // A maximum of another quantity is no pair for the minimum.
    const Recognition other = RecogniseText(
        "T,Hi Temp In,Low Temp,Hi Temp,\"Note \"\"a\"\", b\"\n2020-01-06 10:00,9,1,3,x\n");
    EXPECT_EQ(other.layout.tnField, 3);
    EXPECT_EQ(other.layout.valueField, 4);
    EXPECT_EQ(other.layout.titles.back(), "Note \"a\", b");
}

TEST(recognise, the_data_starts_where_most_lines_hold_the_timestamp_in_one_place) {
    // Notes that hold a date in their second field are no start: the readings below them are.
    std::string file;
    for (int i = 0; i < 6; ++i)
        file += "note,2020-01-06 10:00\n";
    for (int i = 0; i < 10; ++i)
        file += "2020-01-06 1" + std::to_string(i) + ":00,4\n";
    const Recognition got = RecogniseText(file);
    ASSERT_EQ(got.outcome, Recognition::Outcome::Recognised);
    EXPECT_EQ(got.layout.firstDataLine, 7);
    EXPECT_EQ(got.layout.timestampField, 1);
}

TEST(recognise, a_narrower_line_of_file_facts_is_no_title_row) {
    const Recognition got = RecogniseText("\"TOA5\",\"CR1000\"\n\"TS\",\"Max\",\"Min\"\n"
                                          "\"2024-04-06 13:30:00\",10.8,10.7\n");
    EXPECT_EQ(got.layout.titleRows, 1);
    EXPECT_EQ(got.layout.titles, (std::vector<std::string>{"TS", "Max", "Min"}));
}

TEST(recognise, a_file_whose_first_line_is_a_reading_keeps_it) {
    const Recognition got = RecogniseText("0;2020.10.28 08:45;4;9.8\n1;2020.10.28 09:00;4;6.8\n");
    EXPECT_EQ(got.layout.firstDataLine, 1);
    EXPECT_EQ(got.layout.separator, ';');
    EXPECT_EQ(got.layout.timestampField, 2);
}

TEST(recognise, the_temperature_column_is_named_by_a_title_else_the_first_numbers) {
    struct Case {
        std::string file;
        std::int32_t field;
        ColumnReason reason;
    };
    for (const Case &c : {
             Case{"T,RH %,Temperature,Dew Point\n2020-01-06 10:00,50,3,1\n", 3,
                  ColumnReason::Title},
             Case{"T,ch1,ch2\n,lx,\xC2\xB0"
                  "C\n2020-01-06 10:00,50,3\n",
                  3, ColumnReason::Title},
             Case{"T,Unit,Value\n2020-01-06 10:00,C,3\n", 3, ColumnReason::FirstNumbers},
             Case{"T,Value\n2020-01-06 10:00,3\n", 2, ColumnReason::FirstNumbers},
         }) {
        const Recognition got = RecogniseText(c.file);
        EXPECT_EQ(got.layout.valueField, c.field) << c.file;
        EXPECT_EQ(got.layout.columnReason, c.reason) << c.file;
    }
}

TEST(recognise, separators_quotes_and_no_layout) {
    EXPECT_EQ(RecogniseText("\"T\",\"V\"\n\"2020-01-06 10:00\",\"3,5\"\n").layout.quoted, true);
    EXPECT_EQ(RecogniseText("T;V\n2020-01-06 10:00;3,5\n").layout.separator, ';');
    EXPECT_EQ(RecogniseText("no readings\nat all\n").outcome, Recognition::Outcome::NoLayout);
}

TEST(vocabulary, names_units_extremes_and_offsets) {
    EXPECT_EQ(UnitNamed("Temp, \xC2\xB0"
                        "F"),
              WrittenUnit::Fahrenheit);
    EXPECT_EQ(UnitNamed("Temp [K]"), WrittenUnit::Kelvin);
    EXPECT_EQ(UnitNamed("Temp \xE2\x88\x9E"
                        "C"),
              WrittenUnit::Celsius); // a mis-encoded degree
    EXPECT_EQ(UnitNamed("Humidity %"), WrittenUnit::None);
    std::string rest;
    EXPECT_EQ(ExtremeNamed("AirTF_Max", rest), Extreme::Maximum);
    EXPECT_EQ(ExtremeNamed("Low Temp", rest), Extreme::Minimum);
    EXPECT_EQ(rest, "temp ");
    EXPECT_EQ(ExtremeNamed("Temp Out", rest), Extreme::None);
    EXPECT_EQ(OffsetNamed("Date Time, GMT-04:00")->seconds, -4 * 3600);
    EXPECT_EQ(OffsetNamed("clock UTC+1")->seconds, 3600);
    EXPECT_EQ(OffsetNamed("Time (UTC)")->seconds, 0);
    EXPECT_FALSE(OffsetNamed("Outcome"));
    EXPECT_EQ(DateOrderNamed("TT.MM.JJJJ"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateOrderNamed("jj/mm/aaaa"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateOrderNamed("Date (MM/DD/YYYY)"), DateOrder::MonthDayYear);
}

TEST(stamps, pieces_of_timestamps_and_values) {
    const auto iso = ParseStampPieces("2020-01-06T11:26:00.5+01:00");
    ASSERT_TRUE(iso);
    EXPECT_EQ(iso->secondsOfDay, 11 * 3600 + 26 * 60);
    EXPECT_EQ(iso->offsetSeconds, 3600);
    EXPECT_EQ(ParseStampPieces("3/5/2008 12:30 AM")->secondsOfDay, 30 * 60);
    EXPECT_EQ(ParseStampPieces("3/5/2008 12:30 PM")->secondsOfDay, 12 * 3600 + 30 * 60);
    EXPECT_EQ(ParseStampPieces("3/5/2008 2:30:05,250")->secondsOfDay, 2 * 3600 + 30 * 60 + 5);
    for (const char *bad :
         {"3/5/2008 24:00", "3/5/2008 12:60", "3/5/200", "1.5", "3/5/2008 x", "3/5/2008 13:00 PM"})
        EXPECT_FALSE(ParseStampPieces(bad)) << bad;
    EXPECT_EQ(ParseValueText(" +13,1 \xC2\xB0"
                             "C")
                  .number,
              13.1);
    EXPECT_EQ(ParseValueText("-4 F").unit, WrittenUnit::Fahrenheit);
    EXPECT_TRUE(ParseValueText("  ").empty);
    EXPECT_FALSE(ParseValueText("12.5.3").number);
    EXPECT_FALSE(ParseValueText("1e60").number);
    EXPECT_FALSE(ParseValueText("4 m/s").number);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// What the user says of a file wins over what the recognition would find.
TEST(recognise, the_users_choices_set_the_layout) {
    // A separator the user names is the only one tried.
    const std::string file = "T,V\n2020-01-06 10:00,5\n2020-01-06 10:10,6\n2020-01-06 10:20,7\n";
    LayoutChoices semicolon;
    semicolon.separator = ';';
    EXPECT_EQ(RecogniseText(file, semicolon).outcome, Recognition::Outcome::NoLayout);
    LayoutChoices comma;
    comma.separator = ',';
    EXPECT_EQ(RecogniseText(file, comma).layout.separator, ',');

    // Data from a later line, the timestamp in the second of two date fields, Kelvin values.
    const std::string twoDates = "Sent,Taken,T\n2020-01-05 00:00,2020-01-06 10:00,280\n"
                                 "2020-01-05 00:00,2020-01-06 10:10,281\n"
                                 "2020-01-05 00:00,2020-01-06 10:20,282\n";
    LayoutChoices choices;
    choices.firstDataLine = 3;
    choices.timestampField = 2;
    choices.unit = WrittenUnit::Kelvin;
    const Recognition chosen = RecogniseText(twoDates, choices);
    ASSERT_EQ(chosen.outcome, Recognition::Outcome::Recognised);
    EXPECT_EQ(chosen.layout.firstDataLine, 3);
    EXPECT_EQ(chosen.layout.timestampField, 2);
    EXPECT_EQ(chosen.layout.valueField, 3);
    EXPECT_EQ(chosen.layout.unit, WrittenUnit::Kelvin);
    EXPECT_EQ(RecogniseText(twoDates).layout.timestampField, 1);

    // A first line that holds no timestamp where the user says: no layout.
    LayoutChoices titleLine;
    titleLine.firstDataLine = 1;
    EXPECT_EQ(RecogniseText(twoDates, titleLine).outcome, Recognition::Outcome::NoLayout);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// Without a title row above the data, the columns are named where the file names them.
TEST(recognise, channels_named_before_the_data_or_titles_after_it_name_the_columns) {
    std::string data;
    for (int i = 0; i < 6; ++i)
        data += "2020-01-0" + std::to_string(6 + i / 3) + " 1" + std::to_string(i) + ":00;55;3\n";
    for (const std::string &file : {
             "# Logger 12\n# Channel 1: RH (%)\n# Channel 2: Temp (\xC2\xB0"
             "C)\n" +
                 data,
             "[Sensor 1]\nName=Humidity\nSerial=4\n[Sensor 2]\nName=Air temperature\n[Data]\n" +
                 data,
             data + "Time;RH;Temp\n",
         }) {
        const Recognition got = RecogniseText(file);
        ASSERT_EQ(got.outcome, Recognition::Outcome::Recognised) << file;
        EXPECT_EQ(got.layout.valueField, 3) << file;
        EXPECT_EQ(got.layout.columnReason, ColumnReason::Title) << file;
    }
    // Nothing named: the first column of numbers, as before.
    EXPECT_EQ(RecogniseText("[Sensor 2]\nSerial=4\n" + data).layout.valueField, 2);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(recognise, a_rule_of_dashes_under_the_titles_keeps_them) {
    const Recognition got =
        RecogniseText("Time,Temp\n----------,----\n2020-01-06 10:00,3\n2020-01-06 10:10,4\n");
    EXPECT_EQ(got.layout.titles, (std::vector<std::string>{"Time", "Temp"}));
    EXPECT_EQ(got.layout.firstDataLine, 3);
}

TEST(recognise, of_two_runs_of_readings_alike_in_length_the_first_is_the_data) {
    // The second, with its timestamp elsewhere, is then read as the data's lines and refused,
    // rather than the first passed over in silence.
    std::string file;
    for (int i = 0; i < 10; ++i)
        file += "2020-01-06 1" + std::to_string(i) + ":00,3\n";
    for (int i = 0; i < 10; ++i)
        file += "7,2020-01-07 1" + std::to_string(i) + ":00,3\n";
    const Recognition got = RecogniseText(file);
    EXPECT_EQ(got.layout.firstDataLine, 1);
    EXPECT_EQ(got.layout.timestampField, 1);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(recognise, a_file_no_layout_reads_is_given_the_plainest_guess) {
    // A reading among the report lines: refused, but the dialog starts at the data.
    std::string file = "Report\n2020-01-05 09:00;1\n";
    for (int i = 0; i < 40; ++i)
        file += "setting " + std::to_string(i) + ";x\n";
    file += "Time;Temp\n";
    for (int i = 0; i < 12; ++i)
        file += "2020-01-06 1" + std::to_string(i % 10) + ":00;4\n";
    const Recognition refused = RecogniseText(file);
    EXPECT_EQ(refused.outcome, Recognition::Outcome::NoLayout);
    EXPECT_EQ(refused.guess.separator, ';');
    EXPECT_EQ(refused.guess.firstDataLine, 44);
    EXPECT_EQ(refused.readingBeforeData, 2);
    // No reading anywhere: the separator that cuts most lines alike, from the first dated line.
    const LayoutChoices plain =
        PlainestChoices(SplitLines("title\na,b;c\nx;2020-01-06 10:00;y\np;q;r\n"));
    EXPECT_EQ(plain.separator, ';');
    EXPECT_EQ(plain.firstDataLine, 3);
    EXPECT_FALSE(PlainestChoices(SplitLines("one\nfield\n")).separator);
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(recognise, a_field_shaped_like_a_date_that_no_order_reads_is_no_timestamp) {
    // A sensor's address before the timestamp: 40.41.42 is no day in any order.
    const Recognition got = RecogniseText(
        "Sensor,Time,Temp\n40.41.42,2020-01-06 10:00,4\n40.41.42,2020-01-06 10:10,5\n");
    ASSERT_EQ(got.outcome, Recognition::Outcome::Recognised);
    EXPECT_EQ(got.layout.timestampField, 2);
    EXPECT_EQ(got.layout.valueField, 3);
}

} // namespace
} // namespace pelk
