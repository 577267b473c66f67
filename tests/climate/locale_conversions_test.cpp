#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

namespace pelk {
namespace {

TEST(locale_name, first_set_variable_wins) {
    EXPECT_EQ(NumericLocaleName("fr_FR.UTF-8", "C", "en_US"), "fr_FR.UTF-8");
    EXPECT_EQ(NumericLocaleName("", "de_DE", "en_US"), "de_DE");
    EXPECT_EQ(NumericLocaleName(nullptr, nullptr, "en_US.UTF-8"), "en_US.UTF-8");
    EXPECT_EQ(NumericLocaleName(nullptr, "", ""), "C");
}

TEST(locale_name, decimal_separator_by_language_and_region) {
    const std::pair<const char *, char> cases[] = {
        {"fr_FR.UTF-8", ','}, {"fr_BE", ','},       {"de_DE.UTF-8@euro", ','},
        {"de_CH.UTF-8", '.'}, {"it_CH", '.'},       {"es_ES", ','},
        {"es_MX.UTF-8", '.'}, {"pt_BR", ','},       {"en_US.UTF-8", '.'},
        {"en_GB", '.'},       {"C", '.'},           {"POSIX", '.'},
        {"C.UTF-8", '.'},     {"ja_JP.eucJP", '.'}, {"fr", ','},
    };
    for (const auto &[name, separator] : cases)
        EXPECT_EQ(DecimalSeparatorOfLocale(name), separator) << name;
}

TEST(number_to_text, single_shows_seven_significant_digits_without_trailing_zeros) {
    const std::tuple<float, char, const char *> cases[] = {
        {2.5f, ',', "2,5"},     {100.0f, ',', "100"},      {-3.25f, ',', "-3,25"},
        {4.0f, ',', "4"},       {12.75f, '.', "12.75"},    {0.1f, '.', "0.1"},
        {-0.0f, ',', "0"},      {1.0f / 3, ',', "0,3333333"}, {-100.0f, '.', "-100"},
        {123456.7f, '.', "123456.7"}, {1e20f, ',', "1E+20"}, {1.5e-7f, ',', "1,5E-07"},
    };
    for (const auto &[value, separator, text] : cases)
        EXPECT_EQ(NumberToText(value, separator), text) << value;
}

TEST(number_parser, accepts_sign_digits_separator_and_exponent) {
    const std::tuple<const char *, char, double> cases[] = {
        {"12,75", ',', 12.75}, {"-3,5", ',', -3.5}, {"+4", ',', 4},     {",5", ',', 0.5},
        {"5,", ',', 5},        {"12.75", '.', 12.75}, {"1E+20", '.', 1e20}, {"1,5E-07", ',', 1.5e-7},
        {"007", '.', 7},       {"-0", '.', 0},
    };
    for (const auto &[text, separator, value] : cases) {
        const auto parsed = ParseNumber(text, separator);
        ASSERT_TRUE(parsed) << text;
        EXPECT_DOUBLE_EQ(*parsed, value) << text;
    }
}

TEST(number_parser, refuses_everything_else) {
    for (const char *text : {"", " ", "-", "+", ",", "abc", "12,5,3", "1 000", "12.5", "1e", "e5",
                             "inf", "nan", "0x10", " 12", "12 ", "--1", "1e400"})
        EXPECT_FALSE(ParseNumber(text, ',')) << text;
}

TEST(number_parser, either_separator_when_two_are_given) {
    EXPECT_EQ(ParseSingle("12.75", ',', '.'), 12.75f);
    EXPECT_EQ(ParseSingle("12,75", ',', '.'), 12.75f);
    EXPECT_FALSE(ParseSingle("1.2,5", ',', '.'));
}

TEST(number_parser, single_range_is_enforced) {
    EXPECT_EQ(ParseSingle("3,4028234E+38", ',', ','), 3.4028234e38f);
    EXPECT_FALSE(ParseSingle("3,5E+38", ',', ','));
    EXPECT_FALSE(ParseSingle("-1E+39", ',', ','));
    EXPECT_FALSE(ParseSingle("1E-50", ',', ','));
    EXPECT_TRUE(ParseSingle("1E-40", ',', ',')); // subnormal, still told from zero
}

TEST(number_parser, reads_back_every_text_the_list_shows) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> temperature(-60.0f, 60.0f);
    std::uniform_int_distribution<int> bits(0, 0x7f7fffff);
    for (int i = 0; i < 20000; ++i) {
        float value = i % 2 ? temperature(random) : std::bit_cast<float>(bits(random));
        const std::string text = NumberToText(value, ',');
        const auto parsed = ParseNumber(text, ',');
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(NumberToText(static_cast<float>(*parsed), ','), text);
    }
}

struct DateCase {
    const char *text;
    int year, month, day, hour, minute, second;
};

TEST(date_parser, accepted_forms) {
    const DateCase cases[] = {
        {"15/03/2008 14:30", 2008, 3, 15, 14, 30, 0},
        {"15/03/2008 14:30:45", 2008, 3, 15, 14, 30, 45},
        {"15/03/2008", 2008, 3, 15, 0, 0, 0},
        {"5/3/2008 7:05", 2008, 3, 5, 7, 5, 0},
        {"15-03-2008  14:30", 2008, 3, 15, 14, 30, 0},
        {"15.03.2008 00:00", 2008, 3, 15, 0, 0, 0},
        {"15/03-2008 23:59:59", 2008, 3, 15, 23, 59, 59},
        {"29/02/2008", 2008, 2, 29, 0, 0, 0},
        {"2008-10-25", 2008, 10, 25, 0, 0, 0},
        {"2008/10/25 14:30:05", 2008, 10, 25, 14, 30, 5},
        {"14:30", 1899, 12, 30, 14, 30, 0},
        {"01/01/0001", 1, 1, 1, 0, 0, 0},
        {"31/12/9999 23:59:59", 9999, 12, 31, 23, 59, 59},
    };
    for (const DateCase &c : cases) {
        const auto parsed = ParseDateText(c.text);
        ASSERT_TRUE(parsed) << c.text;
        const CivilDateTime t = SplitDateTime(*parsed);
        EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second),
                  std::tie(c.year, c.month, c.day, c.hour, c.minute, c.second))
            << c.text;
    }
}

