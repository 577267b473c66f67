// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/export_parser.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace pelk {
namespace {

// Characters `start` (1-based) onwards, at most `length` of them; none past the end.
std::string Mid(const std::string &text, std::size_t start, std::size_t length) {
    return start > text.size() ? std::string() : text.substr(start - 1, length);
}

// A piece of exactly two characters, padded on the right with blanks.
std::string TwoCharacterPiece(std::string piece) {
    piece.resize(2, ' ');
    return piece;
}

std::vector<std::string> SplitAtTabs(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool Store(ProgramTables &tables, std::int32_t &nextMeasurementIndex, std::string_view dateText,
           std::string_view meridiemTail, std::string_view rawTimestampField,
           std::string_view valueText, char otherSeparator) {
    if (!MeasurementTableType::contains(nextMeasurementIndex))
        return false;
    std::optional<DateTime> timestamp = ParseDateText(dateText);
    if (timestamp)
        timestamp = ApplyMeridiem(*timestamp, meridiemTail);
    else
        timestamp = ParseOtherTimestampShape(rawTimestampField);
    if (!timestamp)
        return false;
    Measurement &entry = tables.MeasurementTable.at(nextMeasurementIndex);
    entry.Timestamp = *timestamp;
    const auto value = ParseSingle(valueText, tables.LocaleDecimalSeparator, otherSeparator);
    if (!value)
        return false;
    entry.Value = *value;
    ++nextMeasurementIndex;
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int TwoDigits(const char *p) {
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// The timestamp as nearly every logger line writes it: "MM/DD/YYYY hh:mm" in its first 16
// characters, then anything. The month's separator p[2] may be any character but a TAB (the
// rebuilt date text never copies it), so such a field runs at least to position 16.
bool HasCanonicalShape(std::string_view field) {
    if (field.size() < 16)
        return false;
    const char *p = field.data();
    for (const int i : {0, 1, 3, 4, 6, 7, 8, 9, 11, 12, 14, 15})
        if (!IsDigit(p[i]))
            return false;
    return p[5] == '/' && p[10] == ' ' && p[13] == ':' && p[2] != '\t';
}

// A field of canonical shape read in one go. Empty when the date or time does not exist, which
// the general way then refuses: the result, when there is one, is the one that the date parser
// gives for the rebuilt date text.
std::optional<DateTime> CanonicalTimestamp(std::string_view field, ExportLineMemory &memory) {
    const char *p = field.data();
    const int month = TwoDigits(p);
    const int day = TwoDigits(p + 3);
    const int year = TwoDigits(p + 6) * 100 + TwoDigits(p + 8);
    const int hour = TwoDigits(p + 11);
    const int minute = TwoDigits(p + 14);
    if (hour > 23 || minute > 59)
        return std::nullopt;
    if (year != memory.year || month != memory.month || day != memory.day) {
        if (year < 1 || !IsValidCivilDate(year, month, day))
            return std::nullopt;
        memory = {year, month, day, DayNumberFromCivil(year, month, day)};
    }
    return MakeDateTime(memory.dayNumber, hour * 3600 + minute * 60);
}

// A value of an optional "-", at most 7 digits in all and at most one decimal separator: the
// quotient of two numbers that a single holds exactly, which one division rounds just as the
// number parser rounds the decimal text. Empty for anything else, which the number parser
// then decides.
std::optional<float> ShortDecimal(std::string_view text, char separator, char otherSeparator) {
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
    const char *p = text.data();
    const char *const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    std::uint32_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool separatorSeen = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (IsDigit(c)) {
            if (++digits > 7)
                return std::nullopt;
            mantissa = mantissa * 10 + static_cast<std::uint32_t>(c - '0');
            fractionDigits += separatorSeen ? 1 : 0;
        } else if (!separatorSeen && (c == separator || c == otherSeparator)) {
            separatorSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    const float magnitude = static_cast<float>(mantissa) / kPowersOfTen[fractionDigits];
    return negative ? -magnitude : magnitude;
}

} // namespace

std::string NormalizeSeparators(std::string_view line, char localeSeparator,
                                char alternateSeparator) {
    std::string normalized(line);
    std::replace(normalized.begin(), normalized.end(), alternateSeparator, localeSeparator);
    return normalized;
}

LineOutcome ParseExportLine(std::string &line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables) {
    const std::string raw = line; // other timestamp shapes are read before normalising
    line =
        NormalizeSeparators(line, tables.LocaleDecimalSeparator, tables.AlternateDecimalSeparator);
    const std::vector<std::string> fields = SplitAtTabs(line);
    const std::string &timestampField = fields[0];
    if (timestampField.empty())
        return LineOutcome::Skipped;

    const std::string dateText = TwoCharacterPiece(Mid(timestampField, 4, 2)) + "/" +
                                 TwoCharacterPiece(Mid(timestampField, 1, 2)) +
                                 Mid(timestampField, 6, 11);
    if (fields.size() < 2)
        return LineOutcome::Malformed;
    const auto valueField = static_cast<std::size_t>(tables.ValueField);
    const std::string_view valueText =
        valueField <= fields.size() ? TrimBlanks(fields[valueField - 1]) : std::string_view();
    return Store(tables, nextMeasurementIndex, dateText, Mid(timestampField, 17, std::string::npos),
                 std::string_view(raw).substr(0, timestampField.size()), valueText,
                 tables.LocaleDecimalSeparator)
               ? LineOutcome::Stored
               : LineOutcome::Malformed;
}

LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables) {
    ExportLineMemory memory;
    return StoreExportLine(line, nextMeasurementIndex, tables, memory);
}

DateTime ApplyMeridiem(DateTime timestamp, std::string_view tail) {
    bool morning = false;
    bool afternoon = false;
    for (std::size_t i = 0; i + 1 < tail.size(); ++i) {
        const char first = static_cast<char>(tail[i] | 0x20); // ASCII letters to lower case
        if ((tail[i + 1] | 0x20) != 'm')
            continue;
        morning = morning || first == 'a';
        afternoon = afternoon || first == 'p';
    }
    if (morning == afternoon) // neither, or a text that holds both
        return timestamp;
    const std::int64_t day = CalendarDay(timestamp);
    auto seconds =
        static_cast<int>(std::llround((timestamp - static_cast<double>(day)) * kSecondsPerDay));
    const int hour = seconds / 3600;
    if (hour < 1 || hour > 12)
        return timestamp;
    if (afternoon && hour != 12)
        seconds += 12 * 3600;
    if (morning && hour == 12)
        seconds -= 12 * 3600;
    return MakeDateTime(day, seconds);
}

std::optional<DateTime> ParseOtherTimestampShape(std::string_view field) {
    std::size_t at = 0;
    auto peek = [&] { return at < field.size() ? field[at] : '\0'; };
    // Between `least` and `most` digits, and no digit right after them.
    auto number = [&](std::size_t least, std::size_t most, int &value) {
        std::size_t count = 0;
        for (value = 0; count < most && IsDigit(peek()); ++at, ++count)
            value = value * 10 + (field[at] - '0');
        return count >= least && !IsDigit(peek());
    };
    auto oneOf = [&](std::string_view characters) {
        const bool found = peek() != '\0' && characters.find(peek()) != std::string_view::npos;
        at += found ? 1 : 0;
        return found;
    };
    auto blanks = [&] {
        const std::size_t start = at;
        while (peek() == ' ')
            ++at;
        return at > start;
    };

    int month = 0, day = 0, year = 0;
    if (!number(1, 2, month) || !oneOf("/-.") || !number(1, 2, day) || !oneOf("/-.") ||
        !number(4, 4, year) || year < 1 || !IsValidCivilDate(year, month, day))
        return std::nullopt;
    int hour = 0, minute = 0;
    std::size_t timeEnd = at;
    if (blanks() && at < field.size()) {
        if (!number(1, 2, hour) || !oneOf(":") || !number(2, 2, minute) || hour > 23 || minute > 59)
            return std::nullopt;
        if (int second = 0; oneOf(":")) {
            if (!number(2, 2, second) || second > 59)
                return std::nullopt;
            if (oneOf(".,")) {
                const std::size_t fractionStart = at;
                while (IsDigit(peek()))
                    ++at;
                if (at == fractionStart)
                    return std::nullopt;
            }
        }
        timeEnd = at;
        blanks();
        if ((peek() | 0x20) == 'a' || (peek() | 0x20) == 'p') {
            ++at;
            if ((peek() | 0x20) != 'm')
                return std::nullopt;
            ++at;
            blanks();
        }
    }
    if (at != field.size())
        return std::nullopt;
    const DateTime timestamp =
        MakeDateTime(DayNumberFromCivil(year, month, day), hour * 3600 + minute * 60);
    return ApplyMeridiem(timestamp, field.substr(timeEnd));
}

LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables, ExportLineMemory &memory) {
    Measurement reading;
    LineFault fault = LineFault::None;
    const LineOutcome outcome =
        ReadExportLine(line, tables.LocaleDecimalSeparator, tables.AlternateDecimalSeparator,
                       tables.ValueField, memory, reading, fault);
    if (outcome != LineOutcome::Stored)
        return outcome;
    if (!MeasurementTableType::contains(nextMeasurementIndex))
        return LineOutcome::Malformed;
    tables.MeasurementTable.at(nextMeasurementIndex) = reading;
    ++nextMeasurementIndex;
    return LineOutcome::Stored;
}

LineOutcome ReadExportLine(std::string_view line, char locale, char alternate,
                           std::int32_t valueFieldNumber, ExportLineMemory &memory,
                           Measurement &reading, LineFault &fault) {
    // With the usual separators no byte that normalising changes is a TAB, a blank or part of a
    // canonical timestamp, so the raw bytes can be searched and read as they are.
    const bool usualSeparators = (locale == ',' || locale == '.') &&
                                 (alternate == ',' || alternate == '.' || alternate == 0);
    auto normalized = [&](char c) { return c == alternate ? locale : c; };
    auto findTab = [&](std::string_view text) {
        std::size_t i = 0;
        if (usualSeparators) {
            while (i < text.size() && text[i] != '\t')
                ++i;
        } else {
            while (i < text.size() && normalized(text[i]) != '\t')
                ++i;
        }
        return i;
    };

    // Nearly every line: a canonical timestamp of exactly 16 characters, then a TAB.
    const bool canonicalField =
        usualSeparators && line.size() > 16 && line[16] == '\t' && HasCanonicalShape(line);
    const std::size_t firstTab = canonicalField ? 16 : findTab(line);
    const std::string_view timestampField = line.substr(0, firstTab);
    if (timestampField.empty())
        return LineOutcome::Skipped;
    auto refuse = [&](LineFault why) {
        fault = why;
        return LineOutcome::Malformed;
    };
    if (firstTab == line.size())
        return refuse(LineFault::NoTab);
    std::string_view rest = line.substr(firstTab + 1);
    for (std::int32_t field = 2; field < valueFieldNumber; ++field) {
        const std::size_t tab = findTab(rest);
        rest = tab == rest.size() ? std::string_view() : rest.substr(tab + 1);
    }
    std::string_view valueField = rest.substr(0, findTab(rest));
    while (!valueField.empty() && normalized(valueField.front()) == ' ')
        valueField.remove_prefix(1);
    while (!valueField.empty() && normalized(valueField.back()) == ' ')
        valueField.remove_suffix(1);

    std::optional<DateTime> timestamp;
    if (canonicalField || (usualSeparators && HasCanonicalShape(timestampField)))
        timestamp = CanonicalTimestamp(timestampField, memory);
    if (!timestamp) {
        // Day piece (characters 4-5), "/", month piece (1-2), then characters 6-16.
        std::array<char, 16> dateText{};
        std::size_t length = 0;
        auto charAt = [&](std::size_t position) {
            return position <= timestampField.size() ? normalized(timestampField[position - 1])
                                                     : ' ';
        };
        dateText[length++] = charAt(4);
        dateText[length++] = charAt(5);
        dateText[length++] = '/';
        dateText[length++] = charAt(1);
        dateText[length++] = charAt(2);
        for (std::size_t position = 6; position <= std::min<std::size_t>(16, timestampField.size());
             ++position)
            dateText[length++] = charAt(position);
        timestamp = ParseDateText(std::string_view(dateText.data(), length));
        if (timestamp && timestampField.size() > 16)
            timestamp = ApplyMeridiem(*timestamp, timestampField.substr(16));
        if (!timestamp) // off the fast path: lines that load by position never come here
            timestamp = ParseOtherTimestampShape(timestampField);
        if (!timestamp)
            return refuse(LineFault::NotADate);
    } else if (timestampField.size() > 16) {
        timestamp = ApplyMeridiem(*timestamp, timestampField.substr(16));
    }
    std::optional<float> value;
    if (usualSeparators)
        value = ShortDecimal(valueField, locale, alternate);
    if (!value)
        value = ParseSingle(valueField, locale, alternate);
    if (!value)
        return refuse(LineFault::NotANumber);
    reading = {*timestamp, *value};
    return LineOutcome::Stored;
}

} // namespace pelk
