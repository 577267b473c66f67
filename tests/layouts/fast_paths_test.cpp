// SPDX-License-Identifier: GPL-3.0-or-later
// The fast paths of the text and value readers against plain readings of the same rules, on
// random input.
#include "layouts/stamps.h"
#include "layouts/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

namespace pelk {
namespace {

// UTF-8 checked one byte at a time.
bool PlainIsUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = c < 0x80                 ? 1
                                   : c >= 0xC2 && c <= 0xDF ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// Mostly ASCII, as files are, with a degree sign, a stray byte or a cut sequence here and there.
std::string RandomText(std::mt19937 &random) {
    static const std::string pieces[] = {"a",
                                         "1",
                                         ",",
                                         " ",
                                         "\"",
                                         "\t",
                                         "\xC2\xB0",
                                         "\xE2\x84\x83",
                                         "\xB0",
                                         "\xC2",
                                         "\xF0\x9F\x8C\xA1"};
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) {
        const auto k = random() % 100;
        text += k < 90 ? pieces[k % 6] : pieces[6 + k % 5];
    }
    return text;
}

TEST(text, decoding_takes_utf8_exactly_where_every_byte_fits_it) {
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        const std::string bytes = RandomText(random);
        const DecodedText decoded = DecodeText(bytes);
        const bool utf8 = PlainIsUtf8(bytes);
        ASSERT_EQ(decoded.encoding == TextEncoding::Utf8, utf8) << bytes;
        if (utf8)
            EXPECT_EQ(decoded.text(), bytes);
        else
            EXPECT_EQ(decoded.text().size(), bytes.size() + static_cast<std::size_t>(std::count_if(
                                                                bytes.begin(), bytes.end(),
                                                                [](char c) { return c < 0; })));
    }
}

// Fields as a spreadsheet writes them, read one character at a time.
std::vector<std::string> PlainFields(std::string_view line, char separator) {
    auto trim = [](std::string text) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.erase(0, 1);
        return text;
    };
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        std::size_t start = i;
        while (start < line.size() && line[start] == ' ')
            ++start;
        if (start < line.size() && line[start] == '"') {
            i = start + 1;
            for (; i < line.size(); ++i) {
                if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"')
                    field += line[++i];
                else if (line[i] == '"')
                    break;
                else
                    field += line[i];
            }
            while (i < line.size() && line[i] != separator)
                ++i;
        } else {
            while (i < line.size() && line[i] != separator)
                field += line[i++];
        }
        fields.push_back(trim(field));
        if (i >= line.size())
            return fields;
        ++i;
    }
}

TEST(text, fields_split_as_read_one_character_at_a_time) {
    std::mt19937 random(11);
    for (const char separator : {',', ';', '\t'}) {
        FieldSplitter splitter(separator);
        for (int round = 0; round < 20000; ++round) {
            std::string line = RandomText(random);
            for (char &c : line)
                if (c == ',' && random() % 2)
                    c = separator;
            const std::vector<std::string> expected = PlainFields(line, separator);
            const auto &fields = splitter.split(line);
            ASSERT_EQ(std::vector<std::string>(fields.begin(), fields.end()), expected) << line;
            const std::size_t wanted = 1 + random() % 4;
            const auto &first = splitter.split(line, wanted);
            ASSERT_EQ(first.size(), std::min(wanted, expected.size())) << line;
            for (std::size_t k = 0; k < first.size(); ++k)
                ASSERT_EQ(first[k], expected[k]) << line;
        }
    }
}

TEST(text, lines_end_at_cr_lf_cr_or_lf) {
    const std::vector<std::string_view> expected{"a", "", "b", "c", "d"};
    EXPECT_EQ(SplitLines("a\r\n\nb\rc\nd"), expected);
    EXPECT_EQ(SplitLines("a\r\n\nb\rc\nd\n"), expected);
    EXPECT_TRUE(SplitLines("").empty());
}

// The value reader's exact path gives the double that from_chars reads, digit for digit.
TEST(stamps, values_read_to_the_nearest_double) {
    std::mt19937 random(13);
    for (int round = 0; round < 100000; ++round) {
        std::string digits;
        const int length = 1 + static_cast<int>(random() % 18);
        for (int i = 0; i < length; ++i)
            digits += static_cast<char>('0' + random() % 10);
        const std::size_t point = random() % (digits.size() + 1);
        const bool negative = random() % 2;
        const bool comma = random() % 2;
        // Appended piece by piece: g++ 12 sees a false overlap in inserts into these strings.
        const std::string whole = digits.substr(0, point);
        const std::string fraction = point < digits.size() ? digits.substr(point) : "";
        std::string plain(negative ? "-" : "");
        plain.append(whole);
        std::string written(negative ? "-" : (random() % 4 == 0 ? "+" : ""));
        written.append(whole);
        if (point < digits.size()) {
            plain.append(".").append(fraction);
            written.append(comma ? "," : ".").append(fraction);
        }
        double expected = 0;
        std::from_chars(plain.data(), plain.data() + plain.size(), expected);
        const ValueText value = ParseValueText(written);
        ASSERT_TRUE(value.number) << written;
        ASSERT_EQ(*value.number, expected) << written;
        ASSERT_EQ(std::signbit(*value.number), negative) << written;
    }
}

} // namespace
} // namespace pelk
