// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/recognise.h"

#include "layouts/vocabulary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>

namespace pelk {
namespace {

// Blanks last: tried only where no other separator finds the data.
constexpr std::array<char, 4> kSeparators = {'\t', ';', ',', FieldSplitter::kBlanks};
constexpr std::array<DateOrder, 3> kDateOrders = {DateOrder::DayMonthYear, DateOrder::MonthDayYear,
                                                  DateOrder::YearMonthDay};
// Enough lines to see past any preamble and judge the data's steadiness.
constexpr std::size_t kSampleLines = 2000;
// The data starts where this many lines in a row (most of them) hold a timestamp in one place.
constexpr std::size_t kConfirmingLines = 10;
constexpr std::size_t kMostTitleRows = 6;
// Remarks among the readings come a line or two at a time; more lines together end the data.
constexpr std::size_t kMostLinesAmongReadings = 5;

struct Place {
    TimestampKind kind = TimestampKind::OneField;
    std::int32_t field = 0; ///< 0: no timestamp
    bool operator==(const Place &) const = default;
};

bool DateValidSomeWay(const DatePieces &date) {
    for (const DateOrder order : kDateOrders)
        if (DayNumberOf(date, order, 2000))
            return true;
    return false;
}

bool InRange(std::string_view field, int lowest, int highest, std::size_t digits = 0) {
    const auto value = ParseSmallWholeNumber(field);
    return value && *value >= lowest && *value <= highest &&
           (digits == 0 || field.size() == digits);
}

// Year, month, day, hour and minute as whole numbers side by side, from field `i`.
bool SixFieldsAt(const std::vector<std::string_view> &fields, std::size_t i) {
    return i + 4 < fields.size() && InRange(fields[i], 1900, 2100, 4) &&
           InRange(fields[i + 1], 1, 12) && InRange(fields[i + 2], 1, 31) &&
           InRange(fields[i + 3], 0, 23) && InRange(fields[i + 4], 0, 59);
}

Place PlaceOf(const std::vector<std::string_view> &fields) {
    if (fields.size() < 2)
        return {};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto stamp = ParseStampPieces(fields[i]);
        if (!stamp || !DateValidSomeWay(stamp->date))
            continue;
        const auto field = static_cast<std::int32_t>(i + 1);
        if (stamp->secondsOfDay < 0 && i + 1 < fields.size() && ParseTimeOfDay(fields[i + 1]))
            return {TimestampKind::DateThenTime, field};
        return {TimestampKind::OneField, field};
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (SixFieldsAt(fields, i))
            return {TimestampKind::SixFields, static_cast<std::int32_t>(i + 1)};
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (ParseUnixSeconds(fields[i]))
            return {TimestampKind::UnixSeconds, static_cast<std::int32_t>(i + 1)};
    return {};
}

// The timestamp at field `field` alone (1-based), as the user named it.
Place PlaceAt(const std::vector<std::string_view> &fields, std::int32_t field) {
    const auto i = static_cast<std::size_t>(field) - 1;
    if (field < 1 || i >= fields.size())
        return {};
    if (const auto stamp = ParseStampPieces(fields[i]); stamp && DateValidSomeWay(stamp->date)) {
        if (stamp->secondsOfDay < 0 && i + 1 < fields.size() && ParseTimeOfDay(fields[i + 1]))
            return {TimestampKind::DateThenTime, field};
        return {TimestampKind::OneField, field};
    }
    if (SixFieldsAt(fields, i))
        return {TimestampKind::SixFields, field};
    if (ParseUnixSeconds(fields[i]))
        return {TimestampKind::UnixSeconds, field};
    return {};
}

struct SeparatorFit {
    char separator = '\t';
    std::size_t start = 0; ///< 0-based line of the first reading
    Place place;
    std::size_t score = 0; ///< sample lines of the data's shape in its run
    std::size_t end = 0;   ///< 0-based line after the data's last
};

// A line of the data's shape: a timestamp, and a number in some other field. Dated lines without
// one (a table of log notes, a logger's events) are no readings to judge the data by.
struct LineShape {
    Place place;
    bool reading = false;
    bool dataLike = false; ///< begins as data does, so it counts against a run it does not join
};

bool HasNumberBeside(const std::vector<std::string_view> &fields, const Place &place) {
    const auto first = static_cast<std::size_t>(place.field) - 1;
    const auto after = first + static_cast<std::size_t>(TimestampWidth(place.kind));
    for (std::size_t i = 0; i < fields.size(); ++i)
        if ((i < first || i >= after) && ParseValueText(fields[i]).number)
            return true;
    return false;
}

Place PlaceUnder(const std::vector<std::string_view> &fields, const LayoutChoices &choices) {
    return choices.timestampField ? PlaceAt(fields, *choices.timestampField) : PlaceOf(fields);
}

SeparatorFit FitSeparator(const std::vector<std::string_view> &lines, char separator,
                          const LayoutChoices &choices) {
    FieldSplitter splitter(separator);
    const std::size_t from =
        choices.firstDataLine
            ? static_cast<std::size_t>(std::clamp<std::int64_t>(
                  *choices.firstDataLine - 1, 0, static_cast<std::int64_t>(lines.size())))
            : 0;
    const std::size_t sample = std::min(lines.size(), from + kSampleLines);
    std::vector<LineShape> shapes(sample);
    for (std::size_t i = from; i < sample; ++i) {
        const auto &fields = splitter.split(lines[i]);
        LineShape &shape = shapes[i];
        shape.place = PlaceUnder(fields, choices);
        shape.reading = shape.place.field != 0 && HasNumberBeside(fields, shape.place);
        shape.dataLike = StartsLikeData(lines[i]);
    }
    SeparatorFit fit;
    fit.separator = separator;
    // The readings of the run from `start`, and where it ends: at a reading in another place, or
    // where more lines without a timestamp stand together than a few remarks would.
    auto runFrom = [&](std::size_t start) {
        std::size_t readings = 0;
        std::size_t undated = 0;
        std::size_t j = start;
        for (; j < sample; ++j) {
            if (!shapes[j].reading) {
                if (shapes[j].place.field == 0 && !TrimBlanks(lines[j]).empty() &&
                    ++undated > kMostLinesAmongReadings)
                    break;
                continue;
            }
            if (!(shapes[j].place == shapes[start].place))
                break;
            undated = 0;
            ++readings;
        }
        return std::pair{readings, j};
    };
    if (choices.firstDataLine) {
        // Where the user says the data starts, whatever the lines after it.
        if (from >= sample || shapes[from].place.field == 0)
            return fit;
        fit.start = from;
        fit.place = shapes[from].place;
        fit.score = std::max<std::size_t>(runFrom(from).first, 1);
        return fit;
    }
    // The data is the longest run of readings in one place. A run starts where most of the lines
    // that look like data hold a reading in that place, so that a stray dated line is no start.
    for (std::size_t i = 0; i < sample;) {
        if (!shapes[i].reading) {
            ++i;
            continue;
        }
        std::size_t seen = 0;
        std::size_t same = 0;
        for (std::size_t j = i; j < sample && seen < kConfirmingLines; ++j) {
            if (!shapes[j].reading && !shapes[j].dataLike && shapes[j].place.field == 0)
                continue;
            ++seen;
            same += shapes[j].place == shapes[i].place;
        }
        if (same * 10 < seen * 8) {
            ++i;
            continue;
        }
        const auto [readings, end] = runFrom(i);
        if (readings > fit.score) {
            fit.start = i;
            fit.place = shapes[i].place;
            fit.score = readings;
        }
        i = end;
    }
    return fit;
}

// A broken reading rather than a program's words: "03/15/2008 14:40;6" under TAB.
bool StartsWithDate(std::string_view line) {
    const std::size_t word = line.find_first_of(" \t;,");
    return ParseStampPieces(TrimBlanks(line.substr(0, word))).has_value();
}

// The last line of the data: after it, text, empty lines and lines too narrow to hold a timestamp
// where the data has it and a value (a program's closing words) are passed over.
std::size_t LastDataLine(const std::vector<std::string_view> &lines, const SeparatorFit &fit) {
    FieldSplitter splitter(fit.separator);
    const auto narrowest =
        static_cast<std::size_t>(std::max(fit.place.field + TimestampWidth(fit.place.kind) - 1, 2));
    std::size_t last = lines.size();
    while (last > fit.start + 1) {
        const std::string_view line = lines[last - 1];
        if (StartsLikeData(line) &&
            (splitter.split(line, narrowest).size() >= narrowest || StartsWithDate(line)))
            break;
        --last;
    }
    return last;
}

// A row of the preamble that holds values, not names: numbers, or a rule of dashes.
bool HoldsNoNames(const std::vector<std::string_view> &fields, bool &rule) {
    bool numbers = true;
    bool any = false;
    rule = true;
    for (const std::string_view field : fields) {
        if (field.empty())
            continue;
        any = true;
        numbers = numbers && ParseValueText(field).number.has_value();
        rule = rule && field.find_first_not_of("-=_ ") == std::string_view::npos;
    }
    rule = any && rule;
    return any && (numbers || rule);
}

std::vector<std::string> JoinTitles(const std::vector<std::string_view> &lines, std::size_t start,
                                    char separator, std::int64_t &titleRows) {
    FieldSplitter splitter(separator);
    std::vector<std::size_t> rows; // from the data upwards
    std::size_t width = 0;         // title rows are as wide as the one just above the data
    for (std::size_t row = start; row > 0 && start - row < kMostTitleRows; --row) {
        const auto &fields = splitter.split(lines[row - 1]);
        if (fields.size() < 2 || PlaceOf(fields).field != 0 ||
            (width != 0 && fields.size() != width))
            break;
        bool rule = false;
        if (HoldsNoNames(fields, rule)) {
            if (rule)
                continue; // a rule under the titles
            break;        // values of the preamble
        }
        width = fields.size();
        rows.push_back(row - 1);
    }
    titleRows = static_cast<std::int64_t>(rows.empty() ? 0 : start - rows.back());
    std::vector<std::string> titles;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const auto &fields = splitter.split(lines[*row]);
        if (titles.size() < fields.size())
            titles.resize(fields.size());
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (fields[c].empty())
                continue;
            if (!titles[c].empty())
                titles[c] += ' ';
            titles[c] += fields[c];
        }
    }
    return titles;
}

