// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/vocabulary.h"

#include <algorithm>
#include <array>

namespace pelk {
namespace {

constexpr std::array<std::string_view, 12> kTemperatureWords = {
    "temp",       "temperature", "temp\xC3\xA9rature",
    "temperatur", "temperatura", "temperaturen",
    "airtemp",    "airtc",       "airtf",
    "t1",         "tair",        "tempc"};
constexpr std::array<std::string_view, 7> kMinimumWords = {"min", "mini", "minimum", "low",
                                                           "lo",  "bas",  "tief"};
constexpr std::array<std::string_view, 8> kMaximumWords = {"max",  "maxi", "maximum", "hi",
                                                           "high", "haut", "hoch",    "top"};

bool Contains(std::span<const std::string_view> words, std::string_view word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// `text` in lower case, byte for byte: ASCII letters, and the accented Latin capitals of UTF-8
// ("É", "Ä"), whose second byte moves by 0x20.
std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const auto c = static_cast<unsigned char>(lower[i]);
        const bool accentedCapital =
            i > 0 && lower[i - 1] == '\xC3' && c >= 0x80 && c <= 0x9E && c != 0x97; // not "×"
        if ((c >= 'A' && c <= 'Z') || accentedCapital)
            lower[i] = static_cast<char>(c + 0x20);
    }
    return lower;
}

bool IsWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (static_cast<unsigned char>(c) >= 0x80 && c != '\xC2' && c != '\xB0');
}

// A sign and a digit at `p`: an offset is written there, well or not.
bool SignAndDigitAt(std::string_view text, std::size_t p) {
    return p + 1 < text.size() && (text[p] == '+' || text[p] == '-') && text[p + 1] >= '0' &&
           text[p + 1] <= '9';
}

// The farthest offsets any clock keeps from UTC, east and west.
constexpr int kMostEastSeconds = 14 * 3600;
constexpr int kMostWestSeconds = -12 * 3600;

// "+1", "-03", "+0100", "+05:30" at `p`: seconds east of UTC, `p` after it.
std::optional<int> SignedOffsetAt(std::string_view text, std::size_t &p) {
    const int sign = text[p] == '-' ? -1 : 1;
    std::size_t q = p + 1;
    int number = 0;
    int digits = 0;
    while (q < text.size() && text[q] >= '0' && text[q] <= '9') {
        number = number * 10 + (text[q] - '0');
        ++q;
        ++digits;
        if (digits > 4)
            return std::nullopt;
    }
    int hours = number;
    int minutes = 0;
    if (digits == 4) {
        hours = number / 100;
        minutes = number % 100;
    } else if (digits == 3) {
        return std::nullopt;
    } else if (q + 2 < text.size() && text[q] == ':' && text[q + 1] >= '0' && text[q + 1] <= '5' &&
               text[q + 2] >= '0' && text[q + 2] <= '9') {
        minutes = (text[q + 1] - '0') * 10 + (text[q + 2] - '0');
        q += 3;
    }
    const int seconds = sign * (hours * 3600 + minutes * 60);
    if (minutes > 59 || seconds > kMostEastSeconds || seconds < kMostWestSeconds)
        return std::nullopt;
    p = q;
    return seconds;
}