TEST(date_parser, refused_forms) {
    for (const char *text :
         {"", " ", "15/03/08 14:30:4", "31/04/2008", "29/02/2007", "00/01/2008", "15/13/2008",
          "15/03/2008 24:00", "15/03/2008 12:60", "15/03/2008 12:30:60", "15/03/2008 1430",
          "15/03/2008 14:3", "15/03/2008 14:30 ", "15/03/2008x", "1 5/03/2008", "15/ 3/2008",
          "4 /12", "15,03,2008", "15/03/20081", "01/01/0000", "15/03/2008 -1:30", "123/03/2008",
          "  15/03/2008", "14:30:", "2008-13-01"})
        EXPECT_FALSE(ParseDateText(text)) << '"' << text << '"';
}

TEST(date_formatting, labels_and_keys) {
    const DateTime t = *ParseDateText("05/03/2008 07:08:09");
    EXPECT_EQ(FormatDayLabel(t), "2008-03-05");
    EXPECT_EQ(FormatDateKey(t), "20080305070809");
    EXPECT_EQ(FormatDateKey(*ParseDateText("14:30")), "18991230143000");
    EXPECT_EQ(FormatDayLabel(*ParseDateText("01/01/0001")), "0001-01-01");
}

TEST(fixed_point_30, layout_and_rounding) {
    const std::string zeros29(29, '0');
    EXPECT_EQ(FormatFixed30(3.5, ','), zeros29 + "3," + "5" + zeros29);
    EXPECT_EQ(FormatFixed30(12, ','), std::string(28, '0') + "12," + std::string(30, '0'));
    EXPECT_EQ(FormatFixed30(0, '.'), std::string(30, '0') + "." + std::string(30, '0'));
    EXPECT_EQ(FormatFixed30(12.25, '.'), std::string(28, '0') + "12.25" + std::string(28, '0'));
    // 15 significant digits: the binary noise of 0.1 is not shown.
    EXPECT_EQ(FormatFixed30(0.1, ','), std::string(30, '0') + ",1" + zeros29);
    EXPECT_EQ(FormatFixed30(1e-31, ','), FormatFixed30(0, ','));
    EXPECT_EQ(FormatFixed30(6e-31, ','), std::string(30, '0') + "," + zeros29 + "1");
    EXPECT_EQ(FormatFixed30(1e35, ',').size(), 36u + 1 + 30);
    for (double value : {0.0, 1e-20, 0.5, 3.25, 99.75, 1e10, 123456789012345.0, 1e29})
        EXPECT_EQ(FormatFixed30(value, ',').size(), 61u) << value;
}

TEST(fixed_point_30, text_order_is_numeric_order_below_1e30) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> exponent(-35, 29.9);
    for (int i = 0; i < 20000; ++i) {
        const double a = std::pow(10.0, exponent(random));
        const double b = std::pow(10.0, exponent(random));
        if (FormatFixed30(a, ',') != FormatFixed30(b, ',')) {
            EXPECT_EQ(FormatFixed30(a, ',') < FormatFixed30(b, ','), a < b) << a << " " << b;
        }
    }
}

} // namespace
} // namespace pelk