// Words that introduce a channel's name in the lines before the data: "# Channel 2: Temp (°C)",
// "[Sensor 3]" then "Name=Air temperature". Lower case.
constexpr std::array<std::string_view, 5> kChannelWords = {"channel", "kanal", "canal", "sensor",
                                                           "capteur"};
constexpr std::array<std::string_view, 3> kNameKeys = {"name", "nom", "bezeichnung"};

// "channel 2", "[sensor 3]": the number after a channel word at the start of `text` (after "#",
// "[" and blanks), and where the rest begins.
std::optional<std::pair<std::size_t, std::size_t>> ChannelNumberAt(std::string_view text) {
    std::size_t p = text.find_first_not_of("#[ \t;");
    if (p == std::string_view::npos)
        return std::nullopt;
    std::string lower;
    for (std::size_t i = p; i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]));
         ++i)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    if (std::find(kChannelWords.begin(), kChannelWords.end(), lower) == kChannelWords.end())
        return std::nullopt;
    p += lower.size();
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
        ++p;
    std::size_t number = 0;
    const std::size_t digits = p;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9')
        number = number * 10 + static_cast<std::size_t>(text[p++] - '0');
    if (p == digits || number == 0 || number > 4096)
        return std::nullopt;
    return std::pair{number, p};
}

