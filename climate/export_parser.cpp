#include "climate/export_parser.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <array>
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
           std::string_view valueText, char otherSeparator) {
    if (!MeasurementTableType::contains(nextMeasurementIndex))
        return false;
    const auto timestamp = ParseDateText(dateText);
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

} // namespace

std::string NormalizeSeparators(std::string_view line, char localeSeparator,
                                char alternateSeparator) {
    std::string normalized(line);
    std::replace(normalized.begin(), normalized.end(), alternateSeparator, localeSeparator);
    return normalized;
}

LineOutcome ParseExportLine(std::string &line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables) {
    line = NormalizeSeparators(line, tables.LocaleDecimalSeparator,
                               tables.AlternateDecimalSeparator);
    const std::vector<std::string> fields = SplitAtTabs(line);
    const std::string &timestampField = fields[0];
    if (timestampField.empty())
        return LineOutcome::Skipped;

    const std::string dateText = TwoCharacterPiece(Mid(timestampField, 4, 2)) + "/" +
                                 TwoCharacterPiece(Mid(timestampField, 1, 2)) +
                                 Mid(timestampField, 6, 11);
    if (fields.size() < 2)
        return LineOutcome::Malformed;
    const std::string_view valueText = TrimBlanks(fields[1]);
    return Store(tables, nextMeasurementIndex, dateText, valueText, tables.LocaleDecimalSeparator)
               ? LineOutcome::Stored
               : LineOutcome::Malformed;
}

LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables) {
    const char locale = tables.LocaleDecimalSeparator;
    const char alternate = tables.AlternateDecimalSeparator;
    auto normalized = [&](char c) { return c == alternate ? locale : c; };
    auto isTab = [&](char c) { return normalized(c) == '\t'; };

    const auto firstTab = std::find_if(line.begin(), line.end(), isTab);
    const std::string_view timestampField(line.begin(), firstTab);
    if (timestampField.empty())
        return LineOutcome::Skipped;

    // Day piece (characters 4-5), "/", month piece (1-2), then characters 6-16.
    std::array<char, 16> dateText{};
    std::size_t length = 0;
    auto charAt = [&](std::size_t position) {
        return position <= timestampField.size() ? normalized(timestampField[position - 1]) : ' ';
    };
    dateText[length++] = charAt(4);
    dateText[length++] = charAt(5);
    dateText[length++] = '/';
    dateText[length++] = charAt(1);
    dateText[length++] = charAt(2);
    for (std::size_t position = 6; position <= std::min<std::size_t>(16, timestampField.size());
         ++position)
        dateText[length++] = charAt(position);

    if (firstTab == line.end())
        return LineOutcome::Malformed;
    const std::string_view rest(firstTab + 1, line.end());
    const std::string_view valueField(rest.begin(), std::find_if(rest.begin(), rest.end(), isTab));
    std::size_t first = 0;
    std::size_t last = valueField.size();
    while (first < last && normalized(valueField[first]) == ' ')
        ++first;
    while (last > first && normalized(valueField[last - 1]) == ' ')
        --last;
    return Store(tables, nextMeasurementIndex, std::string_view(dateText.data(), length),
                 valueField.substr(first, last - first), alternate)
               ? LineOutcome::Stored
               : LineOutcome::Malformed;
}

} // namespace pelk
