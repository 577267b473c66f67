#include "results/results_list.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace pelk {
namespace {

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

// Replaces every "," of a French-locale text by the given separator.
std::string WithSeparator(std::string text, char separator) {
    std::replace(text.begin(), text.end(), ',', separator);
    return text;
}

struct KeyCase {
    const char *cellText; // as written in a comma locale
    std::string key;      // likewise
};

const std::vector<KeyCase> &WorkedExamples() {
    static const std::vector<KeyCase> cases = {
        {"3,5", Repeat('0', 29) + "3," + "5" + Repeat('0', 29)},
        {"-3,5", "&" + Repeat('9', 29) + "6," + "4" + Repeat('9', 29)},
        {"12", Repeat('0', 28) + "12," + Repeat('0', 30)},
        {"-12,25", "&" + Repeat('9', 28) + "87," + "74" + Repeat('9', 28)},
        {"0", Repeat('0', 30) + "," + Repeat('0', 30)},
        {"-0,1", "&" + Repeat('9', 30) + "," + "8" + Repeat('9', 29)},
        {"abc", ""},
    };
    return cases;
}

class NumberSortKeyInBothLocales : public ::testing::TestWithParam<char> {};

TEST_P(NumberSortKeyInBothLocales, worked_examples_give_their_keys) {
    const char separator = GetParam();
    for (const KeyCase &example : WorkedExamples()) {
        const std::string key =
            NumberSortKey(WithSeparator(example.cellText, separator), separator);
        EXPECT_EQ(key, WithSeparator(example.key, separator)) << example.cellText;
        EXPECT_EQ(key.size(), example.key.size()) << example.cellText;
    }
}

TEST_P(NumberSortKeyInBothLocales, worked_examples_sort_in_numeric_order) {
    const char separator = GetParam();
    std::vector<std::pair<std::string, std::string>> keyed; // key, text
    for (const KeyCase &example : WorkedExamples()) {
        const std::string text = WithSeparator(example.cellText, separator);
        keyed.emplace_back(NumberSortKey(text, separator), text);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> texts;
    for (const auto &entry : keyed)
        texts.push_back(entry.second);
    std::vector<std::string> expected;
    for (const char *text : {"abc", "-12,25", "-3,5", "-0,1", "0", "3,5", "12"})
        expected.push_back(WithSeparator(text, separator));
    EXPECT_EQ(texts, expected);
}

TEST_P(NumberSortKeyInBothLocales, value_lost_past_the_thirtieth_decimal_is_zero) {
    const char separator = GetParam();
    const std::string zero = NumberSortKey("0", separator);
    EXPECT_EQ(NumberSortKey("1E-35", separator), zero);
    EXPECT_EQ(NumberSortKey("-0", separator), zero);
    // A tiny negative value: after every other negative key, before the key of 0.
    const std::string tinyNegative = NumberSortKey("-1E-35", separator);
    EXPECT_EQ(tinyNegative, "&" + Repeat('9', 30) + separator + Repeat('9', 30));
    EXPECT_LT(NumberSortKey(WithSeparator("-0,1", separator), separator), tinyNegative);
    EXPECT_LT(tinyNegative, zero);
}

TEST_P(NumberSortKeyInBothLocales, texts_of_the_same_number_give_the_same_key) {
    const char separator = GetParam();
    EXPECT_EQ(NumberSortKey(WithSeparator("2,50", separator), separator),
              NumberSortKey(WithSeparator("2,5", separator), separator));
    EXPECT_EQ(NumberSortKey(WithSeparator("-1,5E+01", separator), separator),
              NumberSortKey("-15", separator));
}

TEST_P(NumberSortKeyInBothLocales, an_integer_part_of_31_digits_makes_a_longer_key) {
    const char separator = GetParam();
    const std::string key = NumberSortKey("1" + Repeat('0', 30), separator);
    EXPECT_EQ(key, "1" + Repeat('0', 30) + separator + Repeat('0', 30));
    EXPECT_EQ(NumberSortKey("-1" + Repeat('0', 30), separator).size(), 63u);
}

TEST_P(NumberSortKeyInBothLocales, no_number_gives_the_empty_key) {
    const char separator = GetParam();
    for (const char *text : {"", "abc", "-", "+", ",", ".", "1 000", "2008-03-05", "12,5,3"}) {
        if (std::string_view(text) == std::string(1, separator))
            continue;
        EXPECT_EQ(NumberSortKey(text, separator), "") << text;
    }
}

// The list's own texts, NumberToText of singles, must sort by key exactly as their values do.
TEST_P(NumberSortKeyInBothLocales, key_order_is_numeric_order_for_the_lists_texts) {
    const char separator = GetParam();
    std::mt19937 random(20080305);
    std::uniform_real_distribution<float> mantissa(1.0f, 10.0f);
    std::uniform_int_distribution<int> exponent(-9, 9);
    std::bernoulli_distribution negative(0.5);
    struct Entry {
        double value;
        std::string key;
        std::string text;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < 4000; ++i) {
        float value = mantissa(random) * std::pow(10.0f, static_cast<float>(exponent(random)));
        if (i % 50 == 0)
            value = std::round(value); // whole numbers, several of them equal
        if (negative(random))
            value = -value;
        const std::string text = NumberToText(value, separator);
        const auto parsed = ParseNumber(text, separator);
        ASSERT_TRUE(parsed) << text;
        entries.push_back({*parsed, NumberSortKey(text, separator), text});
    }
    for (const char *text : {"0", "100", "-100"})
        entries.push_back({*ParseNumber(text, separator), NumberSortKey(text, separator), text});
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.value < b.value; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const Entry &a = entries[i - 1];
        const Entry &b = entries[i];
        if (a.value < b.value)
            EXPECT_LT(a.key, b.key) << a.text << " then " << b.text;
        else
            EXPECT_EQ(a.key, b.key) << a.text << " and " << b.text;
    }
}

INSTANTIATE_TEST_SUITE_P(separators, NumberSortKeyInBothLocales, ::testing::Values(',', '.'),
                         [](const auto &info) {
                             return std::string(info.param == ',' ? "comma" : "point");
                         });

TEST(date_sort_key, worked_examples_give_fourteen_digits) {
    const std::pair<const char *, const char *> cases[] = {
        {"25/10/2008 14:30:05", "20081025143005"},
        {"2008-10-25", "20081025000000"},
        {"14:30", "18991230143000"},
        {"05/03/2008", "20080305000000"},
        {"31/12/2008 23:59:59", "20081231235959"},
    };
    for (const auto &[text, key] : cases)
        EXPECT_EQ(DateSortKey(text), key) << text;
}

TEST(date_sort_key, key_order_is_chronological_order) {
    const char *const chronological[] = {"14:30",      "31/12/2007 23:59",
                                         "2008-01-01", "01/01/2008 00:00:01",
                                         "02/01/2008", "2008-10-25 14:30"};
    for (std::size_t i = 1; i < std::size(chronological); ++i)
        EXPECT_LT(DateSortKey(chronological[i - 1]), DateSortKey(chronological[i]))
            << chronological[i - 1] << " then " << chronological[i];
}

TEST(date_sort_key, no_date_gives_the_empty_key) {
    for (const char *text : {"", "abc", "-", "+", "12,5", "31/04/2008", "2008-13-01", "24:00"})
        EXPECT_EQ(DateSortKey(text), "") << text;
}

TEST(complement_digits, maps_each_digit_to_nine_minus_it_and_minus_to_blank) {
    EXPECT_EQ(ComplementDigits("0123456789"), "9876543210");
    EXPECT_EQ(ComplementDigits("-12,5"), " 87,4");
    EXPECT_EQ(ComplementDigits("abc&.,"), "abc&.,");
    EXPECT_EQ(ComplementDigits(""), "");
}

TEST(complement_digits, twice_gives_the_digits_back_and_leaves_letters) {
    for (const std::string text :
         {"000000000000000000000000000003,500000000000000000000000000000", "x1y2z3", "9"}) {
        const std::string once = ComplementDigits(text);
        EXPECT_EQ(once.size(), text.size());
        EXPECT_EQ(ComplementDigits(once), text);
    }
}

TEST(complement_digits, serves_texts_longer_than_a_16_bit_counter) {
    const std::string text(40000, '1');
    EXPECT_EQ(ComplementDigits(text), std::string(40000, '8'));
}

} // namespace
} // namespace pelk
