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

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
}

bool IsWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (static_cast<unsigned char>(c) >= 0x80 && c != '\xC2' && c != '\xB0');
}

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
            if (next >= lower.size())
                continue;
            if (lower[next] == 'c')
                return WrittenUnit::Celsius;
            if (lower[next] == 'f')
                return WrittenUnit::Fahrenheit;
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
    constexpr std::array<std::pair<std::string_view, WrittenUnit>, 9> kBracketed = {{
        {"[c]", WrittenUnit::Celsius},
        {"(c)", WrittenUnit::Celsius},
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
            StatedOffset stated;
            if (p >= lower.size() || (lower[p] != '+' && lower[p] != '-')) {
                if (at + zone.size() < lower.size() && IsWordByte(lower[at + zone.size()]))
                    continue;
                stated.text = std::string(text.substr(at, zone.size()));
                return stated;
            }
            const int sign = lower[p] == '-' ? -1 : 1;
            std::size_t q = p + 1;
            int hours = 0;
            int digits = 0;
            while (q < lower.size() && lower[q] >= '0' && lower[q] <= '9' && digits < 2) {
                hours = hours * 10 + (lower[q] - '0');
                ++q;
                ++digits;
            }
            if (digits == 0 || hours > 14)
                continue;
            int minutes = 0;
            if (q + 2 < lower.size() && lower[q] == ':' && lower[q + 1] >= '0' &&
                lower[q + 1] <= '5' && lower[q + 2] >= '0' && lower[q + 2] <= '9') {
                minutes = (lower[q + 1] - '0') * 10 + (lower[q + 2] - '0');
                q += 3;
            }
            stated.seconds = sign * (hours * 3600 + minutes * 60);
            stated.text = std::string(text.substr(at, q - at));
            return stated;
        }
    }
    return std::nullopt;
}

} // namespace pelk