// The names that the lines before the data give the channels, channel k being the k-th field
// after the timestamp; empty when they name none.
std::vector<std::string> ChannelNames(const std::vector<std::string_view> &lines, std::size_t start,
                                      std::int32_t firstAfter) {
    std::vector<std::string> titles;
    auto name = [&](std::size_t channel, std::string_view text) {
        const std::size_t field = static_cast<std::size_t>(firstAfter) - 1 + channel - 1;
        if (titles.size() <= field)
            titles.resize(field + 1);
        titles[field] = std::string(TrimBlanks(text));
    };
    std::size_t section = 0; // the channel of a "[Sensor 3]" section being read; 0: none
    for (std::size_t i = 0; i < start; ++i) {
        const std::string_view line = TrimBlanks(lines[i]);
        if (const auto channel = ChannelNumberAt(line)) {
            const std::string_view rest = line.substr(channel->second);
            const std::size_t colon = rest.find_first_of(":=");
            if (line.front() == '[') {
                section = channel->first;
            } else if (colon != std::string_view::npos &&
                       !TrimBlanks(rest.substr(colon + 1)).empty()) {
                name(channel->first, rest.substr(colon + 1));
                section = 0;
            }
            continue;
        }
        if (line.starts_with('['))
            section = 0;
        const std::size_t equals = line.find_first_of("=:");
        if (section == 0 || equals == std::string_view::npos)
            continue;
        std::string key(TrimBlanks(line.substr(0, equals)));
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (std::find(kNameKeys.begin(), kNameKeys.end(), key) != kNameKeys.end())
            name(section, line.substr(equals + 1));
    }
    return titles;
}