// Windows' names of its time zones, in English, German and French, and the cities of their
// descriptions, lower case, with the IANA zone each stands for. Where one name holds another
// ("AUS Eastern Standard Time"), the longer is meant.
struct ZoneName {
    std::string_view name;
    std::string_view zone;
};
// The formatter would split "\xC3\xA9" "dimbourg", two literals so that "d" ends no hex escape.
// clang-format off
constexpr ZoneName kZoneNames[] = {
    {"dateline standard time", "Etc/GMT+12"},
    {"hawaiian standard time", "Pacific/Honolulu"},
    {"alaskan standard time", "America/Anchorage"},
    {"alaskan daylight time", "America/Anchorage"},
    {"pacific standard time", "America/Los_Angeles"},
    {"pacific daylight time", "America/Los_Angeles"},
    {"pacific standard time (mexico)", "America/Tijuana"},
    {"us mountain standard time", "America/Phoenix"},
    {"mountain standard time", "America/Denver"},
    {"mountain daylight time", "America/Denver"},
    {"central america standard time", "America/Guatemala"},
    {"central standard time", "America/Chicago"},
    {"central daylight time", "America/Chicago"},
    {"central standard time (mexico)", "America/Mexico_City"},
    {"canada central standard time", "America/Regina"},
    {"sa pacific standard time", "America/Bogota"},
    {"eastern standard time", "America/New_York"},
    {"eastern daylight time", "America/New_York"},
    {"us eastern standard time", "America/Indiana/Indianapolis"},
    {"atlantic standard time", "America/Halifax"},
    {"atlantic daylight time", "America/Halifax"},
    {"sa western standard time", "America/La_Paz"},
    {"newfoundland standard time", "America/St_Johns"},
    {"e. south america standard time", "America/Sao_Paulo"},
    {"argentina standard time", "America/Argentina/Buenos_Aires"},
    {"greenwich standard time", "Atlantic/Reykjavik"},
    {"gmt standard time", "Europe/London"},
    {"gmt daylight time", "Europe/London"},
    {"morocco standard time", "Africa/Casablanca"},
    {"w. europe standard time", "Europe/Berlin"},
    {"w. europe daylight time", "Europe/Berlin"},
    {"central europe standard time", "Europe/Budapest"},
    {"central europe daylight time", "Europe/Budapest"},
    {"romance standard time", "Europe/Paris"},
    {"romance daylight time", "Europe/Paris"},
    {"central european standard time", "Europe/Warsaw"},
    {"central european daylight time", "Europe/Warsaw"},
    {"w. central africa standard time", "Africa/Lagos"},
    {"gtb standard time", "Europe/Bucharest"},
    {"fle standard time", "Europe/Kiev"},
    {"e. europe standard time", "Europe/Chisinau"},
    {"egypt standard time", "Africa/Cairo"},
    {"south africa standard time", "Africa/Johannesburg"},
    {"israel standard time", "Asia/Jerusalem"},
    {"turkey standard time", "Europe/Istanbul"},
    {"russian standard time", "Europe/Moscow"},
    {"arab standard time", "Asia/Riyadh"},
    {"arabian standard time", "Asia/Dubai"},
    {"iran standard time", "Asia/Tehran"},
    {"pakistan standard time", "Asia/Karachi"},
    {"india standard time", "Asia/Kolkata"},
    {"nepal standard time", "Asia/Kathmandu"},
    {"bangladesh standard time", "Asia/Dhaka"},
    {"se asia standard time", "Asia/Bangkok"},
    {"china standard time", "Asia/Shanghai"},
    {"singapore standard time", "Asia/Singapore"},
    {"taipei standard time", "Asia/Taipei"},
    {"w. australia standard time", "Australia/Perth"},
    {"tokyo standard time", "Asia/Tokyo"},
    {"korea standard time", "Asia/Seoul"},
    {"cen. australia standard time", "Australia/Adelaide"},
    {"aus central standard time", "Australia/Darwin"},
    {"e. australia standard time", "Australia/Brisbane"},
    {"aus eastern standard time", "Australia/Sydney"},
    {"aus eastern daylight time", "Australia/Sydney"},
    {"tasmania standard time", "Australia/Hobart"},
    {"new zealand standard time", "Pacific/Auckland"},
    {"new zealand daylight time", "Pacific/Auckland"},
    // German and French Windows
    {"westeurop\xC3\xA4ische normalzeit", "Europe/Berlin"},
    {"westeurop\xC3\xA4ische sommerzeit", "Europe/Berlin"},
    {"mitteleurop\xC3\xA4ische zeit", "Europe/Berlin"},
    {"mitteleurop\xC3\xA4ische sommerzeit", "Europe/Berlin"},
    {"romanische normalzeit", "Europe/Paris"},
    {"romanische sommerzeit", "Europe/Paris"},
    {"gmt normalzeit", "Europe/London"},
    {"gmt sommerzeit", "Europe/London"},
    {"europe de l'ouest", "Europe/Berlin"},
    {"europe centrale", "Europe/Budapest"},
    {"paris, madrid", "Europe/Paris"},
    // The places that describe a zone, common to its English, German and French descriptions
    {"amsterdam, berlin, bern", "Europe/Berlin"},
    {"madrid, paris", "Europe/Paris"},
    {"budapest, ljubljana", "Europe/Budapest"},
    {"sarajevo, skopje", "Europe/Warsaw"},
    {"dublin, edinburgh", "Europe/London"},
    {"dublin, \xC3\xA9" "dimbourg", "Europe/London"},
    {"eastern time (us & canada)", "America/New_York"},
    {"central time (us & canada)", "America/Chicago"},
    {"mountain time (us & canada)", "America/Denver"},
    {"pacific time (us & canada)", "America/Los_Angeles"},
    {"est (\xC3\xA9tats-unis et canada)", "America/New_York"},
    {"centre (\xC3\xA9tats-unis et canada)", "America/Chicago"},
    {"montagnes rocheuses (\xC3\xA9tats-unis et canada)", "America/Denver"},
    {"pacifique (\xC3\xA9tats-unis et canada)", "America/Los_Angeles"},
    {"osaka, sapporo, tokyo", "Asia/Tokyo"},
    {"beijing, chongqing", "Asia/Shanghai"},
    {"canberra, melbourne, sydney", "Australia/Sydney"},
};
// clang-format on

