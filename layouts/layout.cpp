// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout.h"

namespace pelk {

std::int32_t TimestampWidth(TimestampKind kind) {
    switch (kind) {
    case TimestampKind::DateThenTime:
        return 2;
    case TimestampKind::SixFields:
        return 6;
    case TimestampKind::OneField:
    case TimestampKind::UnixSeconds:
        break;
    }
    return 1;
}

std::string TitleOf(const Layout &layout, std::int32_t field) {
    if (field < 1 || static_cast<std::size_t>(field) > layout.titles.size())
        return {};
    return layout.titles[static_cast<std::size_t>(field) - 1];
}

bool StartsLikeData(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i < line.size() && line[i] == '"')
        ++i;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        ++i;
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
}

std::string_view Utf8Prefix(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes)
        return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
        --bytes;
    return text.substr(0, bytes);
}

std::string_view DateOrderText(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear:
        return "day/month/year";
    case DateOrder::MonthDayYear:
        return "month/day/year";
    case DateOrder::YearMonthDay:
        return "year/month/day";
    }
    return {};
}

} // namespace pelk