// A title row written after the data: the first line after it of as many fields as the data's
// first line, with no timestamp and no number.
std::vector<std::string> TitlesAfter(const std::vector<std::string_view> &lines,
                                     const SeparatorFit &fit) {
    FieldSplitter splitter(fit.separator);
    const std::size_t width = splitter.split(lines[fit.start]).size();
    for (std::size_t i = fit.end; i < lines.size(); ++i) {
        if (TrimBlanks(lines[i]).empty())
            continue;
        const auto &fields = splitter.split(lines[i]);
        bool rule = false;
        if (fields.size() != width || PlaceOf(fields).field != 0 || HoldsNoNames(fields, rule))
            return {};
        return {fields.begin(), fields.end()};
    }
    return {};
}

// The first hundred years in which a two-digit year puts `pieces` nearest to today without
// passing it; later years of the file fall within fifty years of it.
int TwoDigitYearBase(const DatePieces &pieces, DateOrder order, std::int64_t today) {
    const auto written = YearPieceOf(pieces, order);
    if (!written || *written >= 100)
        return 2000;
    const int todayYear = SplitDateTime(static_cast<DateTime>(today)).year;
    int year = todayYear - todayYear % 100 + *written;
    const auto day = DayNumberOf(pieces, order, year - year % 100);
    if (year > todayYear || (day && *day > today))
        year -= 100;
    return year - 50;
}

struct OrderFit {
    DateOrder order;
    bool valid = true;
    std::int64_t variation = 0; ///< days moved back and forth from one date to the next
    int twoDigitYearBase = 2000;
};

// The dates of the file as written, one entry each time the date changes from one line to the
// next: what the date order is judged by.
// Lines a step of the date scan jumps: a logger writes many lines a day, and a run of lines that
// starts and ends on the date last seen holds no other in a file in time order.
constexpr std::size_t kDateScanStep = 64;

std::vector<DatePieces> DateChanges(const std::vector<std::string_view> &lines,
                                    const SeparatorFit &fit) {
    const auto at = static_cast<std::size_t>(fit.place.field) - 1;
    std::vector<DatePieces> dates;
    FieldSplitter splitter(fit.separator);
    // The timestamp field of line `i`, and its date alone, so that the lines of one day compare
    // equal.
    auto dateOf = [&](std::size_t i, std::string_view &field) {
        const auto &fields = splitter.split(lines[i], at + 1);
        field = at < fields.size() ? fields[at] : std::string_view();
        std::size_t length = 0; // a plain loop: find_first_of searches its set for each byte
        while (length < field.size() && field[length] != ' ' && field[length] != 'T')
            ++length;
        return std::string(field.substr(0, length));
    };
    std::string previous;
    std::string_view field;
    for (std::size_t i = fit.start; i < fit.end;) {
        const std::size_t last = std::min(fit.end, i + kDateScanStep) - 1;
        if (!previous.empty() && dateOf(i, field) == previous && dateOf(last, field) == previous) {
            i = last + 1;
            continue;
        }
        for (; i <= last; ++i) {
            const std::string date = dateOf(i, field);
            if (date.empty() || date == previous)
                continue;
            previous = date;
            auto stamp = ParseStampPieces(date);
            if (!stamp)
                stamp = ParseStampPieces(field); // the time written before the date
            if (stamp && (dates.empty() || !(dates.back() == stamp->date)))
                dates.push_back(stamp->date);
        }
    }
    return dates;
}

OrderFit FitOrder(const std::vector<DatePieces> &dates, DateOrder order, std::int64_t today) {
    OrderFit fit{order};
    if (dates.empty())
        return fit;
    fit.twoDigitYearBase = TwoDigitYearBase(dates.front(), order, today);
    std::optional<std::int64_t> previous;
    for (const DatePieces &date : dates) {
        const auto day = DayNumberOf(date, order, fit.twoDigitYearBase);
        if (!day) {
            fit.valid = false;
            return fit;
        }
        if (previous)
            fit.variation += std::llabs(*day - *previous);
        previous = day;
    }
    return fit;
}

