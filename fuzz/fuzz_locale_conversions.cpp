// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-written locale conversions on arbitrary text: no crash, no undefined behaviour, and
// what they promise about their results.
#include "climate/locale_conversions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    for (const char separator : {',', '.'}) {
        const auto number = pelk::ParseNumber(text, separator, separator == ',' ? '.' : ',');
        if (number) {
            if (!std::isfinite(*number))
                std::abort();
            // Fixed-point text: at least 30 integer digits, the separator, exactly 30 digits.
            const std::string fixed = pelk::FormatFixed30(std::fabs(*number), separator);
            const std::size_t point = fixed.find(separator);
            if (point == std::string::npos || point < 30 || fixed.size() - point - 1 != 30 ||
                fixed.find_first_not_of("0123456789", 0) != point ||
                fixed.find_first_not_of("0123456789", point + 1) != std::string::npos)
                std::abort();
            (void)pelk::NumberToText(*number, separator);
        }
        const auto single = pelk::ParseSingle(text, separator, separator);
        if (single) {
            if (!std::isfinite(*single))
                std::abort();
            // At most 7 significant digits, so never more than "-1,234567E-45" in length.
            if (pelk::NumberToText(*single, separator).size() > 13)
                std::abort();
        }
    }

    if (const auto when = pelk::ParseDateText(text)) {
        if (!std::isfinite(*when))
            std::abort();
        if (pelk::FormatDateKey(*when).size() != 14 || pelk::FormatDayLabel(*when).size() != 10)
            std::abort();
    }

    // Doubles straight from the bytes, NaN and infinities included.
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        (void)pelk::FormatFixed30(value, ',');
        (void)pelk::NumberToText(value, '.');
        (void)pelk::NumberToText(static_cast<float>(value), ',');
    }
    return 0;
}
