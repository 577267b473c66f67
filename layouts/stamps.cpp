// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/stamps.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>

namespace pelk {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 to `maxDigits` digits at `p`; the count read in `digits`.
std::optional<int> Digits(std::string_view text, std::size_t &p, int maxDigits, int &digits) {
    int value = 0;
    digits = 0;
    while (p < text.size() && IsDigit(text[p]) && digits < maxDigits) {
        value = value * 10 + (text[p] - '0');
        ++p;
        ++digits;
    }
    if (digits == 0 || (p < text.size() && IsDigit(text[p])))
        return std::nullopt;
    return value;
}

void SkipBlanks(std::string_view text, std::size_t &p) {
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
        ++p;
}

// Whether `text` is `lower` in any case, accented Latin capitals in UTF-8 too ("É" as "é").
bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        const bool accentedCapital =
            i > 0 && text[i - 1] == '\xC3' && c >= 0x80 && c <= 0x9E && c != 0x97; // not "×"
        if ((c >= 'A' && c <= 'Z') || accentedCapital)
            c = static_cast<unsigned char>(c + 0x20);
        if (c != static_cast<unsigned char>(lower[i]))
            return false;
    }
    return true;
}

// "h:mm[:ss[.fff]] [AM|PM]" from `p`; seconds of the day, `p` after it.
// "hh:mm" at `p` as most loggers write it, two digits each, read at once; nothing for any other
// shape, which the general reading takes.
std::optional<std::pair<int, int>> TwoDigitHourAndMinute(std::string_view text, std::size_t p) {
    if (p + 5 > text.size() || !IsDigit(text[p]) || !IsDigit(text[p + 1]) || text[p + 2] != ':' ||
        !IsDigit(text[p + 3]) || !IsDigit(text[p + 4]) ||
        (p + 5 < text.size() && IsDigit(text[p + 5])))
        return std::nullopt;
    return std::pair{(text[p] - '0') * 10 + (text[p + 1] - '0'),
                     (text[p + 3] - '0') * 10 + (text[p + 4] - '0')};
}

std::optional<int> TimeAt(std::string_view text, std::size_t &p) {
    int digits = 0;
    std::optional<int> hour;
    std::optional<int> minute;
    if (const auto fast = TwoDigitHourAndMinute(text, p)) {
        hour = fast->first;
        minute = fast->second;
        p += 5;
    } else {
        hour = Digits(text, p, 2, digits);
        if (!hour || p >= text.size() || text[p] != ':')
            return std::nullopt;
        ++p;
        minute = Digits(text, p, 2, digits);
        if (!minute || digits != 2)
            return std::nullopt;
    }
    int second = 0;
    if (p < text.size() && text[p] == ':') {
        ++p;
        if (p + 2 <= text.size() && IsDigit(text[p]) && IsDigit(text[p + 1]) &&
            (p + 2 == text.size() || !IsDigit(text[p + 2]))) {
            second = (text[p] - '0') * 10 + (text[p + 1] - '0');
            p += 2;
        } else {
            return std::nullopt; // seconds are two digits
        }
        if (p + 1 < text.size() && (text[p] == '.' || text[p] == ',') && IsDigit(text[p + 1])) {
            ++p;
            while (p < text.size() && IsDigit(text[p]))
                ++p; // a fraction of a second is dropped
        }
    }
    int h = *hour;
    std::size_t q = p;
    SkipBlanks(text, q);
    if (q + 2 <= text.size()) {
        const std::string_view mark = text.substr(q, 2);
        const bool am = EqualsIgnoringCase(mark, "am");
        const bool pm = EqualsIgnoringCase(mark, "pm");
        if ((am || pm) &&
            (q + 2 == text.size() || !std::isalpha(static_cast<unsigned char>(text[q + 2])))) {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12 + (pm ? 12 : 0);
            p = q + 2;
        }
    }
    if (h > 23 || *minute > 59 || second > 59)
        return std::nullopt;
    return h * 3600 + *minute * 60 + second;
}

