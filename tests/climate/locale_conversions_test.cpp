// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <random>

namespace pelk {
namespace {

TEST(locale_conversions, the_numeric_locale_name) {
    EXPECT_EQ(NumericLocaleName("fr_FR.UTF-8", "C", "en_US"), "fr_FR.UTF-8");
    EXPECT_EQ(NumericLocaleName("", "de_DE", "en_US"), "de_DE");
    EXPECT_EQ(NumericLocaleName(nullptr, "", ""), "C");
}

TEST(locale_conversions, number_text_shows_seven_digits_and_reads_back) {
    const std::tuple<float, char, const char *> cases[] = {
        {2.5f, ',', "2,5"},           {100.0f, ',', "100"},         {-3.25f, ',', "-3,25"},
        {12.75f, '.', "12.75"},       {0.1f, '.', "0.1"},           {-0.0f, ',', "0"},
        {1.0f / 3, ',', "0,3333333"}, {123456.7f, '.', "123456.7"}, {1e20f, ',', "1E+20"},
        {1.5e-7f, ',', "1,5E-07"}};
    for (const auto &[value, separator, text] : cases)
        EXPECT_EQ(NumberToText(value, separator), text) << value;
    // And every text shown reads back as the same value.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> temperature(-60.0f, 60.0f);
    std::uniform_int_distribution<int> bits(0, 0x7f7fffff);
    for (int i = 0; i < 20000; ++i) {
        const float value = i % 2 ? temperature(random) : std::bit_cast<float>(bits(random));
        const std::string text = NumberToText(value, ',');
        ASSERT_EQ(NumberToText(static_cast<float>(ParseNumber(text, ',').value_or(-1)), ','), text);
    }
    // The parser reads a sign, digits, a separator and an exponent, and nothing else.
    const std::tuple<const char *, char, double> read[] = {
        {"12,75", ',', 12.75}, {"-3,5", ',', -3.5},     {"+4", ',', 4},
        {",5", ',', 0.5},      {"5,", ',', 5},          {"12.75", '.', 12.75},
        {"1E+20", '.', 1e20},  {"1,5E-07", ',', 1.5e-7}};
    for (const auto &[text, separator, value] : read)
        EXPECT_EQ(ParseNumber(text, separator), value) << text;
    for (const char *text : {"", "-", ",", "abc", "12,5,3", "1 000", "12.5", "1e", "e5", "inf",
                             "nan", "0x10", " 12", "12 ", "--1", "1e400"})
        EXPECT_FALSE(ParseNumber(text, ',')) << text;
}

TEST(locale_conversions, date_parser_accepts_the_usual_forms_only) {
    for (const char *text : {"15/03/2008 14:30", "15-03-2008  14:30", "15.3.2008 14:30:00",
                             "15/03-2008 14:30", "2008/03/15 14:30", "2008-3-15 14:30:00"})
        EXPECT_EQ(FormatDateKey(ParseDateText(text).value_or(0)), "20080315143000") << text;
    const std::pair<const char *, const char *> others[] = {
        {"5/3/2008 7:05:09", "20080305070509"},
        {"29/02/2000", "20000229000000"},
        {"14:30", "18991230143000"},
        {"01/01/0001 12:00", "00010101120000"}, // before 1899-12-30 too
        {"31/12/9999 23:59:59", "99991231235959"}};
    for (const auto &[text, key] : others)
        EXPECT_EQ(FormatDateKey(ParseDateText(text).value_or(0)), key) << text;
    EXPECT_EQ(FormatDayLabel(*ParseDateText("05/03/2008 07:08:09")), "2008-03-05");
    for (const char *text :
         {"31/04/2008", "29/02/2007", "29/02/1900", "00/01/2008", "15/13/2008", "01/01/0000",
          "15/03/2008 24:00", "15/03/2008 12:60", "15/03/2008 12:30:60"})
        EXPECT_FALSE(ParseDateText(text)) << text; // no such date or time
    for (const char *text : {"", " ", "15/03/08 14:30", "15/03/2008 1430", "15/03/2008 14:3",
                             "15/03/2008 14:30 ", "15/03/2008x", "1 5/03/2008", "15,03,2008",
                             "15/03/20081", "123/03/2008", "  15/03/2008", "14:30:"})
        EXPECT_FALSE(ParseDateText(text)) << '"' << text << '"';
}

TEST(locale_conversions, fixed_30_layout_rounding_and_order) {
    const std::string zeros(29, '0');
    EXPECT_EQ(FormatFixed30(3.5, ','), zeros + "3,5" + zeros);
    EXPECT_EQ(FormatFixed30(0, '.'), zeros + "0.0" + zeros);
    EXPECT_EQ(FormatFixed30(0.1, ','), zeros + "0,1" + zeros); // no binary noise of 0.1
    EXPECT_EQ(FormatFixed30(1e-31, ','), FormatFixed30(0, ','));
    EXPECT_EQ(FormatFixed30(6e-31, ','), zeros + "0," + zeros + "1");
    EXPECT_EQ(FormatFixed30(2.6e-30, ','), zeros + "0," + zeros + "3"); // rounded at the 30th place
    EXPECT_EQ(FormatFixed30(1e35, ',').size(), 36u + 1 + 30);
    // Below 1e30, text order is numeric order.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> exponent(-35, 29.9);
    for (int i = 0; i < 20000; ++i) {
        const double a = std::pow(10.0, exponent(random));
        const double b = std::pow(10.0, exponent(random));
        const std::string textA = FormatFixed30(a, ',');
        const std::string textB = FormatFixed30(b, ',');
        ASSERT_EQ(textA.size(), 61u) << a;
        EXPECT_TRUE(textA == textB || (textA < textB) == (a < b)) << a << " " << b;
    }
}

} // namespace
} // namespace pelk
