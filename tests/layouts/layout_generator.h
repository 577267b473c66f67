// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Random files in the layouts that loggers write, for the property test of the layout reader:
/// a GeneratedLayout holds one small enum per trait, GeneratedReadings a few days of readings at
/// a regular interval, and WriteFile puts the readings into bytes in that layout. A new trait is
/// a new enum value (or a new field) here and a case in WriteFile and ExpectedLayoutOf; the
/// commented values are traits that the reader is being taught now, left for their authors.
#pragma once

#include "climate/date_time.h"
#include "climate/load_pipeline.h"
#include "layouts/layout.h"

#include <rapidcheck.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace pelk::generated {

enum class Separator {
    Tab,
    Semicolon,
    Comma,
    Blanks, ///< columns aligned with spaces, each value padded to its column's width
};

enum class Quoting { None, Titles, EveryField };

enum class LineEnd { CrLf, Lf, Cr };

enum class Encoding {
    Utf8,
    Utf8WithMark,
    Latin1, ///< the degree signs of the titles (or values) as single bytes
    Utf16LittleEndianWithMark
};

/// Lines of settings before the titles.
enum class BeforeTitles {
    Nothing,
    Settings, ///< 1 to 20 "key;value" lines without dates
    DatedNotes, ///< "Log Notes:", 1 to 4 dated notes in the data's timestamp form, an empty line
};

enum class TitleRows {
    One,
    Two, ///< each title cut in two, "Hi" above "Temp (°C)"
    None ///< the data from line 1 (after any settings); the columns chosen as --column does
};

enum class Stamp {
    DayMonthYear,       ///< 24/07/2020 21:00:00
    MonthDayYear,       ///< 07/24/2020 21:00
    YearMonthDayDashes, ///< 2020-07-24 21:00:00
    YearMonthDayDots,   ///< 2020.07.24 21:00
    DayMonthShortYear,  ///< 24/07/20 21:00:00
    MonthDayShortYear,  ///< 7/24/20 9:00
    TwelveHourDayFirst, ///< 24/07/2020 9:00:00 PM
    DateThenTime,       ///< 24.07.2020 beside 21:00:00
    IsoUtc,             ///< 2020-07-24T21:00:00Z
    IsoWithOffset,      ///< 2020-07-24T23:00:00+02:00
    UnixSeconds,        ///< 1595624400
    SixFields,          ///< 2020;7;24;21;0;0
    MonthNameEnglish,     ///< 24/Jul/2020 21:00:00
    MonthNameFrench,      ///< 24-juil.-2020 21:00
    MonthNameGerman,      ///< 24.Jul.2020 21:00
    MonthNameSpaced,      ///< 24 juillet 2020 21:00 (never with blanks between fields)
    TimeThenDate,         ///< 21:00:00 24/07/2020
    DateCommaTimeInField, ///< 24.07.20,21:00:00 inside one ';' field
    FractionOfSecond,     ///< 2020-07-24 21:00:00.5
    TwelveHourYearFirst,  ///< 2020-07-24 9:00:00 PM
};

enum class Unit {
    CelsiusUnnamed, ///< the title says "Temp" only
    CelsiusInTitle,
    FahrenheitInTitle,
    KelvinInTitle,
    CelsiusInValues, ///< "13.1 °C"
    FahrenheitInValues,
    KelvinInValues,
    KelvinUnnamed ///< kelvin under "Temp": the values alone say it
};

enum class StatedOffset {
    None,
    InTitle,      ///< "GMT+02:00" in the timestamp's title
    InTitleShort, ///< "UTC+2" in the timestamp's title
    InSettings    ///< "Time zone: UTC+2", the last of the settings lines
};

enum class TemperatureWord { Temp, Temperature, FrenchTemperature }; ///< "Température"

enum class Extras { None, Before, After, Both }; ///< humidity and battery beside the temperature

enum class Columns { Temperature, MinimumThenMaximum, MaximumThenMinimum };

enum class DecimalMark { Point, Comma }; ///< a comma only with ';'

enum class DataRows {
    Readings,
    WithEvents,     ///< a few rows whose temperature cell is empty
    WithNanEvents,  ///< ... or holds "NAN"
    WithDashEvents, ///< ... or holds "---"
    WithComments,     ///< "# probe moved", "// clock set"... between readings
    WithEmptyLines,   ///< empty lines between readings
    WithSensorErrors, ///< -270, -127, -200, -999.9, 9999, or an 85 spike, for a failed sensor
};

enum class AfterData {
    Nothing,
    TrailingText, ///< "download complete", "-- end of log --" after the last reading
};

enum class TimeOrder { OldestFirst, NewestFirst };

/// A date order spelt in the timestamp's title: "Date (DD/MM/YYYY)", right or not.
enum class DateOrderTitle { None, Right, Contradicted };

/// Whether the dates of the file decide their order or --date-order says it.
enum class DateOrderSource { Data, Option };