// "Z", "+01:00", "+0100", "-04" from `p`.
std::optional<int> OffsetAt(std::string_view text, std::size_t &p) {
    if (p < text.size() && (text[p] == 'Z' || text[p] == 'z')) {
        ++p;
        return 0;
    }
    if (p >= text.size() || (text[p] != '+' && text[p] != '-'))
        return std::nullopt;
    const int sign = text[p] == '-' ? -1 : 1;
    ++p;
    int digits = 0;
    std::size_t start = p;
    auto hours = Digits(text, p, 4, digits);
    if (!hours)
        return std::nullopt;
    int minutes = 0;
    if (digits == 4) {
        minutes = *hours % 100;
        hours = *hours / 100;
    } else if (digits == 2 && p < text.size() && text[p] == ':') {
        ++p;
        const auto m = Digits(text, p, 2, digits);
        if (!m || digits != 2)
            return std::nullopt;
        minutes = *m;
    } else if (digits != 2 && digits != 1) {
        p = start;
        return std::nullopt;
    }
    if (*hours > 14 || minutes > 59)
        return std::nullopt;
    return sign * (*hours * 3600 + minutes * 60);
}

bool IsDateSeparator(char c) {
    return c == '/' || c == '-' || c == '.';
}

// A byte of a word: an ASCII letter or any byte of a UTF-8 letter ("ä" is two).
bool IsLetterByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The names of the months in English, French and German, whole and cut short, lower case and
// without the dot of an abbreviation: the month's number, then its words.
struct MonthWords {
    int month;
    std::array<std::string_view, 9> words; // empty past the last
};
// The formatter would split "d\xC3\xA9" "cembre", two literals so that "c" ends no hex escape.
// clang-format off
constexpr MonthWords kMonthWords[] = {
    {1, {"january", "jan", "janvier", "janv", "januar", "j\xC3\xA4nner"}},
    {2, {"february", "feb", "f\xC3\xA9vrier", "fevrier", "f\xC3\xA9vr", "fevr", "f\xC3\xA9v", "fev",
         "februar"}},
    {3, {"march", "mar", "mars", "m\xC3\xA4rz", "maerz", "mrz", "m\xC3\xA4r"}},
    {4, {"april", "apr", "avril", "avr"}},
    {5, {"may", "mai"}},
    {6, {"june", "jun", "juin", "juni"}},
    {7, {"july", "jul", "juillet", "juil", "juli"}},
    {8, {"august", "aug", "ao\xC3\xBBt", "aout"}},
    {9, {"september", "sep", "sept", "septembre"}},
    {10, {"october", "oct", "octobre", "oktober", "okt"}},
    {11, {"november", "nov", "novembre"}},
    {12, {"december", "dec", "d\xC3\xA9" "cembre", "decembre", "d\xC3\xA9" "c", "dezember",
          "dez"}},
};
// clang-format on

// The number of the month named by the word at `p`, `p` after the word.
std::optional<int> MonthWordAt(std::string_view text, std::size_t &p) {
    std::size_t end = p;
    while (end < text.size() && IsLetterByte(text[end]))
        ++end;
    const std::string_view word = text.substr(p, end - p);
    for (const MonthWords &month : kMonthWords) {
        for (const std::string_view name : month.words) {
            if (!name.empty() && EqualsIgnoringCase(word, name)) {
                p = end;
                return month.month;
            }
        }
    }
    return std::nullopt;
}

// The separator after a date piece at `p`: "/", "-" or "."; blanks, alone or after it, which
// only a date with a month word may have ("5 juin 2024", "5. März 2024"); a month word's dot
// alone or before another separator ("21.Nov.2025", "21-nov.-2025").
bool SeparatorAfterPiece(std::string_view text, std::size_t &p, bool afterWord, bool &blanks) {
    const std::size_t start = p;
    if (afterWord && p < text.size() && text[p] == '.')
        ++p;
    if (p < text.size() && IsDateSeparator(text[p]))
        ++p;
    const std::size_t blanksStart = p;
    while (p < text.size() && text[p] == ' ')
        ++p;
    blanks = blanks || p != blanksStart;
    return p != start;
}

