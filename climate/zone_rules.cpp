// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/zone_rules.h"

#include "climate/date_time.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace pelk {
namespace {

constexpr std::size_t kHeaderBytes = 44;

std::int64_t BigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    if (width < 8 && (value >> (8 * width - 1)) != 0)
        value |= ~std::uint64_t{0} << (8 * width); // the sign of a narrower number
    return static_cast<std::int64_t>(value);
}

struct Counts {
    std::size_t isUtc, isStd, leaps, times, types, chars;
    std::size_t dataBytes(std::size_t timeWidth) const {
        return times * timeWidth + times + types * 6 + chars + leaps * (timeWidth + 4) + isStd +
               isUtc;
    }
};

std::optional<Counts> CountsAt(std::string_view bytes, std::size_t at) {
    if (bytes.size() < at + kHeaderBytes || bytes.substr(at, 4) != "TZif")
        return std::nullopt;
    auto count = [&](std::size_t k) {
        return static_cast<std::size_t>(BigEndian(bytes, at + 20 + 4 * k, 4));
    };
    return Counts{count(0), count(1), count(2), count(3), count(4), count(5)};
}

} // namespace

std::optional<ZoneRules> ZoneRules::FromTzif(std::string_view bytes) {
    auto counts = CountsAt(bytes, 0);
    if (!counts)
        return std::nullopt;
    std::size_t data = kHeaderBytes;
    std::size_t timeWidth = 4;
    // Version 2 and later repeat the data with 64-bit times, which reach past 2038.
    if (bytes[4] >= '2') {
        const std::size_t second = kHeaderBytes + counts->dataBytes(4);
        counts = CountsAt(bytes, second);
        if (!counts)
            return std::nullopt;
        data = second + kHeaderBytes;
        timeWidth = 8;
    }
    if (counts->types == 0 || bytes.size() < data + counts->dataBytes(timeWidth))
        return std::nullopt;
    const std::size_t kinds = data + counts->times * timeWidth;
    const std::size_t infos = kinds + counts->times;
    auto offsetOfType = [&](std::size_t type) {
        return static_cast<int>(BigEndian(bytes, infos + 6 * type, 4));
    };
    ZoneRules rules;
    rules.changes_.push_back({std::numeric_limits<std::int64_t>::min(), offsetOfType(0)});
    for (std::size_t i = 0; i < counts->times; ++i) {
        const auto type = static_cast<unsigned char>(bytes[kinds + i]);
        if (type >= counts->types)
            return std::nullopt;
        rules.changes_.push_back(
            {BigEndian(bytes, data + i * timeWidth, timeWidth), offsetOfType(type)});
    }
    return rules;
}

std::optional<ZoneRules> ZoneRules::Named(std::string_view name) {
#ifdef _WIN32
    (void)name;
    return std::nullopt; // no compiled zone files there
#else
    // Only names of the database's own shape, never a path of the user's.
    if (name.empty() || name.find("..") != std::string_view::npos || name.front() == '/')
        return std::nullopt;
    std::ifstream in("/usr/share/zoneinfo/" + std::string(name), std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return FromTzif(bytes);
#endif
}

int ZoneRules::offsetSecondsOn(std::int64_t dayNumber) const {
    const std::int64_t noon =
        (dayNumber - DayNumberFromCivil(1970, 1, 1)) * kSecondsPerDay + kSecondsPerDay / 2;
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), noon,
                                        [](std::int64_t t, const Change &c) { return t < c.at; });
    return std::prev(after)->offsetSeconds; // the first change is before all time
}

} // namespace pelk
