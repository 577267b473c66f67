// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/stamps.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pelk {
namespace {

constexpr std::array<DateOrder, 3> kOrders = {DateOrder::DayMonthYear, DateOrder::MonthDayYear,
                                              DateOrder::YearMonthDay};

struct CivilDate {
    int year;
    int month;
    int day;
};

// A timestamp field, the day it names in the first of the orders that read it, and its time.
struct StampCase {
    std::string field;
    CivilDate date;
    std::vector<DateOrder> orders;
    int secondsOfDay = -1;
};

void PrintTo(const StampCase &c, std::ostream *out) {
    *out << '"' << c.field << '"';
}

std::string OrderName(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear:
        return "DMY";
    case DateOrder::MonthDayYear:
        return "MDY";
    case DateOrder::YearMonthDay:
        return "YMD";
    }
    return "?";
}

void ExpectStamp(const StampCase &c) {
    const auto stamp = ParseStampPieces(c.field);
    ASSERT_TRUE(stamp) << c.field;
    EXPECT_EQ(stamp->secondsOfDay, c.secondsOfDay) << c.field;
    const std::int64_t expected = DayNumberFromCivil(c.date.year, c.date.month, c.date.day);
    std::vector<DateOrder> reading;
    for (const DateOrder order : kOrders) {
        const auto day = DayNumberOf(stamp->date, order, 2000);
        if (day)
            reading.push_back(order);
        if (day && order == c.orders.front()) {
            EXPECT_EQ(*day, expected) << c.field << " read " << OrderName(order);
        }
    }
    EXPECT_EQ(reading, c.orders) << c.field;
    // The reader's shortcut for a repeated date gives the same stamp.
    if (stamp->dateLength > 0) {
        const auto again = ParseStampAfterDate(c.field, stamp->date, stamp->dateLength);
        ASSERT_TRUE(again) << c.field;
        EXPECT_EQ(again->date, stamp->date) << c.field;
        EXPECT_EQ(again->secondsOfDay, stamp->secondsOfDay) << c.field;
        EXPECT_EQ(again->offsetSeconds, stamp->offsetSeconds) << c.field;
    }
}

const std::vector<DateOrder> kDayFirst = {DateOrder::DayMonthYear};
const std::vector<DateOrder> kMonthFirst = {DateOrder::MonthDayYear};
const std::vector<DateOrder> kYearFirst = {DateOrder::YearMonthDay};
const std::vector<DateOrder> kDayOrYearFirst = {DateOrder::DayMonthYear, DateOrder::YearMonthDay};

class MonthWords : public ::testing::TestWithParam<StampCase> {};

