// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/vocabulary.h"

#include "layouts/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pelk {
namespace {

struct OffsetCase {
    std::string text;
    std::optional<int> seconds; ///< nothing: no offset named
    std::string written = "";
};

void PrintTo(const OffsetCase &c, std::ostream *out) {
    *out << '"' << c.text << '"';
}

class Offsets : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(Offsets, read_as_written_in_a_title) {
    const OffsetCase &c = GetParam();
    const auto stated = OffsetNamed(c.text);
    ASSERT_EQ(stated.has_value(), c.seconds.has_value()) << c.text;
    if (!stated)
        return;
    EXPECT_EQ(stated->seconds, *c.seconds) << c.text;
    EXPECT_EQ(stated->text, c.written) << c.text;
}

constexpr int kHour = 3600;

INSTANTIATE_TEST_SUITE_P(
    vocabulary, Offsets,
    ::testing::Values(OffsetCase{"Date Time, GMT -0500", -5 * kHour, "GMT -0500"},
                      OffsetCase{"Time (UTC+0100)", kHour, "UTC+0100"},
                      OffsetCase{"UTC-3", -3 * kHour, "UTC-3"},
                      OffsetCase{"Zeit UTC+05:30", 5 * kHour + 30 * 60, "UTC+05:30"},
                      OffsetCase{"GMT+2", 2 * kHour, "GMT+2"},
                      OffsetCase{"Heure (UTC +01:00)", kHour, "UTC +01:00"},
                      OffsetCase{"Date Time, GMT-04:00", -4 * kHour, "GMT-04:00"},
                      OffsetCase{"utc-0930", -(9 * kHour + 30 * 60), "utc-0930"},
                      OffsetCase{"Time (UTC)", 0, "UTC"}, OffsetCase{"Date UTC - Temp", 0, "UTC"},
                      // The farthest clocks from UTC, and past them.
                      OffsetCase{"UTC+13", 13 * kHour, "UTC+13"},
                      OffsetCase{"UTC+14:00", 14 * kHour, "UTC+14:00"},
                      OffsetCase{"UTC-12", -12 * kHour, "UTC-12"},
                      OffsetCase{"UTC+1400", 14 * kHour, "UTC+1400"},
                      OffsetCase{"UTC+15", std::nullopt}, OffsetCase{"UTC+14:30", std::nullopt},
                      OffsetCase{"UTC-13", std::nullopt}, OffsetCase{"UTC-1230", std::nullopt},
                      // Digits that make no offset, and words that only hold the letters.
                      OffsetCase{"UTC+123", std::nullopt}, OffsetCase{"UTC+01234", std::nullopt},
                      OffsetCase{"UTC+0175", std::nullopt}, OffsetCase{"Outcome", std::nullopt},
                      OffsetCase{"UTCTime", std::nullopt}));

struct ZoneCase {
    std::string text;
    std::optional<std::string> zone;
    std::string written = "";
};

void PrintTo(const ZoneCase &c, std::ostream *out) {
    *out << '"' << c.text << '"';
}

class Zones : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(Zones, name_their_iana_zone) {
    const ZoneCase &c = GetParam();
    const auto named = ZoneNamed(c.text);
    ASSERT_EQ(named.has_value(), c.zone.has_value()) << c.text;
    if (!named)
        return;
    EXPECT_EQ(named->zone, *c.zone) << c.text;
    EXPECT_EQ(named->text, c.written) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    vocabulary, Zones,
    ::testing::Values(
        ZoneCase{"Time zone: W. Europe Standard Time", "Europe/Berlin", "W. Europe Standard Time"},
        ZoneCase{"Zeitzone: Westeurop\xC3\xA4ische Normalzeit", "Europe/Berlin",
                 "Westeurop\xC3\xA4ische Normalzeit"},
        ZoneCase{"WESTEUROP\xC3\x84ISCHE NORMALZEIT", "Europe/Berlin",
                 "WESTEUROP\xC3\x84ISCHE NORMALZEIT"},
        ZoneCase{"Fuseau : Europe de l'Ouest", "Europe/Berlin", "Europe de l'Ouest"},
        ZoneCase{"Romance Standard Time", "Europe/Paris", "Romance Standard Time"},
        ZoneCase{"Paris, Madrid (heure d'\xC3\xA9t\xC3\xA9)", "Europe/Paris", "Paris, Madrid"},
        ZoneCase{"Mitteleurop\xC3\xA4ische Zeit", "Europe/Berlin", "Mitteleurop\xC3\xA4ische Zeit"},
        ZoneCase{"central europe standard time", "Europe/Budapest", "central europe standard time"},
        ZoneCase{"Central European Standard Time", "Europe/Warsaw",
                 "Central European Standard Time"},
        ZoneCase{"GMT Standard Time", "Europe/London", "GMT Standard Time"},
        ZoneCase{"(Eastern Standard Time)", "America/New_York", "Eastern Standard Time"},
        ZoneCase{"Pacific Standard Time", "America/Los_Angeles", "Pacific Standard Time"},
        ZoneCase{"Central Standard Time", "America/Chicago", "Central Standard Time"},
        ZoneCase{"Mountain Standard Time", "America/Denver", "Mountain Standard Time"},
        ZoneCase{"Atlantic Standard Time", "America/Halifax", "Atlantic Standard Time"},
        ZoneCase{"Tokyo Standard Time", "Asia/Tokyo", "Tokyo Standard Time"},
        ZoneCase{"China Standard Time", "Asia/Shanghai", "China Standard Time"},
        // A name that holds a shorter one is the longer.
        ZoneCase{"AUS Eastern Standard Time", "Australia/Sydney", "AUS Eastern Standard Time"},
        ZoneCase{"Canada Central Standard Time", "America/Regina", "Canada Central Standard Time"},
        ZoneCase{"SA Pacific Standard Time", "America/Bogota", "SA Pacific Standard Time"},
        ZoneCase{"Central Standard Time (Mexico)", "America/Mexico_City",
                 "Central Standard Time (Mexico)"},
        // The cities of a zone's description.
        ZoneCase{"(UTC+01:00) Amsterdam, Berlin, Bern, Rom, Stockholm, Wien", "Europe/Berlin",
                 "Amsterdam, Berlin, Bern"},
        ZoneCase{"(UTC+01:00) Bruxelles, Copenhague, Madrid, Paris", "Europe/Paris",
                 "Madrid, Paris"},
        ZoneCase{"(UTC) Dublin, \xC3\x89"
                 "dimbourg, Lisbonne, Londres",
                 "Europe/London",
                 "Dublin, \xC3\x89"
                 "dimbourg"},
        ZoneCase{"(UTC-05:00) Eastern Time (US & Canada)", "America/New_York",
                 "Eastern Time (US & Canada)"},
        ZoneCase{"(UTC-08:00) Pacifique (\xC3\x89tats-Unis et Canada)", "America/Los_Angeles",
                 "Pacifique (\xC3\x89tats-Unis et Canada)"},
        // Nothing, or a name run into another word.
        ZoneCase{"Temperature (UTC+01:00)", std::nullopt},
        ZoneCase{"XEastern Standard Time", std::nullopt},
        ZoneCase{"Eastern Standard Timer", std::nullopt}));

struct UnitCase {
    std::string title;
    WrittenUnit unit;
};

void PrintTo(const UnitCase &c, std::ostream *out) {
    *out << '"' << c.title << '"';
}

class Units : public ::testing::TestWithParam<UnitCase> {};

TEST_P(Units, named_in_a_title) {
    EXPECT_EQ(UnitNamed(GetParam().title), GetParam().unit) << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(
    vocabulary, Units,
    ::testing::Values(
        UnitCase{"Temp (*C)", WrittenUnit::Celsius}, UnitCase{"Temp [*F]", WrittenUnit::Fahrenheit},
        UnitCase{"Temp deg C", WrittenUnit::Celsius}, UnitCase{"Temp degC", WrittenUnit::Celsius},
        UnitCase{"Temp deg F", WrittenUnit::Fahrenheit},
        UnitCase{"Temp \xC3\x82\xC2\xB0"
                 "C",
                 WrittenUnit::Celsius}, // a degree sign read as Latin-1
        UnitCase{"Temp \xE2\x84\x83", WrittenUnit::Celsius},
        UnitCase{"\xC2\xB0K", WrittenUnit::Kelvin}, UnitCase{"(\xC2\xB0K)", WrittenUnit::Kelvin},
        UnitCase{"Temp (\xC2\xB0K)", WrittenUnit::Kelvin},
        UnitCase{"Temp [K]", WrittenUnit::Kelvin},
        UnitCase{"Temp \xC2\xB0"
                 "F",
                 WrittenUnit::Fahrenheit},
        UnitCase{"Temp \xC2\xB0 C", WrittenUnit::Celsius}, UnitCase{"Temp (*)", WrittenUnit::None},
        UnitCase{"Humidity %", WrittenUnit::None}, UnitCase{"Temp\xC2\xB0", WrittenUnit::None}));

struct SplitCase {
    char separator;
    std::string line;
    std::vector<std::string> fields;
};

void PrintTo(const SplitCase &c, std::ostream *out) {
    *out << '"' << c.line << '"';
}

class Fields : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Fields, split_at_the_separator) {
    const SplitCase &c = GetParam();
    FieldSplitter splitter(c.separator);
    const auto &fields = splitter.split(c.line);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), c.fields) << c.line;
    for (std::size_t wanted = 1; wanted <= c.fields.size(); ++wanted) {
        const auto &first = splitter.split(c.line, wanted);
        ASSERT_EQ(first.size(), wanted) << c.line;
        for (std::size_t k = 0; k < wanted; ++k)
            EXPECT_EQ(first[k], c.fields[k]) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    text, Fields,
    ::testing::Values(
        // Blanks: runs of spaces and TABs, none at either end.
        SplitCase{' ', "2024-01-05 08:00  12.5", {"2024-01-05", "08:00", "12.5"}},
        SplitCase{' ', "   1   2.5\t\t3  ", {"1", "2.5", "3"}},
        SplitCase{' ', "a \t b", {"a", "b"}},
        SplitCase{' ', "\"Temp (C)\"  \"a \"\"b\"\"\"  4", {"Temp (C)", "a \"b\"", "4"}},
        SplitCase{' ', "single", {"single"}}, SplitCase{' ', "", {""}}, SplitCase{' ', "   ", {""}},
        // A separator closing the line leaves an empty field.
        SplitCase{';', "a;b;c;", {"a", "b", "c", ""}},
        SplitCase{',', "a, b ,,c", {"a", "b", "", "c"}},
        SplitCase{'\t', "a\t b \t\tc", {"a", "b", "", "c"}}));

} // namespace
} // namespace pelk