// Three date pieces from `p`, `p` after them: digits, or a month's name as the first or second.
std::optional<DatePieces> DateAt(std::string_view text, std::size_t &p) {
    constexpr int kMostDigits[3] = {4, 2, 4};
    int values[3] = {};
    int digits[3] = {};
    int monthWordAt = 0;
    bool blanks = false;
    for (int k = 0; k < 3; ++k) {
        if (k > 0 && !SeparatorAfterPiece(text, p, monthWordAt == k, blanks))
            return std::nullopt;
        if (k < 2 && monthWordAt == 0 && p < text.size() && IsLetterByte(text[p])) {
            const auto month = MonthWordAt(text, p);
            if (!month)
                return std::nullopt;
            values[k] = *month;
            monthWordAt = k + 1;
            continue;
        }
        const auto value = Digits(text, p, kMostDigits[k], digits[k]);
        if (!value)
            return std::nullopt;
        values[k] = *value;
    }
    if (digits[0] == 3 || digits[2] == 3 || (blanks && monthWordAt == 0))
        return std::nullopt;
    return DatePieces{values[0], values[1], values[2], digits[0], digits[2], monthWordAt};
}

// "00:00:00 21/Nov/2025": a time of day, blanks and a date, nothing after.
std::optional<StampPieces> TimeThenDate(std::string_view field) {
    std::size_t p = 0;
    const auto time = TimeAt(field, p);
    if (!time)
        return std::nullopt;
    const std::size_t timeEnd = p;
    SkipBlanks(field, p);
    if (p == timeEnd)
        return std::nullopt;
    const auto date = DateAt(field, p);
    SkipBlanks(field, p);
    if (!date || p != field.size())
        return std::nullopt;
    StampPieces stamp;
    stamp.date = *date;
    stamp.secondsOfDay = *time;
    return stamp;
}

// Which piece, 0 to 2, holds the year, the month and the day in each order.
struct PiecePlaces {
    DateOrder order;
    int year;
    int month;
    int day;
};
constexpr PiecePlaces kPiecePlaces[] = {
    {DateOrder::DayMonthYear, 2, 1, 0},
    {DateOrder::MonthDayYear, 2, 0, 1},
    {DateOrder::YearMonthDay, 0, 1, 2},
};

const PiecePlaces &PlacesOf(DateOrder order) {
    for (const PiecePlaces &places : kPiecePlaces)
        if (places.order == order)
            return places;
    return kPiecePlaces[0];
}

int PieceAt(const DatePieces &pieces, int place) {
    const int values[3] = {pieces.first, pieces.second, pieces.third};
    return values[place];
}

} // namespace

std::optional<StampPieces> ParseStampPieces(std::string_view field) {
    std::size_t p = 0;
    if (const auto date = DateAt(field, p))
        return ParseStampAfterDate(field, *date, p);
    return TimeThenDate(field);
}

std::optional<StampPieces> ParseStampAfterDate(std::string_view field, const DatePieces &date,
                                               std::size_t dateLength) {
    StampPieces stamp;
    stamp.date = date;
    stamp.dateLength = dateLength;
    std::size_t p = dateLength;
    if (p < field.size() &&
        (field[p] == 'T' || field[p] == ',' || field[p] == ' ' || field[p] == '\t')) {
        std::size_t q = p + 1;
        SkipBlanks(field, q);
        if (q < field.size()) {
            const auto time = TimeAt(field, q);
            if (!time)
                return std::nullopt;
            stamp.secondsOfDay = *time;
            p = q;
            std::size_t r = p;
            SkipBlanks(field, r);
            if (const auto offset = OffsetAt(field, r)) {
                stamp.offsetSeconds = offset;
                p = r;
            }
        }
    }
    SkipBlanks(field, p);
    if (p != field.size())
        return std::nullopt;
    return stamp;
}

std::optional<int> ParseTimeOfDay(std::string_view field) {
    std::size_t p = 0;
    const auto time = TimeAt(field, p);
    SkipBlanks(field, p);
    if (!time || p != field.size())
        return std::nullopt;
    return time;
}

std::optional<std::int64_t> ParseUnixSeconds(std::string_view field) {
    if (field.size() < 9 || field.size() > 10)
        return std::nullopt;
    std::int64_t seconds = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), seconds);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    constexpr std::int64_t k1980 = 315'532'800;
    constexpr std::int64_t k2100 = 4'102'444'800;
    if (seconds < k1980 || seconds >= k2100)
        return std::nullopt;
    return seconds;
}

