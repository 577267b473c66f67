// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_note.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pelk {
namespace {

std::string SeparatorName(char separator) {
    switch (separator) {
    case '\t':
        return "TAB";
    case ';':
        return "';'";
    case ',':
        return "','";
    case FieldSplitter::kBlanks:
        return "blanks";
    }
    return std::string("'") + separator + "'";
}

std::string Quoted(const std::string &title) {
    constexpr std::size_t kShown = 40;
    std::string quoted = "\"";
    quoted += Utf8Prefix(title, kShown);
    if (title.size() > kShown)
        quoted += "...";
    quoted += '"';
    return quoted;
}

std::string FieldText(const Layout &layout, std::int32_t field) {
    std::string text = "field " + std::to_string(field);
    const std::string title = TitleOf(layout, field);
    if (!title.empty()) {
        text += ' ';
        text += Quoted(title);
    }
    return text;
}

std::string OffsetText(int seconds) {
    char text[16];
    const int minutes = std::abs(seconds) / 60;
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", seconds < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return text;
}

std::string TimestampText(const Layout &layout) {
    const std::int32_t f = layout.timestampField;
    switch (layout.timestampKind) {
    case TimestampKind::OneField:
        return "timestamp in field " + std::to_string(f);
    case TimestampKind::DateThenTime:
        return "date in field " + std::to_string(f) + ", time in field " + std::to_string(f + 1);
    case TimestampKind::SixFields:
        return "year, month, day, hour, minute, second in fields " + std::to_string(f) + " to " +
               std::to_string(f + 5);
    case TimestampKind::UnixSeconds:
        return "Unix seconds in field " + std::to_string(f);
    }
    return {};
}

std::string DateOrderNote(const Layout &layout) {
    if (layout.timestampKind == TimestampKind::SixFields ||
        layout.timestampKind == TimestampKind::UnixSeconds)
        return {};
    std::string text = ", " + std::string(DateOrderText(layout.dateOrder));
    switch (layout.dateOrderReason) {
    case DateOrderReason::YearFirst:
        text += " (four-digit first piece)";
        break;
    case DateOrderReason::OnlyValid:
        text += " (the only order in which every date exists)";
        break;
    case DateOrderReason::SteadyInTime:
        text += " (the only order in which the readings follow in time)";
        break;
    case DateOrderReason::Title:
        text += " (named in its title)";
        break;
    case DateOrderReason::ExportForm:
        text += " (the export form's order)";
        break;
    case DateOrderReason::Chosen:
        text += " (--date-order)";
        break;
    case DateOrderReason::Irrelevant:
        break;
    }
    if (!layout.overruledTitleOrder.empty())
        text += ", not the title's " + layout.overruledTitleOrder;
    return text;
}

std::string ColumnsNote(const Layout &layout) {
    std::string why;
    switch (layout.columnReason) {
    case ColumnReason::Title:
        why = " (its title names a temperature)";
        break;
    case ColumnReason::MinimumAndMaximum:
        why = " (their titles name the minimum and the maximum)";
        break;
    case ColumnReason::FirstNumbers:
        why = " (the first column of numbers after the timestamp)";
        break;
    case ColumnReason::Chosen:
        why = " (as asked)";
        break;
    }
    if (layout.tnField != 0)
        return "Tn from " + FieldText(layout, layout.tnField) + ", Tx from " +
               FieldText(layout, layout.valueField) + why;
    return "temperature from " + FieldText(layout, layout.valueField) + why;
}

std::string OffsetNote(const Layout &layout) {
    switch (layout.offsetSource) {
    case OffsetSource::Computer:
        if (!layout.offsetText.empty())
            return "the computer's UTC offset (the file names the zone \"" + layout.offsetText +
                   "\", whose rules this computer does not have)";
        return "the computer's UTC offset";
    case OffsetSource::Zone:
        return "the offset of " + layout.zoneName + " day by day (\"" + layout.offsetText +
               "\" in the file)";
    case OffsetSource::Chosen:
        return "the UTC offset of --utc-offset";
    case OffsetSource::Titles:
        return OffsetText(layout.offsetSeconds) + " from the file (\"" + layout.offsetText + "\")";
    case OffsetSource::Timestamps:
        return "the UTC offset written on each timestamp (days are UTC days)";
    case OffsetSource::UnixSeconds:
        return "UTC (Unix seconds)";
    }
    return {};
}

std::string UnitNote(const Layout &layout) {
    const std::string where = layout.unitFromValues  ? " (written in the values)"
                              : layout.unitFromRange ? " (from its values)"
                                                     : "";
    switch (layout.unit) {
    case WrittenUnit::Fahrenheit:
        return "degrees F" + where + " turned into degrees C";
    case WrittenUnit::Kelvin:
        return "kelvin" + where + " turned into degrees C";
    case WrittenUnit::Celsius:
    case WrittenUnit::None:
        break;
    }
    return "degrees C";
}

std::string PassedOverNote(const Layout &layout, const LayoutReadFacts &facts) {
    std::string text;
    auto add = [&](const std::string &part) { text += (text.empty() ? "" : ", ") + part; };
    if (layout.firstDataLine > 1)
        add(std::to_string(layout.firstDataLine - 1) + " line(s) before the data");
    if (facts.rowsWithoutValue > 0)
        add(std::to_string(facts.rowsWithoutValue) + " row(s) without a value (first at line " +
            std::to_string(facts.firstRowWithoutValue) + ")");
    if (facts.emptyRows > 0)
        add(std::to_string(facts.emptyRows) + " empty row(s)");
    auto addCounted = [&](std::int64_t count, std::string_view what, std::int64_t first) {
        if (count > 0)
            add(std::to_string(count) + " " + std::string(what) + " (first at line " +
                std::to_string(first) + ")");
    };
    addCounted(facts.datedLinesBefore, "dated line(s) before the data without a reading",
               facts.firstDatedLineBefore);
    addCounted(facts.textRows, "line(s) of text among the readings", facts.firstTextRow);
    addCounted(facts.linesAfter, "line(s) of text after the data", facts.firstLineAfter);
    if (facts.errorValueCount() > 0)
        add(std::to_string(facts.errorValueCount()) +
            " sensor error value(s): " + ErrorValueList(facts, "x", '.'));
    return text.empty() ? "no row passed over" : "passed over: " + text;
}

} // namespace

std::string ErrorValueList(const LayoutReadFacts &facts, std::string_view times, char decimal) {
    std::string text;
    for (const auto &[value, count] : facts.errorValues) {
        char number[32];
        std::snprintf(number, sizeof number, "%.7g", value);
        std::string written = number;
        std::replace(written.begin(), written.end(), '.', decimal);
        text +=
            (text.empty() ? "" : ", ") + written + " " + std::string(times) + std::to_string(count);
    }
    return text;
}

std::string LayoutNote(const Layout &layout, const LayoutReadFacts &facts) {
    std::string note = SeparatorName(layout.separator) + " separated";
    if (layout.quoted)
        note += ", quoted";
    if (layout.encoding == TextEncoding::Latin1)
        note += ", Latin-1";
    note += "; data from line " + std::to_string(layout.firstDataLine);
    if (layout.titleRows > 0)
        note += " under " + std::to_string(layout.titleRows) + " title row(s)";
    note += "; " + TimestampText(layout) + DateOrderNote(layout);
    note += "; " + ColumnsNote(layout);
    note += "; " + OffsetNote(layout);
    note += "; " + UnitNote(layout);
    note += "; " + PassedOverNote(layout, facts);
    return note;
}

} // namespace pelk
