// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout_generator.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

namespace pelk::generated {
namespace {

template <typename... Args> std::string Format(const char *format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

char SeparatorChar(Separator separator) {
    switch (separator) {
    case Separator::Tab:
        return '\t';
    case Separator::Semicolon:
        return ';';
    case Separator::Comma:
        return ',';
    case Separator::Blanks:
        return FieldSplitter::kBlanks;
    }
    return '\t';
}

bool TimestampsCarryTheirClock(Stamp stamp) {
    return stamp == Stamp::IsoUtc || stamp == Stamp::IsoWithOffset || stamp == Stamp::UnixSeconds;
}

// The order of the date pieces; nothing where there are none.
std::optional<DateOrder> OrderOf(Stamp stamp) {
    switch (stamp) {
    case Stamp::DayMonthYear:
    case Stamp::DayMonthShortYear:
    case Stamp::TwelveHourDayFirst:
    case Stamp::DateThenTime:
    case Stamp::MonthNameEnglish:
    case Stamp::MonthNameFrench:
    case Stamp::MonthNameGerman:
    case Stamp::MonthNameSpaced:
    case Stamp::TimeThenDate:
    case Stamp::DateCommaTimeInField:
        return DateOrder::DayMonthYear;
    case Stamp::MonthDayYear:
    case Stamp::MonthDayShortYear:
        return DateOrder::MonthDayYear;
    case Stamp::YearMonthDayDashes:
    case Stamp::YearMonthDayDots:
    case Stamp::IsoUtc:
    case Stamp::IsoWithOffset:
    case Stamp::FractionOfSecond:
    case Stamp::TwelveHourYearFirst:
        return DateOrder::YearMonthDay;
    case Stamp::UnixSeconds:
    case Stamp::SixFields:
        return std::nullopt;
    }
    return std::nullopt;
}

// Whether the timestamp, written in one field, holds a space.
bool SpaceInStamp(Stamp stamp) {
    switch (stamp) {
    case Stamp::DateThenTime:
    case Stamp::IsoUtc:
    case Stamp::IsoWithOffset:
    case Stamp::UnixSeconds:
    case Stamp::SixFields:
    case Stamp::DateCommaTimeInField:
        return false;
    default:
        return true;
    }
}

// Runs of blanks cut "date time" into a date field and a time field.
bool StampCutAtBlanks(const GeneratedLayout &layout) {
    return layout.separator == Separator::Blanks && SpaceInStamp(layout.stamp);
}

std::int32_t StampWidth(const GeneratedLayout &layout) {
    switch (layout.stamp) {
    case Stamp::DateThenTime:
        return 2;
    case Stamp::SixFields:
        return 6;
    default:
        return StampCutAtBlanks(layout) ? 2 : 1;
    }
}

WrittenUnit UnitOf(Unit unit) {
    switch (unit) {
    case Unit::CelsiusUnnamed:
    case Unit::CelsiusInTitle:
    case Unit::CelsiusInValues:
        return WrittenUnit::Celsius;
    case Unit::FahrenheitInTitle:
    case Unit::FahrenheitInValues:
        return WrittenUnit::Fahrenheit;
    case Unit::KelvinInTitle:
    case Unit::KelvinInValues:
    case Unit::KelvinUnnamed:
        return WrittenUnit::Kelvin;
    }
    return WrittenUnit::Celsius;
}

bool UnitInValues(Unit unit) {
    return unit == Unit::CelsiusInValues || unit == Unit::FahrenheitInValues ||
           unit == Unit::KelvinInValues;
}

bool UnitInTitle(Unit unit) {
    return unit == Unit::CelsiusInTitle || unit == Unit::FahrenheitInTitle ||
           unit == Unit::KelvinInTitle;
}

const char kDegree[] = "\xC2\xB0";

bool HasEvents(const GeneratedLayout &layout) {
    return layout.dataRows == DataRows::WithEvents || layout.dataRows == DataRows::WithNanEvents ||
           layout.dataRows == DataRows::WithDashEvents;
}

bool HasErrors(const GeneratedLayout &layout, const GeneratedReadings &readings, std::size_t i) {
    return layout.dataRows == DataRows::WithSensorErrors && readings.error[i] != 0;
}

// The sensor error values, by their number in GeneratedReadings::error; kSpike is 85 degrees C
// written in the file's unit.
constexpr std::array<const char *, 6> kErrorTexts = {"", "-270", "-127", "-200", "-999.9", "9999"};
constexpr std::array<double, 6> kErrorNumbers = {0, -270, -127, -200, -999.9, 9999};
constexpr int kSpike = 6;

// The error values that read as such in the file's unit: -270 and -127 are judged in degrees C.
std::vector<int> ErrorsFor(const GeneratedLayout &layout) {
    if (UnitOf(layout.unit) == WrittenUnit::Fahrenheit)
        return {3, 4, 5, kSpike};
    return {1, 2, 3, 4, 5, kSpike};
}

// Where each column stands, 1-based.
struct Fields {
    std::int32_t timestamp = 1;
    std::int32_t humidity = 0;
    std::int32_t first = 2; ///< the temperature, or the first of minimum and maximum
    std::int32_t battery = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

Fields FieldsOf(const GeneratedLayout &layout) {
    Fields fields;
    fields.timestamp = layout.recordNumber ? 2 : 1;
    std::int32_t next = fields.timestamp + StampWidth(layout);
    if (layout.extras == Extras::Before || layout.extras == Extras::Both)
        fields.humidity = next++;
    fields.first = next;
    next += layout.columns == Columns::Temperature ? 1 : 2;
    if (layout.extras == Extras::After || layout.extras == Extras::Both)
        fields.battery = next;
    if (layout.columns == Columns::MinimumThenMaximum) {
        fields.minimum = fields.first;
        fields.maximum = fields.first + 1;
    } else if (layout.columns == Columns::MaximumThenMinimum) {
        fields.maximum = fields.first;
        fields.minimum = fields.first + 1;
    }
    return fields;
}

// Minutes since day number 0, 00:00.
std::int64_t MinuteOf(const GeneratedReadings &readings, std::size_t i) {
    return DayNumberFromCivil(readings.year, readings.month, readings.day) * 1440 +
           readings.minuteOfDay + static_cast<std::int64_t>(i) * readings.intervalMinutes;
}

CivilDateTime CivilOf(std::int64_t minute) {
    const std::int64_t day = minute >= 0 ? minute / 1440 : (minute - 1439) / 1440;
    return SplitDateTime(MakeDateTime(day, static_cast<int>(minute - day * 1440) * 60));
}

std::string Signed(bool negative, const std::string &digits) {
    return negative ? "-" + digits : digits;
}

std::string UnitAfterValues(const GeneratedLayout &layout) {
    if (!UnitInValues(layout.unit))
        return "";
    switch (UnitOf(layout.unit)) {
    case WrittenUnit::Fahrenheit:
        return std::string(" ") + kDegree + "F";
    case WrittenUnit::Kelvin:
        return " K";
    default:
        return std::string(" ") + kDegree + "C";
    }
}

// The word that names the temperature column.
std::string TemperatureTitle(const GeneratedLayout &layout) {
    switch (layout.temperatureWord) {
    case TemperatureWord::Temp:
        return "Temp";
    case TemperatureWord::Temperature:
        return "Temperature";
    default:
        return "Temp\xC3\xA9rature";
    }
}

// `hundredths` of a degree C in the file's unit and decimals, exactly.
std::string DegreesText(const GeneratedLayout &layout, int hundredths) {
    std::string text;
    switch (UnitOf(layout.unit)) {
    case WrittenUnit::Fahrenheit: {
        const int thousandths = hundredths * 18 + 32000; // F x 1000, exact
        const int a = std::abs(thousandths);
        text = Signed(thousandths < 0, Format("%d.%03d", a / 1000, a % 1000));
        break;
    }
    case WrittenUnit::Kelvin: {
        const int kelvin = hundredths + 27315;
        text = Format("%d.%02d", kelvin / 100, kelvin % 100);
        break;
    }
    default: {
        const int a = std::abs(hundredths);
        text = layout.decimals == 1 ? Format("%d.%d", a / 100, a % 100 / 10)
                                    : Format("%d.%02d", a / 100, a % 100);
        text = Signed(hundredths < 0, text);
        break;
    }
    }
    if (layout.decimalMark == DecimalMark::Comma)
        std::replace(text.begin(), text.end(), '.', ',');
    return text + UnitAfterValues(layout);
}

// A sensor's error value as it writes it, in the file's decimal mark and unit.
std::string ErrorText(const GeneratedLayout &layout, int error) {
    if (error == kSpike)
        return DegreesText(layout, 8500);
    std::string text = kErrorTexts[static_cast<std::size_t>(error)];
    if (layout.decimalMark == DecimalMark::Comma)
        std::replace(text.begin(), text.end(), '.', ',');
    return text + UnitAfterValues(layout);
}

std::string PlainNumber(const GeneratedLayout &layout, int tenths) {
    std::string text = Format("%d.%d", tenths / 10, tenths % 10);
    if (layout.decimalMark == DecimalMark::Comma)
        std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

const std::array<const char *, 12> kEnglishMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char *, 12> kFrenchShortMonths = {"janv.",
                                                         "f\xC3\xA9vr.",
                                                         "mars",
                                                         "avr.",
                                                         "mai",
                                                         "juin",
                                                         "juil.",
                                                         "ao\xC3\xBBt",
                                                         "sept.",
                                                         "oct.",
                                                         "nov.",
                                                         "d\xC3\xA9"
                                                         "c."};
const std::array<const char *, 12> kGermanMonths = {
    "Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const std::array<const char *, 12> kFrenchMonths = {"janvier",
                                                    "f\xC3\xA9vrier",
                                                    "mars",
                                                    "avril",
                                                    "mai",
                                                    "juin",
                                                    "juillet",
                                                    "ao\xC3\xBBt",
                                                    "septembre",
                                                    "octobre",
                                                    "novembre",
                                                    "d\xC3\xA9"
                                                    "cembre"};

std::vector<std::string> StampCells(const GeneratedLayout &layout, std::int64_t minute) {
    const std::int64_t written =
        layout.stamp == Stamp::IsoWithOffset ? minute + layout.timestampOffsetMinutes : minute;
    const CivilDateTime t = CivilOf(written);
    switch (layout.stamp) {
    case Stamp::DayMonthYear:
        return {Format("%02d/%02d/%04d %02d:%02d:00", t.day, t.month, t.year, t.hour, t.minute)};
    case Stamp::MonthDayYear:
        return {Format("%02d/%02d/%04d %02d:%02d", t.month, t.day, t.year, t.hour, t.minute)};
    case Stamp::YearMonthDayDashes:
        return {Format("%04d-%02d-%02d %02d:%02d:00", t.year, t.month, t.day, t.hour, t.minute)};
    case Stamp::YearMonthDayDots:
        return {Format("%04d.%02d.%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute)};
    case Stamp::DayMonthShortYear:
        return {
            Format("%02d/%02d/%02d %02d:%02d:00", t.day, t.month, t.year % 100, t.hour, t.minute)};
    case Stamp::MonthDayShortYear:
        return {Format("%d/%d/%02d %d:%02d", t.month, t.day, t.year % 100, t.hour, t.minute)};
    case Stamp::TwelveHourDayFirst:
        return {Format("%02d/%02d/%04d %d:%02d:00 %s", t.day, t.month, t.year,
                       t.hour % 12 == 0 ? 12 : t.hour % 12, t.minute, t.hour < 12 ? "AM" : "PM")};
    case Stamp::DateThenTime:
        return {Format("%02d.%02d.%04d", t.day, t.month, t.year),
                Format("%02d:%02d:00", t.hour, t.minute)};
    case Stamp::IsoUtc:
        return {Format("%04d-%02d-%02dT%02d:%02d:00Z", t.year, t.month, t.day, t.hour, t.minute)};
    case Stamp::IsoWithOffset: {
        const int offset = std::abs(layout.timestampOffsetMinutes);
        return {Format("%04d-%02d-%02dT%02d:%02d:00%c%02d:%02d", t.year, t.month, t.day, t.hour,
                       t.minute, layout.timestampOffsetMinutes < 0 ? '-' : '+', offset / 60,
                       offset % 60)};
    }
    case Stamp::UnixSeconds:
        return {Format(
            "%lld", static_cast<long long>((minute - DayNumberFromCivil(1970, 1, 1) * 1440) * 60))};
    case Stamp::SixFields:
        return {std::to_string(t.year), std::to_string(t.month),  std::to_string(t.day),
                std::to_string(t.hour), std::to_string(t.minute), "0"};
    case Stamp::MonthNameEnglish:
        return {Format("%02d/%s/%04d %02d:%02d:00", t.day, kEnglishMonths.at(t.month - 1), t.year,
                       t.hour, t.minute)};
    case Stamp::MonthNameFrench:
        return {Format("%02d-%s-%04d %02d:%02d", t.day, kFrenchShortMonths.at(t.month - 1), t.year,
                       t.hour, t.minute)};
    case Stamp::MonthNameGerman:
        return {Format("%02d.%s.%04d %02d:%02d", t.day, kGermanMonths.at(t.month - 1), t.year,
                       t.hour, t.minute)};
    case Stamp::MonthNameSpaced:
        return {Format("%d %s %04d %02d:%02d", t.day, kFrenchMonths.at(t.month - 1), t.year, t.hour,
                       t.minute)};
    case Stamp::TimeThenDate:
        return {Format("%02d:%02d:00 %02d/%02d/%04d", t.hour, t.minute, t.day, t.month, t.year)};
    case Stamp::DateCommaTimeInField:
        return {
            Format("%02d.%02d.%02d,%02d:%02d:00", t.day, t.month, t.year % 100, t.hour, t.minute)};
    case Stamp::FractionOfSecond:
        return {Format("%04d-%02d-%02d %02d:%02d:00.5", t.year, t.month, t.day, t.hour, t.minute)};
    case Stamp::TwelveHourYearFirst:
        return {Format("%04d-%02d-%02d %d:%02d:00 %s", t.year, t.month, t.day,
                       t.hour % 12 == 0 ? 12 : t.hour % 12, t.minute, t.hour < 12 ? "AM" : "PM")};
    }
    return {};
}

struct Title {
    std::string upper; ///< the first row's part when the titles take two rows
    std::string lower;
};

std::string OffsetTitle(const GeneratedLayout &layout) {
    if (layout.offset != StatedOffset::InTitle && layout.offset != StatedOffset::InTitleShort)
        return "";
    const std::string offset = layout.offset == StatedOffset::InTitle
                                   ? Format("GMT%c%02d:00", layout.offsetHours < 0 ? '-' : '+',
                                            std::abs(layout.offsetHours))
                                   : Format("UTC%+d", layout.offsetHours);
    // A comma inside a title only where the title is quoted.
    return layout.quoting == Quoting::None ? " (" + offset + ")" : ", " + offset;
}

std::string OrderTitle(const GeneratedLayout &layout) {
    const auto order = OrderOf(layout.stamp);
    if (layout.dateOrderTitle == DateOrderTitle::None || !order)
        return "";
    const bool shortYear = layout.stamp == Stamp::DayMonthShortYear ||
                           layout.stamp == Stamp::MonthDayShortYear ||
                           layout.stamp == Stamp::DateCommaTimeInField;
    const char *year = shortYear ? "YY" : "YYYY";
    DateOrder named = *order;
    if (layout.dateOrderTitle == DateOrderTitle::Contradicted)
        named =
            *order == DateOrder::DayMonthYear ? DateOrder::MonthDayYear : DateOrder::DayMonthYear;
    switch (named) {
    case DateOrder::DayMonthYear:
        return std::string(" (DD/MM/") + year + ")";
    case DateOrder::MonthDayYear:
        return std::string(" (MM/DD/") + year + ")";
    case DateOrder::YearMonthDay:
        return " (YYYY-MM-DD)";
    }
    return "";
}

std::vector<Title> Titles(const GeneratedLayout &layout) {
    std::vector<Title> titles;
    const std::string order = OrderTitle(layout);
    if (layout.recordNumber)
        titles.push_back({"", "#"});
    const std::string offset = OffsetTitle(layout);
    switch (layout.stamp) {
    case Stamp::DateThenTime:
        titles.push_back({"", "Date" + order});
        titles.push_back({"", "Time" + offset});
        break;
    case Stamp::UnixSeconds:
        titles.push_back({"Unix", "Time"});
        break;
    case Stamp::SixFields:
        for (const char *name : {"Year", "Month", "Day", "Hour", "Minute", "Second"})
            titles.push_back({"", name + (name[0] == 'H' ? offset : "")});
        break;
    default:
        titles.push_back({"Date", "Time" + order + offset});
        break;
    }
    if (layout.extras == Extras::Before || layout.extras == Extras::Both)
        titles.push_back({"RH", "(%)"});
    // Quoted titles write the unit after a comma, as "Temp, °C".
    const bool quoted = layout.quoting != Quoting::None;
    std::string unit;
    switch (UnitInTitle(layout.unit) ? UnitOf(layout.unit) : WrittenUnit::None) {
    case WrittenUnit::Celsius:
        unit = quoted ? std::string(", ") + kDegree + "C" : std::string(" (") + kDegree + "C)";
        break;
    case WrittenUnit::Fahrenheit:
        unit = quoted ? std::string(", ") + kDegree + "F" : std::string(" (") + kDegree + "F)";
        break;
    case WrittenUnit::Kelvin:
        unit = " [K]";
        break;
    case WrittenUnit::None:
        break;
    }
    const std::string word = TemperatureTitle(layout);
    switch (layout.columns) {
    case Columns::Temperature:
        titles.push_back({word, unit.empty() ? "" : unit.substr(unit[0] == ',' ? 2 : 1)});
        break;
    case Columns::MinimumThenMaximum:
        titles.push_back({"Low", word + unit});
        titles.push_back({"Hi", word + unit});
        break;
    case Columns::MaximumThenMinimum:
        titles.push_back({"Hi", word + unit});
        titles.push_back({"Low", word + unit});
        break;
    }
    if (layout.extras == Extras::After || layout.extras == Extras::Both)
        titles.push_back({"Battery", "(V)"});
    return titles;
}

// Titles of one word each, as columns aligned with blanks need them.
std::vector<std::string> BlankTitles(const GeneratedLayout &layout) {
    std::vector<std::string> titles;
    if (layout.recordNumber)
        titles.push_back("#");
    if (layout.stamp == Stamp::SixFields) {
        for (const char *name : {"Year", "Month", "Day", "Hour", "Minute", "Second"})
            titles.push_back(name);
    } else if (StampWidth(layout) == 2) {
        titles.push_back("Date");
        titles.push_back("Time");
    } else {
        titles.push_back("Time");
    }
    if (layout.extras == Extras::Before || layout.extras == Extras::Both)
        titles.push_back("RH");
    std::string unit;
    switch (UnitInTitle(layout.unit) ? UnitOf(layout.unit) : WrittenUnit::None) {
    case WrittenUnit::Celsius:
        unit = std::string("(") + kDegree + "C)";
        break;
    case WrittenUnit::Fahrenheit:
        unit = std::string("(") + kDegree + "F)";
        break;
    case WrittenUnit::Kelvin:
        unit = "[K]";
        break;
    case WrittenUnit::None:
        break;
    }
    const std::string word = TemperatureTitle(layout);
    switch (layout.columns) {
    case Columns::Temperature:
        titles.push_back(word + unit);
        break;
    case Columns::MinimumThenMaximum:
        titles.push_back(word + "_Min" + unit);
        titles.push_back(word + "_Max" + unit);
        break;
    case Columns::MaximumThenMinimum:
        titles.push_back(word + "_Max" + unit);
        titles.push_back(word + "_Min" + unit);
        break;
    }
    if (layout.extras == Extras::After || layout.extras == Extras::Both)
        titles.push_back("Battery");
    return titles;
}

std::string Quote(const std::string &cell) {
    return "\"" + cell + "\"";
}

std::string JoinCells(const std::vector<std::string> &cells, char separator, bool quoted) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += separator;
        line += quoted ? Quote(cells[i]) : cells[i];
    }
    return line;
}

// Settings as loggers write them before their titles: no dates, no offset, no unit, and the
// last one a single field, so that none is taken for a row of titles.
std::vector<std::string> SettingsLines(const GeneratedLayout &layout) {
    static const std::vector<std::vector<std::string>> kSettings = {
        {"Logger", "X12-0456"},    {"Serial number", "20480"}, {"Site", "North wall", "shade"},
        {"Interval", "600 s"},     {"Model", "TL-20"},         {"Firmware", "v3"},
        {"Channel", "1", "air"},   {"Battery", "good"},        {"Operator", "J. Martin"},
        {"Started by", "software"}};
    std::vector<std::string> lines;
    const char separator = SeparatorChar(layout.separator);
    for (int i = 0; layout.beforeTitles == BeforeTitles::Settings && i + 1 < layout.settingsLines;
         ++i)
        lines.push_back(
            JoinCells(kSettings[static_cast<std::size_t>(i) % kSettings.size()], separator, false));
    if (layout.offset == StatedOffset::InSettings && layout.beforeTitles == BeforeTitles::Settings)
        lines.push_back(Format("Time zone: UTC%+d", layout.offsetHours));
    else if (layout.beforeTitles == BeforeTitles::Settings)
        lines.push_back(layout.separator == Separator::Blanks ? "Data:" : "Logged data:");
    // Blanks cut words apart: a single word last, or the line would be as wide as titles are.
    if (layout.offset == StatedOffset::InSettings &&
        layout.beforeTitles == BeforeTitles::Settings && layout.separator == Separator::Blanks)
        lines.push_back("Data:");
    return lines;
}

// The file as UTF-8 lines, before its encoding and line ends, with where each kind of line went.
struct Written {
    std::vector<std::string> lines;
    std::int64_t firstDataLine = 0;
    std::int64_t lastDataLine = 0;
    std::int64_t textRows = 0;
    std::int64_t firstTextRow = 0;
    std::int64_t emptyRows = 0;
    std::int64_t linesAfter = 0;
    std::int64_t firstLineAfter = 0;
    std::int64_t datedBefore = 0;
    std::int64_t firstDatedBefore = 0;
};

// A row of cells (titles or a reading), aligned with the others under blanks; or a line as is.
struct Row {
    bool isCells = false;
    std::vector<std::string> cells;
    bool quoted = false;
    std::string text;
};

Written WriteLines(const GeneratedLayout &layout, const GeneratedReadings &readings) {
    const bool blanks = layout.separator == Separator::Blanks;
    const char separator = SeparatorChar(layout.separator);
    const bool quoteData = layout.quoting == Quoting::EveryField;
    Written written;
    std::vector<Row> rows;
    auto textLine = [&](std::string line) { rows.push_back({false, {}, false, std::move(line)}); };
    auto cellsRow = [&](std::vector<std::string> cells, bool quoted) {
        rows.push_back({true, std::move(cells), quoted, ""});
    };
    auto nextLine = [&] { return static_cast<std::int64_t>(rows.size()) + 1; };
    for (std::string &line : SettingsLines(layout))
        textLine(std::move(line));
    if (layout.beforeTitles == BeforeTitles::DatedNotes) {
        static const std::array<const char *, 4> kNotes = {
            "Sensor SN: 1234", "Manual Start Command", "Battery: 3.6 V", "Logging started"};
        textLine("Log Notes:");
        for (int n = 0; n < layout.settingsLines; ++n) {
            // The day before the readings, in their own timestamp form.
            std::vector<std::string> cells =
                StampCells(layout, MinuteOf(readings, 0) - 1440 + 7 * n);
            cells.push_back(kNotes[static_cast<std::size_t>(n) % kNotes.size()]);
            if (written.datedBefore++ == 0)
                written.firstDatedBefore = nextLine();
            textLine(JoinCells(cells, separator, quoteData));
        }
        textLine("");
    }
    if (blanks) {
        if (layout.titleRows == TitleRows::One)
            cellsRow(BlankTitles(layout), false);
    } else {
        const std::vector<Title> titles = Titles(layout);
        const bool quoteTitles = layout.quoting != Quoting::None;
        std::vector<std::string> upper;
        std::vector<std::string> lower;
        std::vector<std::string> joined;
        for (const Title &title : titles) {
            upper.push_back(title.upper);
            lower.push_back(title.lower);
            joined.push_back(title.upper.empty()   ? title.lower
                             : title.lower.empty() ? title.upper
                                                   : title.upper + " " + title.lower);
        }
        if (layout.titleRows == TitleRows::One)
            cellsRow(joined, quoteTitles);
        if (layout.titleRows == TitleRows::Two) {
            cellsRow(upper, quoteTitles);
            cellsRow(lower, quoteTitles);
        }
    }
    written.firstDataLine = nextLine();
    const std::string marker = layout.dataRows == DataRows::WithNanEvents    ? "NAN"
                               : layout.dataRows == DataRows::WithDashEvents ? "---"
                                                                             : "";
    static const std::array<const char *, 3> kComments = {"# probe moved", "// clock set",
                                                          "remark: battery changed"};
    const std::size_t count = readings.hundredths.size();
    for (std::size_t row = 0; row < count; ++row) {
        const std::size_t i = layout.timeOrder == TimeOrder::NewestFirst ? count - 1 - row : row;
        const bool event = HasEvents(layout) && readings.event[i];
        std::vector<std::string> cells;
        if (layout.recordNumber)
            cells.push_back(std::to_string(row + 1));
        for (std::string &cell : StampCells(layout, MinuteOf(readings, i))) {
            const std::size_t space = cell.find(' ');
            if (blanks && space != std::string::npos) {
                cells.push_back(cell.substr(0, space));
                cells.push_back(cell.substr(space + 1));
            } else {
                cells.push_back(std::move(cell));
            }
        }
        if (layout.extras == Extras::Before || layout.extras == Extras::Both)
            cells.push_back(PlainNumber(layout, 300 + static_cast<int>(i * 37 % 500)));
        const int minimum = readings.hundredths[i];
        const int maximum = minimum + readings.spread[i];
        const bool error = HasErrors(layout, readings, i);
        auto value = [&](int hundredths) {
            return event   ? marker
                   : error ? ErrorText(layout, readings.error[i])
                           : DegreesText(layout, hundredths);
        };
        switch (layout.columns) {
        case Columns::Temperature:
            cells.push_back(value(minimum));
            break;
        case Columns::MinimumThenMaximum:
            cells.push_back(value(minimum));
            cells.push_back(value(maximum));
            break;
        case Columns::MaximumThenMinimum:
            cells.push_back(value(maximum));
            cells.push_back(value(minimum));
            break;
        }
        if (layout.extras == Extras::After || layout.extras == Extras::Both)
            cells.push_back(PlainNumber(layout, 30 + static_cast<int>(i % 7)));
        written.lastDataLine = nextLine();
        cellsRow(std::move(cells), quoteData);
        if (row + 1 < count && !readings.breakAfter.empty() && readings.breakAfter[row]) {
            if (layout.dataRows == DataRows::WithComments) {
                const char *comment = kComments[static_cast<std::size_t>(written.textRows) % 3];
                if (written.textRows++ == 0)
                    written.firstTextRow = nextLine();
                textLine(comment);
            } else if (layout.dataRows == DataRows::WithEmptyLines) {
                ++written.emptyRows;
                textLine("");
            }
        }
    }
    if (layout.afterData == AfterData::TrailingText) {
        written.firstLineAfter = nextLine();
        textLine("download complete");
        textLine("-- end of log --");
        written.linesAfter = 2;
    }
    // Under blanks each column is as wide as its widest cell, the cells right-aligned in it.
    std::vector<std::size_t> widths;
    if (blanks)
        for (const Row &row : rows)
            for (std::size_t c = 0; row.isCells && c < row.cells.size(); ++c) {
                widths.resize(std::max(widths.size(), c + 1));
                widths[c] = std::max(widths[c], row.cells[c].size());
            }
    const std::string end = !layout.trailingSeparator ? ""
                            : blanks                  ? "  "
                                                      : std::string(1, separator);
    for (const Row &row : rows) {
        if (!row.isCells) {
            written.lines.push_back(row.text);
        } else if (blanks) {
            std::string line;
            for (std::size_t c = 0; c < row.cells.size(); ++c)
                line += std::string(c > 0 ? 2 : 0, ' ') +
                        std::string(widths[c] - row.cells[c].size(), ' ') + row.cells[c];
            written.lines.push_back(line + end);
        } else {
            written.lines.push_back(JoinCells(row.cells, separator, row.quoted) + end);
        }
    }
    return written;
}

std::string Latin1FromUtf8(const std::string &text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xC0 && i + 1 < text.size()) { // two-byte sequences only: ° and é
            bytes += static_cast<char>(((c & 0x1F) << 6) |
                                       (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

std::string Utf16LittleEndianFromUtf8(const std::string &text) {
    std::string bytes = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        unsigned unit = c;
        if (c >= 0xC0 && i + 1 < text.size()) {
            unit = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            ++i;
        }
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

} // namespace

std::string TextOf(const GeneratedLayout &layout, const GeneratedReadings &readings) {
    const char *end = layout.lineEnd == LineEnd::CrLf ? "\r\n"
                      : layout.lineEnd == LineEnd::Lf ? "\n"
                                                      : "\r";
    std::string text;
    for (const std::string &line : WriteLines(layout, readings).lines)
        text.append(line).append(end);
    return text;
}

namespace {

template <typename E> rc::Gen<E> Any(std::initializer_list<E> values) {
    return rc::gen::elementOf(std::vector<E>(values));
}

} // namespace

namespace {

// What the reader holds to the export form: TAB, one timestamp field first, data from line 1 or 2.
bool LooksLikeTheExportForm(const GeneratedLayout &layout) {
    return layout.separator == Separator::Tab && !layout.recordNumber && StampWidth(layout) == 1 &&
           layout.stamp != Stamp::UnixSeconds && layout.beforeTitles != BeforeTitles::DatedNotes &&
           layout.settingsLines + (layout.titleRows == TitleRows::One   ? 1
                                   : layout.titleRows == TitleRows::Two ? 2
                                                                        : 0) <=
               1;
}

} // namespace

GeneratedLayout Consistent(GeneratedLayout layout) {
    // A comma inside the timestamp's field only where fields are cut at ';'.
    if (layout.stamp == Stamp::DateCommaTimeInField)
        layout.separator = Separator::Semicolon;
    if (layout.separator == Separator::Blanks) {
        // Blanks cut at every space: one row of one-word titles, no unit after a value, no empty
        // cell, and timestamps of at most two pieces.
        layout.quoting = Quoting::None;
        if (layout.titleRows == TitleRows::Two)
            layout.titleRows = TitleRows::One;
        if (layout.offset == StatedOffset::InTitle || layout.offset == StatedOffset::InTitleShort)
            layout.offset = StatedOffset::None;
        layout.dateOrderTitle = DateOrderTitle::None;
        if (layout.unit == Unit::CelsiusInValues)
            layout.unit = Unit::CelsiusInTitle;
        if (layout.unit == Unit::FahrenheitInValues)
            layout.unit = Unit::FahrenheitInTitle;
        if (layout.unit == Unit::KelvinInValues)
            layout.unit = Unit::KelvinInTitle;
        if (layout.stamp == Stamp::TwelveHourDayFirst ||
            layout.stamp == Stamp::TwelveHourYearFirst || layout.stamp == Stamp::TimeThenDate ||
            layout.stamp == Stamp::MonthNameSpaced)
            layout.stamp = Stamp::DateThenTime;
        if (layout.dataRows == DataRows::WithEvents)
            layout.dataRows = DataRows::WithNanEvents;
    }
    if (layout.separator != Separator::Semicolon)
        layout.decimalMark = DecimalMark::Point;
    // Cut at blanks, a note ("... Sensor SN: 1234") is a timestamp and a number: a row of data.
    if (layout.beforeTitles == BeforeTitles::DatedNotes && layout.separator == Separator::Blanks)
        layout.beforeTitles = BeforeTitles::Settings;
    if (layout.beforeTitles == BeforeTitles::DatedNotes) {
        // The notes' timestamp stands where the data's does.
        layout.recordNumber = false;
        if (layout.stamp == Stamp::SixFields)
            layout.beforeTitles = BeforeTitles::Nothing;
    }
    if (layout.beforeTitles == BeforeTitles::Nothing)
        layout.settingsLines = 0;
    else if (layout.beforeTitles == BeforeTitles::DatedNotes)
        layout.settingsLines = (std::max(layout.settingsLines, 1) - 1) % 4 + 1;
    else
        layout.settingsLines = std::clamp(layout.settingsLines, 1, 20);
    if (layout.titleRows == TitleRows::None || !OrderOf(layout.stamp))
        layout.dateOrderTitle = DateOrderTitle::None;
    if (layout.titleRows == TitleRows::None) {
        if (UnitInTitle(layout.unit))
            layout.unit = Unit::CelsiusUnnamed;
        if (layout.offset != StatedOffset::InSettings)
            layout.offset = StatedOffset::None;
    }
    if (layout.offset == StatedOffset::InSettings && layout.beforeTitles != BeforeTitles::Settings)
        layout.offset = StatedOffset::None;
    if (TimestampsCarryTheirClock(layout.stamp))
        layout.offset = StatedOffset::None;
    if (layout.offset == StatedOffset::None)
        layout.offsetHours = 0;
    if (layout.stamp != Stamp::IsoWithOffset)
        layout.timestampOffsetMinutes = 0;
    // Only where the dates leave the order open can the option be what says it.
    const auto order = OrderOf(layout.stamp);
    if (!order || *order == DateOrder::YearMonthDay)
        layout.dateOrderSource = DateOrderSource::Data;
    layout.decimals = std::clamp(layout.decimals, 1, 2);
    // Error values would take the values out of the range that alone says kelvin.
    if (layout.unit == Unit::KelvinUnnamed && layout.dataRows == DataRows::WithSensorErrors)
        layout.dataRows = DataRows::Readings;
    // The export form's own layout is held to it: text among or after its data is a refusal.
    if (LooksLikeTheExportForm(layout)) {
        if (layout.dataRows == DataRows::WithComments)
            layout.dataRows = DataRows::Readings;
        layout.afterData = AfterData::Nothing;
    }
    return layout;
}

rc::Gen<GeneratedLayout> GenLayout() {
    using namespace rc;
    const auto layout = gen::build<GeneratedLayout>(
        gen::set(&GeneratedLayout::separator,
                 Any({Separator::Tab, Separator::Semicolon, Separator::Comma, Separator::Blanks})),
        gen::set(&GeneratedLayout::quoting,
                 Any({Quoting::None, Quoting::Titles, Quoting::EveryField})),
        gen::set(&GeneratedLayout::lineEnd, Any({LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr})),
        gen::set(&GeneratedLayout::encoding,
                 Any({Encoding::Utf8, Encoding::Utf8WithMark, Encoding::Latin1,
                      Encoding::Utf16LittleEndianWithMark})),
        gen::set(&GeneratedLayout::beforeTitles,
                 Any({BeforeTitles::Nothing, BeforeTitles::Settings, BeforeTitles::DatedNotes})),
        gen::set(&GeneratedLayout::settingsLines, gen::inRange(1, 21)),
        gen::set(&GeneratedLayout::titleRows,
                 Any({TitleRows::One, TitleRows::Two, TitleRows::None})),
        gen::set(&GeneratedLayout::recordNumber, gen::arbitrary<bool>()),
        gen::set(
            &GeneratedLayout::stamp,
            Any({Stamp::DayMonthYear,       Stamp::MonthDayYear,       Stamp::YearMonthDayDashes,
                 Stamp::YearMonthDayDots,   Stamp::DayMonthShortYear,  Stamp::MonthDayShortYear,
                 Stamp::TwelveHourDayFirst, Stamp::DateThenTime,       Stamp::IsoUtc,
                 Stamp::IsoWithOffset,      Stamp::UnixSeconds,        Stamp::SixFields,
                 Stamp::MonthNameEnglish,   Stamp::MonthNameFrench,    Stamp::MonthNameGerman,
                 Stamp::MonthNameSpaced,    Stamp::TimeThenDate,       Stamp::DateCommaTimeInField,
                 Stamp::FractionOfSecond,   Stamp::TwelveHourYearFirst})),
        gen::set(&GeneratedLayout::unit,
                 Any({Unit::CelsiusUnnamed, Unit::CelsiusInTitle, Unit::FahrenheitInTitle,
                      Unit::KelvinInTitle, Unit::CelsiusInValues, Unit::FahrenheitInValues,
                      Unit::KelvinInValues, Unit::KelvinUnnamed})),
        gen::set(&GeneratedLayout::offset,
                 Any({StatedOffset::None, StatedOffset::InTitle, StatedOffset::InTitleShort,
                      StatedOffset::InSettings})),
        gen::set(&GeneratedLayout::offsetHours, gen::inRange(-5, 6)),
        gen::set(&GeneratedLayout::timestampOffsetMinutes,
                 Any({60, 120, -300, -240, 330, -210, 0})),
        gen::set(&GeneratedLayout::extras,
                 Any({Extras::None, Extras::Before, Extras::After, Extras::Both})),
        gen::set(&GeneratedLayout::columns, Any({Columns::Temperature, Columns::MinimumThenMaximum,
                                                 Columns::MaximumThenMinimum})),
        gen::set(&GeneratedLayout::decimalMark, Any({DecimalMark::Point, DecimalMark::Comma})),
        gen::set(&GeneratedLayout::temperatureWord,
                 Any({TemperatureWord::Temp, TemperatureWord::Temperature,
                      TemperatureWord::FrenchTemperature})),
        gen::set(&GeneratedLayout::trailingSeparator, gen::arbitrary<bool>()),
        gen::set(&GeneratedLayout::dateOrderTitle,
                 Any({DateOrderTitle::None, DateOrderTitle::Right, DateOrderTitle::Contradicted})),
        gen::set(&GeneratedLayout::timeOrder,
                 Any({TimeOrder::OldestFirst, TimeOrder::NewestFirst})),
        gen::set(&GeneratedLayout::dataRows,
                 Any({DataRows::Readings, DataRows::WithEvents, DataRows::WithNanEvents,
                      DataRows::WithDashEvents, DataRows::WithComments, DataRows::WithEmptyLines,
                      DataRows::WithSensorErrors})),
        gen::set(&GeneratedLayout::afterData, Any({AfterData::Nothing, AfterData::TrailingText})),
        gen::set(&GeneratedLayout::dateOrderSource,
                 Any({DateOrderSource::Data, DateOrderSource::Option})),
        gen::set(&GeneratedLayout::decimals, gen::inRange(1, 3)));
    return gen::map(layout, &Consistent);
}

rc::Gen<GeneratedReadings> GenReadings(const GeneratedLayout &layout) {
    return rc::gen::exec([layout] {
        using namespace rc;
        GeneratedReadings readings;
        readings.year = *gen::inRange(2000, 2026);
        readings.month = *gen::inRange(1, 13);
        // Days above 12 all through, so that the dates alone tell day from month, unless the
        // option says the order; at most 4 days and a day of offset on, within any month.
        readings.day = layout.dateOrderSource == DateOrderSource::Data ? *gen::inRange(13, 21)
                                                                       : *gen::inRange(1, 21);
        readings.minuteOfDay = *gen::inRange(0, 1440);
        readings.intervalMinutes = *gen::elementOf(std::vector<int>{10, 15, 20, 30, 60, 120, 180});
        const int days = *gen::inRange(2, 5);
        const auto count = static_cast<std::size_t>(days * 1440 / readings.intervalMinutes);
        const int step = layout.decimals == 1 ? 10 : 1;
        for (int value : *gen::container<std::vector<int>>(count, gen::inRange(-3000, 4201)))
            readings.hundredths.push_back(value / step * step);
        for (int value : *gen::container<std::vector<int>>(count, gen::inRange(0, 301)))
            readings.spread.push_back(value / step * step);
        readings.event.assign(count, false);
        if (HasEvents(layout)) {
            // Neither the first row nor the last: the data starts and ends with readings.
            const int events = *gen::inRange(1, 4);
            for (int e = 0; e < events; ++e)
                readings.event[static_cast<std::size_t>(
                    *gen::inRange(1, static_cast<int>(count) - 1))] = true;
        }
        readings.breakAfter.assign(count, false);
        if (layout.dataRows == DataRows::WithComments ||
            layout.dataRows == DataRows::WithEmptyLines) {
            const int breaks = *gen::inRange(1, 4);
            for (int b = 0; b < breaks; ++b)
                readings.breakAfter[static_cast<std::size_t>(
                    *gen::inRange(0, static_cast<int>(count) - 1))] = true;
        }
        readings.error.assign(count, 0);
        if (layout.dataRows == DataRows::WithSensorErrors) {
            const std::vector<int> errors = ErrorsFor(layout);
            const int written = *gen::inRange(1, 5);
            bool spike = false;
            for (int e = 0; e < written; ++e) {
                const auto i = static_cast<std::size_t>(*gen::inRange(0, static_cast<int>(count)));
                const int error = *gen::elementOf(errors);
                // One spike at most: two side by side would not stand out from each other.
                if (error == kSpike && spike)
                    continue;
                spike = spike || error == kSpike;
                readings.error[i] = error;
            }
            // At least one reading stays besides the error values.
            readings.error[static_cast<std::size_t>(*gen::inRange(0, static_cast<int>(count)))] = 0;
        }
        return readings;
    });
}

std::string WriteFile(const GeneratedLayout &layout, const GeneratedReadings &readings) {
    const std::string text = TextOf(layout, readings);
    switch (layout.encoding) {
    case Encoding::Utf8:
        return text;
    case Encoding::Utf8WithMark:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Latin1:
        return Latin1FromUtf8(text);
    case Encoding::Utf16LittleEndianWithMark:
        return Utf16LittleEndianFromUtf8(text);
    }
    return text;
}

std::string ExportFormOf(const GeneratedLayout &layout, const GeneratedReadings &readings,
                         Series series) {
    std::string text = "Date\tValue\r\n";
    for (std::size_t i = 0; i < readings.hundredths.size(); ++i) {
        if ((HasEvents(layout) && readings.event[i]) || HasErrors(layout, readings, i))
            continue;
        const CivilDateTime t = CivilOf(MinuteOf(readings, i));
        const int value =
            readings.hundredths[i] + (series == Series::Maximum ? readings.spread[i] : 0);
        const int a = std::abs(value);
        text += Format("%02d/%02d/%04d %02d:%02d\t", t.month, t.day, t.year, t.hour, t.minute) +
                Signed(value < 0, Format("%d.%02d", a / 100, a % 100)) + "\r\n";
    }
    return text;
}

LoadOptions OptionsForFile(const GeneratedLayout &layout) {
    LoadOptions options;
    if (layout.titleRows == TitleRows::None) {
        const Fields fields = FieldsOf(layout);
        if (layout.columns == Columns::Temperature) {
            options.valueFieldChosen = true;
            options.valueField = fields.first;
        } else {
            options.tnField = fields.minimum;
            options.txField = fields.maximum;
        }
    }
    if (layout.dateOrderSource == DateOrderSource::Option)
        options.dateOrder = OrderOf(layout.stamp);
    return options;
}

LoadOptions OptionsForExportForm(const GeneratedLayout &layout) {
    LoadOptions options;
    if (layout.offset != StatedOffset::None)
        options.utcOffsetHours = static_cast<std::int16_t>(layout.offsetHours);
    if (TimestampsCarryTheirClock(layout.stamp))
        options.utcOffsetHours = 0;
    return options;
}

ExpectedLayout ExpectedLayoutOf(const GeneratedLayout &layout, const GeneratedReadings &readings) {
    ExpectedLayout expected;
    switch (layout.encoding) {
    case Encoding::Utf8:
    case Encoding::Utf8WithMark:
        expected.encoding = TextEncoding::Utf8;
        break;
    case Encoding::Latin1: {
        // Latin-1 only shows where some character is not ASCII.
        const std::string text = TextOf(layout, readings);
        const bool ascii = std::all_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        expected.encoding = ascii ? TextEncoding::Utf8 : TextEncoding::Latin1;
        break;
    }
    case Encoding::Utf16LittleEndianWithMark:
        expected.encoding = TextEncoding::Utf16LittleEndian;
        break;
    }
    expected.separator = SeparatorChar(layout.separator);
    expected.titleRows = layout.titleRows == TitleRows::One   ? 1
                         : layout.titleRows == TitleRows::Two ? 2
                                                              : 0;
    const Written written = WriteLines(layout, readings);
    expected.firstDataLine = written.firstDataLine;
    expected.lastDataLine = written.lastDataLine;
    expected.textRows = written.textRows;
    expected.firstTextRow = written.firstTextRow;
    expected.emptyRows = written.emptyRows;
    expected.linesAfter = written.linesAfter;
    expected.firstLineAfter = written.firstLineAfter;
    expected.datedLinesBefore = written.datedBefore;
    expected.firstDatedLineBefore = written.firstDatedBefore;
    switch (layout.stamp) {
    case Stamp::DateThenTime:
        expected.timestampKind = TimestampKind::DateThenTime;
        break;
    case Stamp::SixFields:
        expected.timestampKind = TimestampKind::SixFields;
        break;
    case Stamp::UnixSeconds:
        expected.timestampKind = TimestampKind::UnixSeconds;
        break;
    default:
        expected.timestampKind =
            StampCutAtBlanks(layout) ? TimestampKind::DateThenTime : TimestampKind::OneField;
        break;
    }
    const Fields fields = FieldsOf(layout);
    expected.timestampField = fields.timestamp;
    expected.dateOrder = OrderOf(layout.stamp);
    expected.yearFirst = expected.dateOrder == DateOrder::YearMonthDay;
    expected.titleOverruled = layout.dateOrderTitle == DateOrderTitle::Contradicted &&
                              layout.dateOrderSource == DateOrderSource::Data;
    if (layout.columns == Columns::Temperature) {
        expected.valueField = fields.first;
    } else {
        expected.valueField = fields.maximum;
        expected.tnField = fields.minimum;
    }
    expected.columnReason = layout.titleRows == TitleRows::None ? ColumnReason::Chosen
                            : layout.columns == Columns::Temperature
                                ? ColumnReason::Title
                                : ColumnReason::MinimumAndMaximum;
    if (layout.stamp == Stamp::IsoUtc || layout.stamp == Stamp::IsoWithOffset)
        expected.offsetSource = OffsetSource::Timestamps;
    else if (layout.stamp == Stamp::UnixSeconds)
        expected.offsetSource = OffsetSource::UnixSeconds;
    else if (layout.offset != StatedOffset::None) {
        expected.offsetSource = OffsetSource::Titles;
        expected.offsetSeconds = layout.offsetHours * 3600;
    }
    expected.unit = UnitOf(layout.unit);
    expected.unitFromValues = UnitInValues(layout.unit);
    expected.unitFromRange = layout.unit == Unit::KelvinUnnamed;
    if (HasEvents(layout))
        expected.events = std::count(readings.event.begin(), readings.event.end(), true);
    for (std::size_t i = 0; i < readings.hundredths.size(); ++i) {
        if (!HasErrors(layout, readings, i))
            continue;
        ++expected.errorRows;
        const int error = readings.error[i];
        // Each column's error value is told; a spike once, by its value in degrees C.
        const double value =
            error == kSpike ? 85.0 : kErrorNumbers[static_cast<std::size_t>(error)];
        const std::int64_t times =
            error != kSpike && layout.columns != Columns::Temperature ? 2 : 1;
        const auto told = std::find_if(expected.errorValues.begin(), expected.errorValues.end(),
                                       [&](const auto &entry) { return entry.first == value; });
        if (told == expected.errorValues.end())
            expected.errorValues.emplace_back(value, times);
        else
            told->second += times;
    }
    return expected;
}

std::string Describe(const GeneratedLayout &layout) {
    std::ostringstream text;
    text << "separator " << static_cast<int>(layout.separator) << ", quoting "
         << static_cast<int>(layout.quoting) << ", line end " << static_cast<int>(layout.lineEnd)
         << ", encoding " << static_cast<int>(layout.encoding) << ", before titles "
         << static_cast<int>(layout.beforeTitles) << " " << layout.settingsLines << ", title rows "
         << static_cast<int>(layout.titleRows) << ", record number " << layout.recordNumber
         << ", stamp " << static_cast<int>(layout.stamp) << ", unit "
         << static_cast<int>(layout.unit) << ", offset " << static_cast<int>(layout.offset) << " "
         << layout.offsetHours << " h, timestamp offset " << layout.timestampOffsetMinutes
         << " min, extras " << static_cast<int>(layout.extras) << ", temperature word "
         << static_cast<int>(layout.temperatureWord) << ", trailing separator "
         << layout.trailingSeparator << ", time order " << static_cast<int>(layout.timeOrder)
         << ", date order title " << static_cast<int>(layout.dateOrderTitle) << ", columns "
         << static_cast<int>(layout.columns) << ", decimal mark "
         << static_cast<int>(layout.decimalMark) << ", data rows "
         << static_cast<int>(layout.dataRows) << ", after data "
         << static_cast<int>(layout.afterData) << ", date order source "
         << static_cast<int>(layout.dateOrderSource) << ", decimals " << layout.decimals;
    return text.str();
}

void showValue(const GeneratedLayout &layout, std::ostream &os) {
    os << Describe(layout);
}

void showValue(const GeneratedReadings &readings, std::ostream &os) {
    os << readings.hundredths.size() << " readings from " << readings.year << "-" << readings.month
       << "-" << readings.day << " minute " << readings.minuteOfDay << " every "
       << readings.intervalMinutes << " min";
}

} // namespace pelk::generated