struct GeneratedLayout {
    Separator separator = Separator::Tab;
    Quoting quoting = Quoting::None;
    LineEnd lineEnd = LineEnd::CrLf;
    Encoding encoding = Encoding::Utf8;
    BeforeTitles beforeTitles = BeforeTitles::Nothing;
    int settingsLines = 0; ///< with Settings: 1 to 20; with DatedNotes: the notes, 1 to 4
    TitleRows titleRows = TitleRows::One;
    bool recordNumber = false; ///< "#" and 1, 2, 3... first
    Stamp stamp = Stamp::MonthDayYear;
    Unit unit = Unit::CelsiusUnnamed;
    StatedOffset offset = StatedOffset::None;
    int offsetHours = 0;            ///< with a stated offset
    int timestampOffsetMinutes = 0; ///< with IsoWithOffset
    Extras extras = Extras::None;
    TemperatureWord temperatureWord = TemperatureWord::Temp;
    bool trailingSeparator = false; ///< a separator at the end of each title and data line
    TimeOrder timeOrder = TimeOrder::OldestFirst;
    DateOrderTitle dateOrderTitle = DateOrderTitle::None;
    Columns columns = Columns::Temperature;
    DecimalMark decimalMark = DecimalMark::Point;
    DataRows dataRows = DataRows::Readings;
    AfterData afterData = AfterData::Nothing;
    DateOrderSource dateOrderSource = DateOrderSource::Data;
    int decimals = 2; ///< 1 or 2 decimals in degrees C
};

/// Readings of degrees C, each one `intervalMinutes` after the one before.
struct GeneratedReadings {
    int year = 2020;
    int month = 7;
    int day = 13;
    int minuteOfDay = 0;
    int intervalMinutes = 60;
    std::vector<int> hundredths; ///< the temperature, or its minimum; degrees C x 100
    std::vector<int> spread;     ///< the maximum less the minimum, x 100
    std::vector<bool> event;     ///< with WithEvents: the row has an empty temperature cell
    /// With WithComments or WithEmptyLines: a line of that kind follows the row written n-th.
    std::vector<bool> breakAfter;
    /// With WithSensorErrors: 0, or which error value the reading is (ErrorValueOf).
    std::vector<int> error;
};

/// The layout made consistent: traits that exclude each other are settled one way.
GeneratedLayout Consistent(GeneratedLayout layout);

rc::Gen<GeneratedLayout> GenLayout();
rc::Gen<GeneratedReadings> GenReadings(const GeneratedLayout &layout);

/// The file's bytes.
std::string WriteFile(const GeneratedLayout &layout, const GeneratedReadings &readings);
/// The file's text in UTF-8, with its line ends: the bytes before their encoding.
std::string TextOf(const GeneratedLayout &layout, const GeneratedReadings &readings);

/// The readings that the file places on the clock, written in the export form: the temperature
/// (or with minimum and maximum columns, the minimum or the maximum), events left out. Times
/// written with their own offset or as Unix seconds are given in UTC.
enum class Series { Temperature, Minimum, Maximum };
std::string ExportFormOf(const GeneratedLayout &layout, const GeneratedReadings &readings,
                         Series series);

/// The options that the reading of the file needs (--column, --date-order), and those that the
/// export form's reading needs to put its windows where the file's clock does (--utc-offset).
LoadOptions OptionsForFile(const GeneratedLayout &layout);
LoadOptions OptionsForExportForm(const GeneratedLayout &layout);

/// The facts of the layout that the reader must find.
struct ExpectedLayout {
    TextEncoding encoding = TextEncoding::Utf8;
    char separator = '\t';
    std::int64_t firstDataLine = 2;
    std::int64_t titleRows = 1;
    TimestampKind timestampKind = TimestampKind::OneField;
    std::int32_t timestampField = 1;
    std::optional<DateOrder> dateOrder; ///< nothing: no date pieces
    bool yearFirst = false;             ///< four digits first: decided so
    bool titleOverruled = false;        ///< the title names another order than the data
    std::int32_t valueField = 2;
    std::int32_t tnField = 0;
    ColumnReason columnReason = ColumnReason::Title;
    OffsetSource offsetSource = OffsetSource::Computer;
    int offsetSeconds = 0;
    WrittenUnit unit = WrittenUnit::Celsius; ///< Celsius also stands for None
    bool unitFromValues = false;
    std::int64_t events = 0;
    std::int64_t errorRows = 0; ///< readings written as a sensor's error value
    bool unitFromRange = false;
    std::int64_t lastDataLine = 0; ///< the last reading's line
    std::int64_t textRows = 0;
    std::int64_t firstTextRow = 0;
    std::int64_t emptyRows = 0;
    std::int64_t linesAfter = 0;
    std::int64_t firstLineAfter = 0;
    std::int64_t datedLinesBefore = 0;
    std::int64_t firstDatedLineBefore = 0;
    /// Each error value as written (an 85 spike in degrees C), with how many times it is told.
    std::vector<std::pair<double, std::int64_t>> errorValues;
};
ExpectedLayout ExpectedLayoutOf(const GeneratedLayout &layout, const GeneratedReadings &readings);

/// One line naming every trait, for a failing case's log.
std::string Describe(const GeneratedLayout &layout);
void showValue(const GeneratedLayout &layout, std::ostream &os);
void showValue(const GeneratedReadings &readings, std::ostream &os);

} // namespace pelk::generated