// Whether two orders give the very same days for every date of the file.
bool SameDays(const std::vector<DatePieces> &dates, const OrderFit &a, const OrderFit &b) {
    for (const DatePieces &date : dates)
        if (DayNumberOf(date, a.order, a.twoDigitYearBase) !=
            DayNumberOf(date, b.order, b.twoDigitYearBase))
            return false;
    return true;
}

void DecideDateOrder(const std::vector<std::string_view> &lines, const SeparatorFit &fit,
                     const LayoutChoices &choices, std::int64_t today, Recognition &recognition) {
    Layout &layout = recognition.layout;
    const std::vector<DatePieces> dates = DateChanges(lines, fit);
    if (choices.dateOrder) {
        layout.dateOrder = *choices.dateOrder;
        layout.dateOrderReason = DateOrderReason::Chosen;
        if (!dates.empty())
            layout.twoDigitYearBase = TwoDigitYearBase(dates.front(), layout.dateOrder, today);
        return;
    }
    if (dates.empty())
        return; // no date reads: the reader refuses the first line
    std::vector<OrderFit> fits;
    for (const DateOrder order : kDateOrders) {
        OrderFit orderFit = FitOrder(dates, order, today);
        if (orderFit.valid)
            fits.push_back(orderFit);
    }
    const std::string title = TitleOf(layout, layout.timestampField);
    const std::optional<DateOrder> named = DateOrderNamed(title);
    if (fits.empty()) {
        // Some date is impossible in every order: the reader refuses it at its line, under the
        // order that reads most dates, so that the line told is the one at fault.
        std::size_t mostValid = 0;
        layout.dateOrder = named.value_or(DateOrder::MonthDayYear);
        for (const DateOrder order : kDateOrders) {
            const int base = TwoDigitYearBase(dates.front(), order, today);
            const auto valid = static_cast<std::size_t>(
                std::count_if(dates.begin(), dates.end(), [&](const DatePieces &date) {
                    return DayNumberOf(date, order, base).has_value();
                }));
            if (valid > mostValid) {
                mostValid = valid;
                layout.dateOrder = order;
                layout.twoDigitYearBase = base;
            }
        }
        return;
    }
    auto take = [&](const OrderFit &chosen, DateOrderReason reason) {
        layout.dateOrder = chosen.order;
        layout.dateOrderReason = reason;
        layout.twoDigitYearBase = chosen.twoDigitYearBase;
        if (named && *named != chosen.order && reason != DateOrderReason::Irrelevant)
            layout.overruledTitleOrder = std::string(DateOrderText(*named));
        recognition.outcome = Recognition::Outcome::Recognised;
    };
    if (dates.front().firstDigits == 4) {
        for (const OrderFit &orderFit : fits)
            if (orderFit.order == DateOrder::YearMonthDay)
                return take(orderFit, DateOrderReason::YearFirst);
    }
    if (fits.size() == 1)
        return take(fits.front(), DateOrderReason::OnlyValid);
    std::sort(fits.begin(), fits.end(),
              [](const OrderFit &a, const OrderFit &b) { return a.variation < b.variation; });
    // Orders that give the same days as the best are no rival to it.
    std::vector<OrderFit> rivals;
    for (std::size_t k = 1; k < fits.size(); ++k)
        if (!SameDays(dates, fits.front(), fits[k]))
            rivals.push_back(fits[k]);
    if (rivals.empty())
        return take(fits.front(), DateOrderReason::Irrelevant);
    // Read the wrong way, a series jumps by months or years where it moves by a day.
    if (rivals.front().variation >= fits.front().variation + 2)
        return take(fits.front(), DateOrderReason::SteadyInTime);
    if (named) {
        for (const OrderFit &orderFit : fits)
            if (orderFit.order == *named && orderFit.variation == fits.front().variation)
                return take(orderFit, DateOrderReason::Title);
    }
    // The export form's own layout, only below an empty line where it stopped: its own order.
    if (fit.separator == '\t' && fit.place == Place{TimestampKind::OneField, 1} && fit.start >= 2) {
        for (const OrderFit &orderFit : fits)
            if (orderFit.order == DateOrder::MonthDayYear)
                return take(orderFit, DateOrderReason::ExportForm);
    }
    recognition.outcome = Recognition::Outcome::DateOrderUnknown;
    recognition.undecidedLine = static_cast<std::int64_t>(fit.start) + 1;
}

