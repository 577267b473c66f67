// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/locale_conversions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace pelk {
namespace {

bool IsSet(const char *value) {
    return value != nullptr && *value != '\0';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text of `value` with `precision` significant digits in the style of printf's "%g".
std::string GeneralText(double value, int precision, bool isSingle, char separator) {
    if (value == 0)
        return "0"; // -0 included: a sign on zero means nothing to a reader of temperatures
    std::array<char, 64> buffer{};
    const auto result =
        isSingle ? std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                 static_cast<float>(value), std::chars_format::general, precision)
                 : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 std::chars_format::general, precision);
    std::string text(buffer.data(), result.ptr);
    for (char &c : text) {
        if (c == '.')
            c = separator;
        else if (c == 'e')
            c = 'E';
    }
    return text;
}

// A copy of a validated number text in the form std::from_chars reads.
class NumberBuffer {
  public:
    NumberBuffer(std::string_view text, char separator, char otherSeparator) {
        if (text.size() + 2 > stack_.size()) {
            heap_.resize(text.size() + 2);
            data_ = heap_.data();
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '+')
                continue;
            if (c == separator || c == otherSeparator) {
                if (size_ == 0 || !IsDigit(data_[size_ - 1]))
                    data_[size_++] = '0';
                data_[size_++] = '.';
                continue;
            }
            data_[size_++] = c;
        }
    }
    const char *begin() const { return data_; }
    const char *end() const { return data_ + size_; }

  private:
    std::array<char, 96> stack_{};
    std::string heap_;
    char *data_ = stack_.data();
    std::size_t size_ = 0;
};

