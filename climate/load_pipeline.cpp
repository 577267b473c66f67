// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/load_pipeline.h"

#include "climate/daily_extremes.h"

#include <algorithm>
#include <charconv>

namespace pelk {
namespace {

// Some loggers export newest first; in time order the rule sees every reading of such a file.
void PutNewestFirstInTimeOrder(ProgramTables &tables, ReadResult &result) {
    const std::int32_t count = tables.MeasurementCount;
    if (!IsNewestFirst(tables.MeasurementTable.first(count)))
        return;
    for (std::int32_t low = 1, high = count; low < high; ++low, --high)
        std::swap(tables.MeasurementTable.at(low), tables.MeasurementTable.at(high));
    result.readingLines.noteReversed(count);
}

} // namespace

std::optional<std::string> SetLoadOption(LoadOptions &options, std::string_view option,
                                         std::string_view value) {
    auto wholeNumber = [&](int lowest, int highest) -> std::optional<int> {
        int number = 0;
        const char *const end = value.data() + value.size();
        const char *start = value.data();
        if (start != end && *start == '+')
            ++start; // "+2" reads as an offset is written
        const auto [stop, error] = std::from_chars(start, end, number);
        if (error != std::errc() || stop != end || start == end || number < lowest ||
            number > highest)
            return std::nullopt;
        return number;
    };
    if (option == kUtcOffsetOption) {
        if (value == "local-by-date") {
            options.utcOffsetLocalByDate = true;
            options.utcOffsetHours.reset();
            return std::nullopt;
        }
        const std::optional<int> hours = wholeNumber(-12, 14);
        if (!hours)
            return "bad --utc-offset value '" + std::string(value) +
                   "': use whole hours from -12 to 14, or local-by-date";
        options.utcOffsetHours = static_cast<std::int16_t>(*hours);
        options.utcOffsetLocalByDate = false;
        return std::nullopt;
    }
    if (option == kDateOrderOption) {
        if (value == "dmy")
            options.dateOrder = DateOrder::DayMonthYear;
        else if (value == "mdy")
            options.dateOrder = DateOrder::MonthDayYear;
        else if (value == "ymd")
            options.dateOrder = DateOrder::YearMonthDay;
        else
            return "bad --date-order value '" + std::string(value) + "': use dmy, mdy or ymd";
        return std::nullopt;
    }
    if (option == kTnColumnOption || option == kTxColumnOption) {
        const std::optional<int> field = wholeNumber(1, kLastField);
        if (!field || value.starts_with('+'))
            return "bad " + std::string(option) + " value '" + std::string(value) +
                   "': use a field number from 1 to " + std::to_string(kLastField);
        (option == kTnColumnOption ? options.tnField : options.txField) = *field;
        return std::nullopt;
    }
    if (option == kColumnOption) {
        const std::optional<int> field = wholeNumber(kDefaultValueField, kLastValueField);
        if (!field || value.starts_with('+'))
            return "bad --column value '" + std::string(value) +
                   "': use a field number from 2 to " + std::to_string(kLastValueField);
        options.valueField = *field;
        options.valueFieldChosen = true;
        return std::nullopt;
    }
    if (option == kMaxGapOption) {
        const std::optional<int> minutes = wholeNumber(0, 1'000'000);
        if (!minutes || value.starts_with('+'))
            return "bad --max-gap value '" + std::string(value) + "': use whole minutes, 0 or more";
        options.gapLimitMinutes = *minutes;
        return std::nullopt;
    }
    return "unknown option '" + std::string(option) + "'";
}

bool IsLoadOptionWithValue(std::string_view option) {
    for (const std::string_view known : {kUtcOffsetOption, kMaxGapOption, kDateOrderOption,
                                         kColumnOption, kTnColumnOption, kTxColumnOption})
        if (option == known)
            return true;
    return false;
}

std::optional<std::string> ParseLoadArguments(std::span<const std::string> args,
                                              LoadOptions &options,
                                              std::optional<std::string> &file) {
    std::vector<std::string> files;
    auto error = ParseLoadArguments(args, options, files);
    if (error)
        return error;
    if (files.size() > 1)
        return "unexpected argument '" + files[1] + "'";
    if (!files.empty())
        file = files.front();
    return std::nullopt;
}

std::optional<std::string> ParseLoadArguments(std::span<const std::string> args,
                                              LoadOptions &options,
                                              std::vector<std::string> &files) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with('-')) {
            files.emplace_back(arg);
            continue;
        }
        if (arg == kStrictOption || arg == kKeepErrorValuesOption) {
            (arg == kStrictOption ? options.strict : options.keepErrorValues) = true;
            continue;
        }
        const std::string_view name = arg.substr(0, arg.find('='));
        if (!IsLoadOptionWithValue(name))
            return "unexpected argument '" + std::string(arg) + "'";
        std::string_view value;
        if (name.size() < arg.size())
            value = arg.substr(name.size() + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            return std::string(name) + " needs a value";
        if (auto error = SetLoadOption(options, name, value))
            return error;
    }
    return std::nullopt;
}

void PrepareLoad(ProgramTables &tables, char localeSeparator, const ClockReading &clock,
                 const LoadOptions &options) {
    SetDecimalSeparators(tables, localeSeparator);
    DetectUtcOffset(tables, clock);
    if (options.utcOffsetHours)
        tables.UtcOffsetHours = *options.utcOffsetHours;
    tables.UtcOffsetLocalByDate = options.utcOffsetLocalByDate;
    tables.GapLimitMinutes = options.gapLimitMinutes;
    tables.ValueField = options.valueField;
}

namespace {

ReadResult ComputeDaysOfLoad(ProgramTables &tables, ReadResult result) {
    if (result.status == ReadResult::Status::Loaded && tables.MeasurementCount != 0) {
        PutNewestFirstInTimeOrder(tables, result);
        ComputeDailyExtremes(tables);
    }
    return result;
}

} // namespace

ReadResult LoadExport(const std::filesystem::path &path, ProgramTables &tables) {
    return ComputeDaysOfLoad(tables, ReadExport(path, tables));
}

ReadResult LoadExportBytes(std::string_view bytes, ProgramTables &tables) {
    return ComputeDaysOfLoad(tables, ReadExportBytes(bytes, tables));
}

} // namespace pelk