std::optional<int> ParseSmallWholeNumber(std::string_view field) {
    std::size_t p = 0;
    int digits = 0;
    const auto value = Digits(field, p, 4, digits);
    if (!value || p != field.size())
        return std::nullopt;
    return value;
}

std::optional<int> YearPieceOf(const DatePieces &pieces, DateOrder order) {
    const PiecePlaces &places = PlacesOf(order);
    if (pieces.monthWordAt != 0 && pieces.monthWordAt != places.month + 1)
        return std::nullopt;
    // A year stands first or last; the piece at the other end is a day or a month.
    const bool yearFirst = places.year == 0;
    const int digits = yearFirst ? pieces.firstDigits : pieces.thirdDigits;
    const int otherDigits = yearFirst ? pieces.thirdDigits : pieces.firstDigits;
    if (otherDigits > 2 || (digits != 2 && digits != 4))
        return std::nullopt;
    return PieceAt(pieces, places.year);
}

std::optional<std::int64_t> DayNumberOf(const DatePieces &pieces, DateOrder order,
                                        int twoDigitYearBase) {
    auto year = YearPieceOf(pieces, order);
    if (!year)
        return std::nullopt;
    const PiecePlaces &places = PlacesOf(order);
    const int month = PieceAt(pieces, places.month);
    const int day = PieceAt(pieces, places.day);
    if (*year < 100) {
        const int base = twoDigitYearBase;
        *year = base + ((*year - base % 100) % 100 + 100) % 100;
    }
    if (!IsValidCivilDate(*year, month, day))
        return std::nullopt;
    return DayNumberFromCivil(*year, month, day);
}

ValueText ParseValueText(std::string_view field) {
    ValueText value;
    std::size_t p = 0;
    SkipBlanks(field, p);
    const std::string_view text = field.substr(p);
    if (text.empty() || EqualsIgnoringCase(text, "nan") || text == "---" || text == "--") {
        value.empty = true;
        return value;
    }
    // The number: sign, digits, one decimal separator, digits.
    std::size_t i = 0;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-')
        ++i;
    const std::size_t numberStart = i;
    std::size_t separatorAt = std::string_view::npos;
    std::uint64_t digitsValue = 0;
    int digitCount = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            // Past 15 digits it may wrap, unused: from_chars reads those.
            digitsValue = digitsValue * 10 + static_cast<std::uint64_t>(c - '0');
            ++digitCount;
        } else if ((c == '.' || c == ',') && separatorAt == std::string_view::npos) {
            separatorAt = i;
        } else {
            break;
        }
    }
    if (digitCount == 0)
        return value;
    std::string_view unit = text.substr(i);
    std::size_t u = 0;
    SkipBlanks(unit, u);
    unit.remove_prefix(u);
    if (unit.starts_with("\xC2\xB0")) // the degree sign
        unit.remove_prefix(2);
    if (unit.empty()) {
        value.unit = WrittenUnit::None;
    } else if (unit == "C" || unit == "c") {
        value.unit = WrittenUnit::Celsius;
    } else if (unit == "F" || unit == "f") {
        value.unit = WrittenUnit::Fahrenheit;
    } else if (unit == "K") {
        value.unit = WrittenUnit::Kelvin;
    } else if (unit == "\xE2\x84\x83") { // ℃
        value.unit = WrittenUnit::Celsius;
    } else if (unit == "\xE2\x84\x89") { // ℉
        value.unit = WrittenUnit::Fahrenheit;
    } else {
        return value;
    }
    const int fractionDigits =
        separatorAt == std::string_view::npos ? 0 : static_cast<int>(i - separatorAt - 1);
    double parsed = 0;
    if (digitCount <= 15) {
        // Whole digits and a power of ten below 2^53 are exact, so one division rounds as
        // from_chars does.
        static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        parsed = static_cast<double>(digitsValue) / kPowersOfTen[fractionDigits];
        if (negative)
            parsed = -parsed;
    } else {
        std::string number = negative ? "-" : "";
        for (std::size_t k = numberStart; k < i; ++k)
            number += k == separatorAt ? '.' : text[k];
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), parsed);
        if (error != std::errc() || end != number.data() + number.size() ||
            !std::isfinite(parsed) || std::fabs(parsed) > 3.4028234663852886e38)
            return value;
    }
    value.number = parsed;
    return value;
}

} // namespace pelk