// Whether every non-empty cell of field `field` in the sample's data lines is a number, and one
// at least is.
struct NumberRange {
    std::size_t count = 0;
    double lowest = 0;
    double highest = 0;
};

// Values that can only be kelvin: an air temperature in degrees C or F never lies here whole.
constexpr double kKelvinLowest = 200;
constexpr double kKelvinHighest = 340;

bool HoldsNumbers(const std::vector<std::string_view> &lines, const SeparatorFit &fit,
                  std::int32_t field, WrittenUnit *unitSeen = nullptr,
                  NumberRange *range = nullptr) {
    FieldSplitter splitter(fit.separator);
    const std::size_t end = std::min(fit.end, fit.start + kSampleLines);
    const auto timestampAt = static_cast<std::size_t>(fit.place.field) - 1;
    bool number = false;
    for (std::size_t i = fit.start; i < end; ++i) {
        const auto &fields = splitter.split(lines[i]);
        if (timestampAt >= fields.size() || !StartsLikeData(fields[timestampAt]))
            continue; // a comment or a remark among the readings
        if (static_cast<std::size_t>(field) > fields.size())
            continue;
        const ValueText value = ParseValueText(fields[static_cast<std::size_t>(field) - 1]);
        if (value.empty)
            continue;
        if (!value.number)
            return false;
        if (unitSeen && value.unit != WrittenUnit::None)
            *unitSeen = value.unit;
        if (range) {
            range->lowest =
                range->count == 0 ? *value.number : std::min(range->lowest, *value.number);
            range->highest =
                range->count == 0 ? *value.number : std::max(range->highest, *value.number);
            ++range->count;
        }
        number = true;
    }
    return number;
}

void ChooseColumns(const std::vector<std::string_view> &lines, const SeparatorFit &fit,
                   const LayoutChoices &choices, Layout &layout) {
    const std::int32_t firstAfter = layout.timestampField + TimestampWidth(layout.timestampKind);
    auto isTimestamp = [&](std::int32_t field) {
        return field >= layout.timestampField && field < firstAfter;
    };
    if (choices.tnField || choices.txField) {
        layout.tnField = choices.tnField.value_or(choices.valueField.value_or(0));
        layout.valueField = choices.txField.value_or(choices.valueField.value_or(0));
        if (layout.tnField == 0)
            layout.tnField = layout.valueField;
        if (layout.valueField == 0)
            layout.valueField = layout.tnField;
        if (layout.tnField == layout.valueField)
            layout.tnField = 0;
        layout.columnReason = ColumnReason::Chosen;
        return;
    }
    if (choices.valueField) {
        layout.valueField = *choices.valueField;
        layout.columnReason = ColumnReason::Chosen;
        return;
    }
    const auto fieldCount = static_cast<std::int32_t>(layout.titles.size());
    std::vector<std::int32_t> temperatures;
    for (std::int32_t f = 1; f <= fieldCount; ++f)
        if (!isTimestamp(f) && NamesTemperature(TitleOf(layout, f)) && HoldsNumbers(lines, fit, f))
            temperatures.push_back(f);
    // A minimum and a maximum of the same quantity: the true extremes between readings.
    std::string minimumRest;
    std::string maximumRest;
    for (const std::int32_t low : temperatures) {
        if (ExtremeNamed(TitleOf(layout, low), minimumRest) != Extreme::Minimum)
            continue;
        for (const std::int32_t high : temperatures)
            if (ExtremeNamed(TitleOf(layout, high), maximumRest) == Extreme::Maximum &&
                maximumRest == minimumRest) {
                layout.tnField = low;
                layout.valueField = high;
                layout.columnReason = ColumnReason::MinimumAndMaximum;
                return;
            }
    }
    if (!temperatures.empty()) {
        // Where some columns state their unit and others do not, the unsaid one may be in
        // anything: a column that says it is taken.
        const auto stated = std::find_if(temperatures.begin(), temperatures.end(), [&](auto f) {
            return UnitNamed(TitleOf(layout, f)) != WrittenUnit::None;
        });
        layout.valueField = stated != temperatures.end() ? *stated : temperatures.front();
        layout.columnReason = ColumnReason::Title;
        return;
    }
    FieldSplitter splitter(fit.separator);
    const auto widest = static_cast<std::int32_t>(splitter.split(lines[fit.start]).size());
    for (std::int32_t f = firstAfter; f <= std::max(widest, fieldCount); ++f)
        if (HoldsNumbers(lines, fit, f)) {
            layout.valueField = f;
            layout.columnReason = ColumnReason::FirstNumbers;
            return;
        }
    layout.valueField = firstAfter;
    layout.columnReason = ColumnReason::FirstNumbers;
}