TEST_P(MonthWords, make_their_piece_the_month) {
    ExpectStamp(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    stamps, MonthWords,
    ::testing::Values(StampCase{"21/Nov/2025", {2025, 11, 21}, kDayFirst},
                      StampCase{"21-nov.-2025", {2025, 11, 21}, kDayFirst},
                      StampCase{"21.Nov.2025", {2025, 11, 21}, kDayFirst},
                      StampCase{"21/NOV/2025 00:00:00", {2025, 11, 21}, kDayFirst, 0},
                      StampCase{"5 juin 2024", {2024, 6, 5}, kDayFirst},
                      StampCase{"5. M\xC3\xA4rz 2024", {2024, 3, 5}, kDayFirst},
                      StampCase{"5-Maerz-2024", {2024, 3, 5}, kDayFirst},
                      StampCase{"5-Mrz-2024", {2024, 3, 5}, kDayFirst},
                      StampCase{"3-Dez-2023", {2023, 12, 3}, kDayFirst},
                      StampCase{"10/f\xC3\xA9vr./2024", {2024, 2, 10}, kDayFirst},
                      StampCase{"10 F\xC3\x89VR. 2024", {2024, 2, 10}, kDayFirst},
                      StampCase{"1 janvier 2024", {2024, 1, 1}, kDayFirst},
                      StampCase{"31 d\xC3\xA9"
                                "cembre 2023 23:59",
                                {2023, 12, 31},
                                kDayFirst,
                                23 * 3600 + 59 * 60},
                      StampCase{"12 Mai 2024", {2024, 5, 12}, kDayFirst},
                      StampCase{"12 May 2024", {2024, 5, 12}, kDayFirst},
                      StampCase{"12-Sept-2024", {2024, 9, 12}, kDayFirst},
                      StampCase{"15 ao\xC3\xBBt 2024", {2024, 8, 15}, kDayFirst},
                      StampCase{"15.Okt.2024", {2024, 10, 15}, kDayFirst},
                      StampCase{"Nov 21 2025", {2025, 11, 21}, kMonthFirst},
                      StampCase{
                          "Nov 21 2025 14:30", {2025, 11, 21}, kMonthFirst, 14 * 3600 + 30 * 60},
                      // Numbers that the day-first order would read as a date of its own.
                      StampCase{"Dec 5 2024", {2024, 12, 5}, kMonthFirst},
                      StampCase{"2025-Nov-21", {2025, 11, 21}, kYearFirst},
                      // A two-digit year leaves day-first and year-first to the data.
                      StampCase{"15-oct-24", {2024, 10, 15}, kDayOrYearFirst}));

class TimeFirst : public ::testing::TestWithParam<StampCase> {};

TEST_P(TimeFirst, reads_the_date_after_it) {
    ExpectStamp(GetParam());
    EXPECT_EQ(ParseStampPieces(GetParam().field)->dateLength, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    stamps, TimeFirst,
    ::testing::Values(StampCase{"00:00:00 21/Nov/2025", {2025, 11, 21}, kDayFirst, 0},
                      StampCase{"14:30 25/03/2008", {2008, 3, 25}, kDayFirst, 14 * 3600 + 30 * 60},
                      StampCase{
                          "2:30 PM 25/03/2008  ", {2008, 3, 25}, kDayFirst, 14 * 3600 + 30 * 60},
                      StampCase{"08:00:00.5 2024-01-25", {2024, 1, 25}, kYearFirst, 8 * 3600},
                      StampCase{"08:00:00,125  5 juin 2024", {2024, 6, 5}, kDayFirst, 8 * 3600}));

class TimeAfterDate : public ::testing::TestWithParam<StampCase> {};

TEST_P(TimeAfterDate, reads_fractions_commas_and_twelve_hour_clocks) {
    ExpectStamp(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    stamps, TimeAfterDate,
    ::testing::Values(
        StampCase{"2024/01/25 08:00:00.5", {2024, 1, 25}, kYearFirst, 8 * 3600},
        StampCase{"2024/01/25 08:00:00,123", {2024, 1, 25}, kYearFirst, 8 * 3600},
        StampCase{"2024-01-25T08:00:01.123456", {2024, 1, 25}, kYearFirst, 8 * 3600 + 1},
        StampCase{"27.08.2025,00:00:00", {2025, 8, 27}, kDayFirst, 0},
        StampCase{"27.08.2025,13:45", {2025, 8, 27}, kDayFirst, 13 * 3600 + 45 * 60},
        StampCase{"27.08.2025, 13:45:10,5", {2025, 8, 27}, kDayFirst, 13 * 3600 + 45 * 60 + 10},
        StampCase{"2019-08-11 1:00:00 AM", {2019, 8, 11}, kYearFirst, 3600},
        StampCase{"2019-08-11 12:00:00 AM", {2019, 8, 11}, kYearFirst, 0},
        StampCase{"2019-08-11 1:05 pm", {2019, 8, 11}, kYearFirst, 13 * 3600 + 5 * 60},
        StampCase{"2019-08-11 11:59:59.9 PM", {2019, 8, 11}, kYearFirst, 86399}));

TEST(stamps, a_comma_joined_date_keeps_its_own_length) {
    const auto stamp = ParseStampPieces("07.08.25,00:00:00");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->dateLength, 8u);
    EXPECT_EQ(stamp->date, (DatePieces{7, 8, 25, 2, 2, 0}));
}

TEST(stamps, a_month_word_is_no_digits) {
    const auto stamp = ParseStampPieces("Nov 21 2025");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->date, (DatePieces{11, 21, 2025, 0, 4, 1}));
    EXPECT_EQ(stamp->dateLength, 11u);
}

struct TimeCase {
    std::string field;
    int secondsOfDay;
};

void PrintTo(const TimeCase &c, std::ostream *out) {
    *out << '"' << c.field << '"';
}

class TimeOfDay : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeOfDay, drops_a_fraction_of_a_second) {
    EXPECT_EQ(ParseTimeOfDay(GetParam().field), GetParam().secondsOfDay) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(stamps, TimeOfDay,
                         ::testing::Values(TimeCase{"08:00:00,123", 8 * 3600},
                                           TimeCase{"08:00:00.5", 8 * 3600},
                                           TimeCase{"8:00:59.999 PM", 20 * 3600 + 59},
                                           TimeCase{"23:59:59", 86399}));

class Refused : public ::testing::TestWithParam<std::string> {};

TEST_P(Refused, reads_as_no_timestamp) {
    EXPECT_FALSE(ParseStampPieces(GetParam())) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    stamps, Refused,
    ::testing::Values(
        // Trailing garbage.
        "2024-01-05 08:00 x", "21/Nov/2025x", "21 Nov 2025 x", "14:30 15/03/2008 x", "27.08.2025,",
        "27.08.2025,abc", "2024-01-05T", "2024-01-05 08:00:00.5x",
        // Impossible times.
        "2024-01-05 24:00", "2024-01-05 08:60", "2024-01-05 08:00:60", "2019-08-11 0:30 AM",
        "2019-08-11 13:00 PM", "27.08.2025,25:00", "25:00 15/03/2008", "08:60 15/03/2008",
        // Three-digit years.
        "5/1/202", "202/1/5", "21/Nov/202", "14:30 15/03/208",
        // Words that name no month, or in no month's place.
        "21/Foo/2025", "21/Novembers/2025", "21/No/2025", "2025/21/Nov", "Nov/Dec/2025",
        "Date 21 2025",
        // Blanks between numbers, a time alone, a time run into its date.
        "21 11 2025", "5. 3. 2024", "14:30", "14:3015/03/2008", "14:30 15/03"));

TEST(stamps, a_numeric_date_keeps_its_pieces_as_written) {
    const auto stamp = ParseStampPieces("24/07/20 21:00:00");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->date, (DatePieces{24, 7, 20, 2, 2, 0}));
    EXPECT_EQ(stamp->dateLength, 8u);
    EXPECT_EQ(stamp->secondsOfDay, 21 * 3600);
}