// The letter after a degree sign and the unit it names.
constexpr std::pair<char, WrittenUnit> kDegreeLetters[] = {
    {'c', WrittenUnit::Celsius}, {'f', WrittenUnit::Fahrenheit}, {'k', WrittenUnit::Kelvin}};

} // namespace

std::span<const std::string_view> TemperatureWords() {
    return kTemperatureWords;
}
std::span<const std::string_view> MinimumWords() {
    return kMinimumWords;
}
std::span<const std::string_view> MaximumWords() {
    return kMaximumWords;
}

std::vector<std::string> TitleWords(std::string_view title) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < title.size()) {
        while (i < title.size() && !IsWordByte(title[i]))
            ++i;
        const std::size_t start = i;
        while (i < title.size() && IsWordByte(title[i]))
            ++i;
        if (i > start)
            words.push_back(LowerCase(title.substr(start, i - start)));
    }
    return words;
}

bool NamesTemperature(std::string_view title) {
    for (const std::string &word : TitleWords(title))
        if (Contains(kTemperatureWords, word))
            return true;
    return UnitNamed(title) != WrittenUnit::None;
}

WrittenUnit UnitNamed(std::string_view title) {
    const std::string lower = LowerCase(title);
    // A degree sign, or what a wrong code page made of it ("∞C", "Â°C"), before C, F or K.
    for (const std::string_view degree : {"\xC2\xB0", "\xE2\x88\x9E", "\xC2\xBA"}) {
        for (std::size_t at = lower.find(degree); at != std::string::npos;
             at = lower.find(degree, at + 1)) {
            std::size_t next = at + degree.size();
            while (next < lower.size() && lower[next] == ' ')
                ++next;
            for (const auto &[letter, unit] : kDegreeLetters)
                if (next < lower.size() && lower[next] == letter)
                    return unit;
        }
    }
    if (lower.find("\xE2\x84\x83") != std::string::npos)
        return WrittenUnit::Celsius;
    if (lower.find("\xE2\x84\x89") != std::string::npos)
        return WrittenUnit::Fahrenheit;
    const std::vector<std::string> words = TitleWords(title);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string &word = words[i];
        const std::string next = i + 1 < words.size() ? words[i + 1] : "";
        if (word == "degc" || word == "celsius" || (word == "deg" && next == "c"))
            return WrittenUnit::Celsius;
        if (word == "degf" || word == "fahrenheit" || (word == "deg" && next == "f"))
            return WrittenUnit::Fahrenheit;
        if (word == "kelvin")
            return WrittenUnit::Kelvin;
    }
    // A unit alone, or in brackets: "C", "[C]", "(K)".
    constexpr std::array<std::pair<std::string_view, WrittenUnit>, 13> kBracketed = {{
        {"[c]", WrittenUnit::Celsius},
        {"(c)", WrittenUnit::Celsius},
        {"[*c]", WrittenUnit::Celsius}, // an asterisk for the degree sign
        {"(*c)", WrittenUnit::Celsius},
        {"[*f]", WrittenUnit::Fahrenheit},
        {"(*f)", WrittenUnit::Fahrenheit},
        {"[f]", WrittenUnit::Fahrenheit},
        {"(f)", WrittenUnit::Fahrenheit},
        {"[k]", WrittenUnit::Kelvin},
        {"(k)", WrittenUnit::Kelvin},
        {"c", WrittenUnit::Celsius},
        {"f", WrittenUnit::Fahrenheit},
        {"k", WrittenUnit::Kelvin},
    }};
    for (const auto &[text, unit] : kBracketed)
        if (text.size() == 1 ? lower == text : lower.find(text) != std::string::npos)
            return unit;
    return WrittenUnit::None;
}