void ChooseUnit(const std::vector<std::string_view> &lines, const SeparatorFit &fit,
                const LayoutChoices &choices, Layout &layout) {
    if (choices.unit) {
        layout.unit = *choices.unit;
        return;
    }
    const std::int32_t field = layout.tnField != 0 ? layout.tnField : layout.valueField;
    const WrittenUnit named = UnitNamed(TitleOf(layout, field));
    if (named != WrittenUnit::None) {
        layout.unit = named;
        return;
    }
    WrittenUnit seen = WrittenUnit::None;
    NumberRange range;
    HoldsNumbers(lines, fit, field, &seen, &range);
    if (seen != WrittenUnit::None) {
        layout.unit = seen;
        layout.unitFromValues = true;
        return;
    }
    // Readings that all lie between 200 and 340 are no air temperature in degrees C or F, and
    // are one in kelvin (-73 to 67 degrees C).
    layout.unitFromRange =
        range.count > 0 && range.lowest >= kKelvinLowest && range.highest <= kKelvinHighest;
    layout.unit = layout.unitFromRange ? WrittenUnit::Kelvin : WrittenUnit::Celsius;
}

void ChooseOffset(const std::vector<std::string_view> &lines, const SeparatorFit &fit,
                  const LayoutChoices &choices, Layout &layout) {
    if (choices.offsetChosen) {
        layout.offsetSource = OffsetSource::Chosen;
        return;
    }
    if (layout.timestampKind == TimestampKind::UnixSeconds) {
        layout.offsetSource = OffsetSource::UnixSeconds;
        return;
    }
    FieldSplitter splitter(fit.separator);
    const auto &fields = splitter.split(lines[fit.start]);
    if (layout.timestampKind == TimestampKind::OneField) {
        const auto stamp =
            ParseStampPieces(fields[static_cast<std::size_t>(layout.timestampField) - 1]);
        if (stamp && stamp->offsetSeconds) {
            layout.offsetSource = OffsetSource::Timestamps;
            return;
        }
    }
    // The timestamp's own title first, then the others, then the lines before the data.
    std::vector<std::string> texts = {TitleOf(layout, layout.timestampField)};
    texts.insert(texts.end(), layout.titles.begin(), layout.titles.end());
    for (std::size_t i = 0; i < fit.start; ++i)
        texts.emplace_back(lines[i]);
    for (const std::string &text : texts) {
        // A zone by name ("GMT Standard Time", "(UTC+01:00) Amsterdam, Berlin") follows its
        // summer time, which the number beside it does not say.
        if (const auto zone = ZoneNamed(text)) {
            layout.offsetSource = OffsetSource::Zone;
            layout.zoneName = std::string(zone->zone);
            layout.offsetText = zone->text;
            return;
        }
        if (const auto stated = OffsetNamed(text)) {
            layout.offsetSource = OffsetSource::Titles;
            layout.offsetSeconds = stated->seconds;
            layout.offsetText = stated->text;
            return;
        }
    }
    layout.offsetSource = OffsetSource::Computer;
}

} // namespace

LayoutChoices PlainestChoices(const std::vector<std::string_view> &lines) {
    LayoutChoices guess;
    const std::size_t sample = std::min(lines.size(), kSampleLines);
    std::size_t mostAlike = 0;
    for (const char separator : kSeparators) {
        FieldSplitter splitter(separator);
        std::vector<std::size_t> linesOfWidth;
        for (std::size_t i = 0; i < sample; ++i) {
            const std::size_t width = splitter.split(lines[i]).size();
            if (width < 2)
                continue;
            if (linesOfWidth.size() <= width)
                linesOfWidth.resize(width + 1);
            ++linesOfWidth[width];
        }
        const std::size_t alike =
            linesOfWidth.empty() ? 0 : *std::max_element(linesOfWidth.begin(), linesOfWidth.end());
        if (alike > mostAlike) {
            mostAlike = alike;
            guess.separator = separator;
        }
    }
    if (!guess.separator)
        return guess;
    FieldSplitter splitter(*guess.separator);
    for (std::size_t i = 0; i < sample && !guess.firstDataLine; ++i)
        for (const std::string_view field : splitter.split(lines[i]))
            if (ParseStampPieces(field) || ParseUnixSeconds(field)) {
                guess.firstDataLine = static_cast<std::int64_t>(i) + 1;
                break;
            }
    return guess;
}