bool IsNumberText(std::string_view text, char separator, char otherSeparator) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i]))
        ++i, ++digits;
    if (i < n && (text[i] == separator || text[i] == otherSeparator)) {
        ++i;
        while (i < n && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < n && IsDigit(text[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

template <typename T>
std::optional<T> ParseFloating(std::string_view text, char separator, char otherSeparator) {
    if (!IsNumberText(text, separator, otherSeparator))
        return std::nullopt;
    const NumberBuffer buffer(text, separator, otherSeparator);
    T value{};
    const auto result = std::from_chars(buffer.begin(), buffer.end(), value);
    if (result.ec != std::errc{} || result.ptr != buffer.end() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Reads between `minDigits` and `maxDigits` digits at `pos`; 0 digits read means failure.
bool ReadNumber(std::string_view text, std::size_t &pos, int minDigits, int maxDigits, int &value) {
    int count = 0;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && count < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    // A digit right after the widest piece means the piece is too wide, not that it ended.
    return count >= minDigits && !(pos < text.size() && IsDigit(text[pos]));
}

bool ReadOneOf(std::string_view text, std::size_t &pos, std::string_view allowed) {
    if (pos < text.size() && allowed.find(text[pos]) != std::string_view::npos) {
        ++pos;
        return true;
    }
    return false;
}

// hours:minutes[:seconds] to the end of the text.
std::optional<int> ReadTimeToEnd(std::string_view text, std::size_t pos) {
    int hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, pos, 1, 2, hour) || !ReadOneOf(text, pos, ":") ||
        !ReadNumber(text, pos, 2, 2, minute))
        return std::nullopt;
    if (ReadOneOf(text, pos, ":") && !ReadNumber(text, pos, 2, 2, second))
        return std::nullopt;
    if (pos != text.size() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

bool StartsWithYear(std::string_view text) {
    return text.size() > 4 && IsDigit(text[0]) && IsDigit(text[1]) && IsDigit(text[2]) &&
           IsDigit(text[3]) && (text[4] == '-' || text[4] == '/');
}

} // namespace

std::string_view NumericLocaleName(const char *lcAll, const char *lcNumeric, const char *lang) {
    for (const char *candidate : {lcAll, lcNumeric, lang})
        if (IsSet(candidate))
            return candidate;
    return "C";
}

std::string NumberToText(float value, char separator) {
    return GeneralText(value, 7, true, separator);
}

std::string NumberToText(double value, char separator) {
    return GeneralText(value, 15, false, separator);
}

std::optional<double> ParseNumber(std::string_view text, char separator, char otherSeparator) {
    return ParseFloating<double>(text, separator, otherSeparator);
}

std::optional<float> ParseSingle(std::string_view text, char separator, char otherSeparator) {
    return ParseFloating<float>(text, separator, otherSeparator);
}

std::optional<DateTime> ParseDateText(std::string_view text) {
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0;
    if (StartsWithYear(text)) {
        if (!ReadNumber(text, pos, 4, 4, year) || !ReadOneOf(text, pos, "-/") ||
            !ReadNumber(text, pos, 1, 2, month) || !ReadOneOf(text, pos, "-/") ||
            !ReadNumber(text, pos, 1, 2, day))
            return std::nullopt;
    } else {
        const std::size_t start = pos;
        if (!ReadNumber(text, pos, 1, 2, day) || !ReadOneOf(text, pos, "/-.")) {
            const auto seconds = ReadTimeToEnd(text, start);
            if (!seconds)
                return std::nullopt;
            return MakeDateTime(0, *seconds);
        }
        if (!ReadNumber(text, pos, 1, 2, month) || !ReadOneOf(text, pos, "/-.") ||
            !ReadNumber(text, pos, 4, 4, year))
            return std::nullopt;
    }
    if (year < 1 || !IsValidCivilDate(year, month, day))
        return std::nullopt;
    int seconds = 0;
    if (pos < text.size()) {
        if (text[pos] != ' ')
            return std::nullopt;
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        const auto time = ReadTimeToEnd(text, pos);
        if (!time)
            return std::nullopt;
        seconds = *time;
    }
    return MakeDateTime(DayNumberFromCivil(year, month, day), seconds);
}

std::string FormatDayLabel(DateTime value) {
    const CivilDateTime t = SplitDateTime(static_cast<double>(CalendarDay(value)));
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer.data();
}

std::string FormatDateKey(DateTime value) {
    const CivilDateTime t = SplitDateTime(value);
    std::array<char, 48> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer.data();
}

std::string FormatFixed30(double nonNegativeValue, char separator) {
    constexpr int kPlaces = 30;
    constexpr int kSignificant = 15;
    // Decimal digits d1 d2 ... of the value and the power of ten of d1.
    std::string digits;
    int exponent = 0;
    if (nonNegativeValue > 0 && std::isfinite(nonNegativeValue)) {
        std::array<char, 64> buffer{};
        auto scientific = [&](int precision) {
            const auto r =
                std::to_chars(buffer.data(), buffer.data() + buffer.size(), nonNegativeValue,
                              std::chars_format::scientific, precision);
            const std::string_view text(buffer.data(),
                                        static_cast<std::size_t>(r.ptr - buffer.data()));
            const std::size_t e = text.find('e');
            digits.clear();
            for (char c : text.substr(0, e))
                if (IsDigit(c))
                    digits += c;
            exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
        };
        scientific(kSignificant - 1);
        // Keep no digit below the 30th decimal place.
        const int wanted = std::min(kSignificant - 1, exponent + kPlaces);
        if (wanted >= 0) {
            if (wanted < kSignificant - 1)
                scientific(wanted);
        } else if (exponent == -kPlaces - 1 && nonNegativeValue >= 5e-31) {
            digits.assign(1, '1'); // not = "1": GCC 12 warns wrongly (-Wrestrict) in release builds
            exponent = -kPlaces;
        } else {
            digits.clear();
        }
    }
    auto digitAt = [&](int power) {
        const int index = exponent - power;
        return index >= 0 && index < static_cast<int>(digits.size()) ? digits[index] : '0';
    };
    const int highest = digits.empty() ? kPlaces - 1 : std::max(kPlaces - 1, exponent);
    std::string text;
    text.reserve(static_cast<std::size_t>(highest + 2 + kPlaces));
    for (int power = highest; power >= 0; --power)
        text += digitAt(power);
    text += separator;
    for (int power = -1; power >= -kPlaces; --power)
        text += digitAt(power);
    return text;
}

} // namespace pelk