struct UnixCase {
    std::string field;
    std::optional<std::int64_t> seconds; ///< nothing: no Unix seconds
};

void PrintTo(const UnixCase &c, std::ostream *out) {
    *out << '"' << c.field << '"';
}

class UnixSeconds : public ::testing::TestWithParam<UnixCase> {};

// Nine digits before 2001-09-09, ten after, from 1980 to 2100.
TEST_P(UnixSeconds, are_read_from_1980_to_2100) {
    EXPECT_EQ(ParseUnixSeconds(GetParam().field), GetParam().seconds) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(
    stamps, UnixSeconds,
    ::testing::Values(UnixCase{"315532800", 315532800}, // 1980-01-01
                      UnixCase{"599679000", 599679000}, UnixCase{"999999999", 999999999},
                      UnixCase{"1000000000", 1000000000}, UnixCase{"4102444799", 4102444799},
                      UnixCase{"315532799", std::nullopt}, UnixCase{"4102444800", std::nullopt},
                      UnixCase{"99999999", std::nullopt}, UnixCase{"12047382000", std::nullopt},
                      UnixCase{"59967900x", std::nullopt}));

struct WrittenOffsetCase {
    std::string field;
    std::optional<int> offsetSeconds; ///< nothing: no timestamp at all
};

void PrintTo(const WrittenOffsetCase &c, std::ostream *out) {
    *out << '"' << c.field << '"';
}

class WrittenOffsets : public ::testing::TestWithParam<WrittenOffsetCase> {};

// Offsets on a timestamp reach from -12:00 to +14:00, as the clocks of the world do.
TEST_P(WrittenOffsets, are_read_to_the_ends_of_the_worlds_clocks) {
    const auto stamp = ParseStampPieces(GetParam().field);
    ASSERT_EQ(stamp.has_value(), GetParam().offsetSeconds.has_value()) << GetParam().field;
    if (stamp) {
        EXPECT_EQ(stamp->offsetSeconds, GetParam().offsetSeconds) << GetParam().field;
    }
}

INSTANTIATE_TEST_SUITE_P(
    stamps, WrittenOffsets,
    ::testing::Values(WrittenOffsetCase{"2008-03-05T10:00Z", 0},
                      WrittenOffsetCase{"2008-03-05T10:00:00z", 0},
                      WrittenOffsetCase{"2008-03-05T10:00+13:00", 13 * 3600},
                      WrittenOffsetCase{"2008-03-05T10:00+14:00", 14 * 3600},
                      WrittenOffsetCase{"2008-03-05T10:00+1400", 14 * 3600},
                      WrittenOffsetCase{"2008-03-05T10:00+05:30", 5 * 3600 + 30 * 60},
                      WrittenOffsetCase{"2008-03-05T10:00-12:00", -12 * 3600},
                      WrittenOffsetCase{"2008-03-05T10:00+15:00", std::nullopt}));

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// Every month as French, English and German exports abbreviate it, month by month.
TEST(stamps, every_months_usual_abbreviations_read_as_that_month) {
    const std::vector<std::vector<std::string>> words = {{"janv.", "Jan", "Jan."},
                                                         {"f\xC3\xA9vr.", "Feb", "Feb."},
                                                         {"mars", "Mar", "M\xC3\xA4r"},
                                                         {"avr.", "Apr", "Apr."},
                                                         {"mai", "May", "Mai"},
                                                         {"juin", "Jun", "Jun."},
                                                         {"juil.", "Jul", "Jul."},
                                                         {"ao\xC3\xBBt", "Aug", "Aug."},
                                                         {"sept.", "Sep", "Sept."},
                                                         {"oct.", "Oct", "Okt."},
                                                         {"nov.", "Nov", "Nov."},
                                                         {"d\xC3\xA9"
                                                          "c.",
                                                          "Dec", "Dez."}};
    for (std::size_t month = 0; month < words.size(); ++month)
        for (const std::string &word : words[month]) {
            const auto stamp = ParseStampPieces("5-" + word + "-2024");
            ASSERT_TRUE(stamp) << word;
            EXPECT_EQ(DayNumberOf(stamp->date, DateOrder::DayMonthYear, 2000),
                      DayNumberFromCivil(2024, static_cast<int>(month) + 1, 5))
                << word;
        }
}

} // namespace
} // namespace pelk