Extreme ExtremeNamed(std::string_view title, std::string &rest) {
    Extreme extreme = Extreme::None;
    rest.clear();
    for (std::string &word : TitleWords(title)) {
        if (Contains(kMinimumWords, word)) {
            if (extreme == Extreme::None)
                extreme = Extreme::Minimum;
            continue;
        }
        if (Contains(kMaximumWords, word)) {
            if (extreme == Extreme::None)
                extreme = Extreme::Maximum;
            continue;
        }
        rest += word;
        rest += ' ';
    }
    return extreme;
}

std::optional<DateOrder> DateOrderNamed(std::string_view title) {
    // Three runs of letters, each of one letter repeated, between date separators.
    const std::string lower = LowerCase(title);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        std::array<char, 3> letters{};
        std::array<std::size_t, 3> lengths{};
        std::size_t p = i;
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            const char letter = p < lower.size() ? lower[p] : '\0';
            if (letter < 'a' || letter > 'z') {
                ok = false;
                break;
            }
            std::size_t start = p;
            while (p < lower.size() && lower[p] == letter)
                ++p;
            letters[k] = letter;
            lengths[k] = p - start;
            if (k < 2) {
                if (p >= lower.size() || (lower[p] != '/' && lower[p] != '-' && lower[p] != '.'))
                    ok = false;
                else
                    ++p;
            }
        }
        if (!ok || (i > 0 && lower[i - 1] >= 'a' && lower[i - 1] <= 'z'))
            continue;
        auto kind = [&](int k) {
            const char c = letters[k];
            if (c == 'y' || c == 'a' || (c == 'j' && lengths[k] == 4))
                return 'y';
            if (c == 'm')
                return 'm';
            if (c == 'd' || c == 't' || c == 'j')
                return 'd';
            return '?';
        };
        const std::string order{kind(0), kind(1), kind(2)};
        if (order == "dmy")
            return DateOrder::DayMonthYear;
        if (order == "mdy")
            return DateOrder::MonthDayYear;
        if (order == "ymd")
            return DateOrder::YearMonthDay;
    }
    return std::nullopt;
}

std::optional<StatedOffset> OffsetNamed(std::string_view text) {
    const std::string lower = LowerCase(text);
    for (const std::string_view zone : {"gmt", "utc"}) {
        for (std::size_t at = lower.find(zone); at != std::string::npos;
             at = lower.find(zone, at + 1)) {
            if (at > 0 && IsWordByte(lower[at - 1]))
                continue;
            std::size_t p = at + zone.size();
            while (p < lower.size() && lower[p] == ' ')
                ++p;
            if (SignAndDigitAt(lower, p)) {
                const auto seconds = SignedOffsetAt(lower, p);
                if (!seconds)
                    continue;
                return StatedOffset{*seconds, std::string(text.substr(at, p - at))};
            }
            if (at + zone.size() < lower.size() && IsWordByte(lower[at + zone.size()]))
                continue;
            return StatedOffset{0, std::string(text.substr(at, zone.size()))};
        }
    }
    return std::nullopt;
}

std::optional<NamedZone> ZoneNamed(std::string_view text) {
    const std::string lower = LowerCase(text);
    std::optional<NamedZone> longest;
    for (const auto &[name, zone] : kZoneNames) {
        if (longest && name.size() <= longest->text.size())
            continue;
        for (std::size_t at = lower.find(name); at != std::string::npos;
             at = lower.find(name, at + 1)) {
            const std::size_t end = at + name.size();
            if ((at > 0 && IsWordByte(lower[at - 1])) ||
                (end < lower.size() && IsWordByte(lower[end])))
                continue;
            longest = NamedZone{zone, std::string(text.substr(at, name.size()))};
            break;
        }
    }
    return longest;
}

} // namespace pelk
