// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Logger exports made up for the benchmarks: a header line, then one reading a fixed number of
/// minutes apart, month-first timestamps and values with a decimal point, lines ended by CR LF,
/// much as the loggers write them. The same seed gives the same bytes.
#pragma once

#include "climate/date_time.h"
#include "climate/tables.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace pelk::bench {

/// `readings` lines spread evenly over `days` days from 1 January 2008 00:00.
inline std::string MakeExport(std::int32_t readings, std::int32_t days) {
    std::string text = "Date\tTempérature (°C)\r\n";
    text.reserve(static_cast<std::size_t>(readings) * 26 + 32);
    const std::int64_t firstDay = DayNumberFromCivil(2008, 1, 1);
    const double minutesApart = static_cast<double>(days) * 1440.0 / readings;
    std::mt19937 random(2008);
    std::uniform_int_distribution<int> hundredths(-1500, 3500);
    char line[64];
    for (std::int32_t i = 0; i < readings; ++i) {
        const auto minute = static_cast<std::int64_t>(i * minutesApart);
        const CivilDateTime t = SplitDateTime(
            MakeDateTime(firstDay + minute / 1440, static_cast<int>(minute % 1440) * 60));
        const int value = hundredths(random);
        const int length = std::snprintf(
            line, sizeof line, "%02d/%02d/%04d %02d:%02d\t%s%d.%02d\r\n", t.month, t.day, t.year,
            t.hour, t.minute, value < 0 ? "-" : "", std::abs(value) / 100, std::abs(value) % 100);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

/// The data lines of an export, without their terminators.
inline std::vector<std::string_view> DataLines(const std::string &text) {
    std::vector<std::string_view> lines;
    std::size_t at = text.find("\r\n") + 2;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        lines.emplace_back(text.data() + at, end - at);
        at = end + 2;
    }
    return lines;
}

/// The readings of MakeExport(readings, days), straight into a table.
inline std::vector<Measurement> MakeReadings(std::int32_t readings, std::int32_t days) {
    std::vector<Measurement> table;
    table.reserve(static_cast<std::size_t>(readings));
    const std::int64_t firstDay = DayNumberFromCivil(2008, 1, 1);
    const double minutesApart = static_cast<double>(days) * 1440.0 / readings;
    std::mt19937 random(2008);
    std::uniform_int_distribution<int> hundredths(-1500, 3500);
    for (std::int32_t i = 0; i < readings; ++i) {
        const auto minute = static_cast<std::int64_t>(i * minutesApart);
        table.push_back(
            {MakeDateTime(firstDay + minute / 1440, static_cast<int>(minute % 1440) * 60),
             static_cast<float>(hundredths(random)) / 100.0f});
    }
    return table;
}

} // namespace pelk::bench