Recognition Recognise(const std::vector<std::string_view> &lines, TextEncoding encoding,
                      const LayoutChoices &choices, std::int64_t today) {
    Recognition recognition;
    SeparatorFit best;
    // The separator said, whatever it is ("|" typed in), else each that files use.
    std::vector<char> separators(kSeparators.begin(), kSeparators.end());
    if (choices.separator)
        separators = {*choices.separator};
    for (const char separator : separators) {
        // Blanks cut any line into words, a note's among them: they are the separator only where
        // no character separates the data.
        if (separator == FieldSplitter::kBlanks && best.score > 0)
            continue;
        const SeparatorFit fit = FitSeparator(lines, separator, choices);
        if (fit.score > best.score)
            best = fit;
    }
    if (best.score == 0) {
        recognition.guess = PlainestChoices(lines);
        return recognition;
    }
    // A reading before the data, in the place where the data holds its readings, would be passed
    // over in silence: such a file is no layout of its own but a broken one. Unless the user said
    // where the data starts.
    for (const char separator : kSeparators) {
        // Blanks cut a date from its time and a note into words: no ground to refuse on.
        if (choices.firstDataLine || separator == FieldSplitter::kBlanks)
            break;
        FieldSplitter splitter(separator);
        for (std::size_t i = 0; i < best.start; ++i) {
            const auto &fields = splitter.split(lines[i]);
            const Place place = PlaceUnder(fields, choices);
            if (place == best.place && HasNumberBeside(fields, place)) {
                // Under another separator it is a broken export's line: the export form says it.
                if (separator == best.separator)
                    recognition.readingBeforeData = static_cast<std::int64_t>(i) + 1;
                recognition.guess.separator = best.separator;
                recognition.guess.firstDataLine = static_cast<std::int64_t>(best.start) + 1;
                return recognition;
            }
        }
    }
    Layout &layout = recognition.layout;
    layout.encoding = encoding;
    layout.errorValuesKept = choices.keepErrorValues;
    layout.separator = best.separator;
    layout.firstDataLine = static_cast<std::int64_t>(best.start) + 1;
    best.end = LastDataLine(lines, best);
    layout.lastDataLine = static_cast<std::int64_t>(best.end);
    layout.titles = JoinTitles(lines, best.start, best.separator, layout.titleRows);
    layout.timestampKind = best.place.kind;
    layout.timestampField = best.place.field;
    // No title row above the data: the channels the preamble names, else a row written after.
    if (layout.titleRows == 0) {
        layout.titles = ChannelNames(lines, best.start,
                                     layout.timestampField + TimestampWidth(layout.timestampKind));
        if (layout.titles.empty())
            layout.titles = TitlesAfter(lines, best);
    }
    {
        FieldSplitter splitter(best.separator);
        const std::size_t end = std::min(lines.size(), best.start + kConfirmingLines);
        for (std::size_t i = best.start; i < end && !layout.quoted; ++i) {
            splitter.split(lines[i]);
            layout.quoted = splitter.sawQuotes();
        }
        for (std::size_t i = best.start - static_cast<std::size_t>(layout.titleRows);
             i < best.start && !layout.quoted; ++i) {
            splitter.split(lines[i]);
            layout.quoted = splitter.sawQuotes();
        }
    }
    recognition.outcome = Recognition::Outcome::Recognised;
    if (layout.timestampKind == TimestampKind::OneField ||
        layout.timestampKind == TimestampKind::DateThenTime) {
        recognition.outcome = Recognition::Outcome::NoLayout;
        DecideDateOrder(lines, best, choices, today, recognition);
        if (recognition.outcome == Recognition::Outcome::NoLayout)
            recognition.outcome = Recognition::Outcome::Recognised;
    } else {
        layout.dateOrder = DateOrder::YearMonthDay;
    }
    ChooseColumns(lines, best, choices, layout);
    ChooseUnit(lines, best, choices, layout);
    ChooseOffset(lines, best, choices, layout);
    return recognition;
}

} // namespace pelk
