// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/zone_rules.h"

#include "climate/date_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelk {
namespace {

void PutBigEndian(std::string &bytes, std::int64_t value, int width) {
    for (int i = width - 1; i >= 0; --i)
        bytes += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

struct Transition {
    std::int64_t at;
    unsigned char type;
};

// A compiled zone file of version 1 (32-bit times) or 2 (the same again with 64-bit times).
std::string Tzif(char version, const std::vector<Transition> &changes,
                 const std::vector<int> &offsets) {
    auto block = [&](int width) {
        std::string bytes = "TZif";
        bytes += version;
        bytes += std::string(15, '\0');
        for (const std::size_t count : {std::size_t{0}, std::size_t{0}, std::size_t{0},
                                        changes.size(), offsets.size(), std::size_t{4}})
            PutBigEndian(bytes, static_cast<std::int64_t>(count), 4);
        for (const Transition &change : changes)
            PutBigEndian(bytes, change.at, width);
        for (const Transition &change : changes)
            bytes += static_cast<char>(change.type);
        for (const int offset : offsets) {
            PutBigEndian(bytes, offset, 4);
            bytes += '\0'; // not summer time
            bytes += '\0'; // its abbreviation's index
        }
        bytes += std::string("ABC", 4);
        return bytes;
    };
    std::string bytes = block(4);
    if (version != '\0')
        bytes += block(8) + "\n\n";
    return bytes;
}

std::int64_t Noon(int year, int month, int day) {
    return (DayNumberFromCivil(year, month, day) - DayNumberFromCivil(1970, 1, 1)) * 86400 + 43200;
}

TEST(zone_rules, each_day_takes_the_offset_in_force_at_its_noon) {
    // +1 h, then +2 h from 2020-03-29 01:00 UTC, then +1 h again from 2020-10-25 01:00 UTC.
    const std::int64_t spring = Noon(2020, 3, 29) - 11 * 3600;
    const std::int64_t autumn = Noon(2020, 10, 25) - 11 * 3600;
    for (const char version : {'\0', '2', '3'}) {
        const auto rules =
            ZoneRules::FromTzif(Tzif(version, {{spring, 1}, {autumn, 0}}, {3600, 7200}));
        ASSERT_TRUE(rules) << version;
        for (const auto &[year, month, day, offset] :
             std::vector<std::tuple<int, int, int, int>>{{1900, 1, 1, 3600},
                                                         {2020, 3, 28, 3600},
                                                         {2020, 3, 29, 7200},
                                                         {2020, 10, 24, 7200},
                                                         {2020, 10, 25, 3600},
                                                         {2100, 1, 1, 3600}})
            EXPECT_EQ(rules->offsetSecondsOn(DayNumberFromCivil(year, month, day)), offset)
                << year << '-' << month << '-' << day << " v" << version;
    }
}

TEST(zone_rules, other_bytes_and_paths_are_no_zone) {
    EXPECT_FALSE(ZoneRules::FromTzif(""));
    EXPECT_FALSE(ZoneRules::FromTzif("TZjf" + std::string(60, '\0')));
    std::string cut = Tzif('2', {{0, 1}}, {0, 3600});
    cut.resize(cut.size() - 12);
    EXPECT_FALSE(ZoneRules::FromTzif(cut));
    EXPECT_FALSE(ZoneRules::FromTzif(Tzif('\0', {{0, 2}}, {0, 3600}))); // a type it lacks
    for (const char *name : {"", "/etc/passwd", "../../etc/passwd", "No/Such_Zone"})
        EXPECT_FALSE(ZoneRules::Named(name)) << name;
}

TEST(zone_rules, the_systems_zones_follow_summer_time) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no compiled zone files";
#endif
    const auto berlin = ZoneRules::Named("Europe/Berlin");
    if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"))
        GTEST_SKIP() << "no compiled zone files on this system";
    ASSERT_TRUE(berlin); // where the system has them, they are read
    EXPECT_EQ(berlin->offsetSecondsOn(DayNumberFromCivil(2024, 1, 15)), 3600);
    EXPECT_EQ(berlin->offsetSecondsOn(DayNumberFromCivil(2024, 7, 15)), 7200);
    EXPECT_EQ(
        ZoneRules::Named("America/New_York")->offsetSecondsOn(DayNumberFromCivil(2024, 7, 15)),
        -4 * 3600);
}

} // namespace
} // namespace pelk
