// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/record.h"

#include "climate/daily_extremes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <future>
#include <system_error>
#include <thread>

namespace pelk {
namespace {

// What a file's load changes in the tables besides the readings, put back after each file so
// that every file is read as it would be alone.
struct LoadSettings {
    std::int16_t utcOffsetHours = 0;
    bool utcOffsetLocalByDate = false;
    bool windowFactsWanted = true;

    explicit LoadSettings(const ProgramTables &tables)
        : utcOffsetHours(tables.UtcOffsetHours), utcOffsetLocalByDate(tables.UtcOffsetLocalByDate),
          windowFactsWanted(tables.WindowFactsWanted) {}
    void restore(ProgramTables &tables) const {
        tables.UtcOffsetHours = utcOffsetHours;
        tables.UtcOffsetLocalByDate = utcOffsetLocalByDate;
        tables.WindowFactsWanted = windowFactsWanted;
        tables.NamedZone = nullptr;
        tables.MeasurementCount = 0;
        tables.DayCount = 0;
        tables.DayFactsTable.clear();
        tables.DailyLeftOut = {};
    }
};

std::string_view FirstLine(std::string_view bytes) {
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

// The first line of a file, at most an export line long; empty when it cannot be read.
std::string FirstLineOf(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kMaxDataLineLength, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return std::string(FirstLine(head));
}

// The titles of a file's columns say which logger (a serial number) and which sensors wrote it;
// in the export form, its first line, which is asked for only then.
template <typename FirstLineOfFile>
std::string LoggerTitles(const ExportLoad &load, FirstLineOfFile firstLine) {
    if (!load.layout)
        return std::string(firstLine());
    std::string titles;
    for (const std::string &title : load.layout->titles)
        titles.append(title).append("\t");
    return titles;
}

RecordFile TakeReadings(std::string name, ExportLoad load, const ProgramTables &tables,
                        std::string loggerTitles) {
    RecordFile file;
    file.name = std::move(name);
    const auto readings = tables.MeasurementTable.first(tables.MeasurementCount);
    file.readings.assign(readings.begin(), readings.end());
    file.maxima = std::move(load.facts.maximumValues);
    load.facts.maximumValues.clear();
    file.clock = {tables.UtcOffsetHours, tables.UtcOffsetLocalByDate,
                  tables.NamedZone && load.layout ? load.layout->zoneName : std::string()};
    file.loggerTitles = std::move(loggerTitles);
    if (!readings.empty()) {
        const auto [earliest, latest] = std::minmax_element(
            readings.begin(), readings.end(),
            [](const Measurement &a, const Measurement &b) { return a.Timestamp < b.Timestamp; });
        file.first = earliest->Timestamp;
        file.last = latest->Timestamp;
    }
    file.load = std::move(load);
    return file;
}

template <typename FirstLineOfFile>
RecordFileRead TakeFile(ExportLoad load, std::string name, FirstLineOfFile firstLine,
                        ProgramTables &tables, const LoadSettings &settings) {
    RecordFileRead read;
    if (load.read.status != ReadResult::Status::Loaded) {
        read.load = std::move(load);
    } else {
        std::string titles = LoggerTitles(load, firstLine);
        read.file = TakeReadings(std::move(name), std::move(load), tables, std::move(titles));
    }
    settings.restore(tables);
    return read;
}

std::int64_t WholeSecondsOf(DateTime value) {
    return std::llround(value * kSecondsPerDay);
}

DateTime FromWholeSeconds(std::int64_t seconds) {
    const std::int64_t day = seconds >= 0 ? seconds / kSecondsPerDay
                                          : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
    return MakeDateTime(day, static_cast<int>(seconds - day * kSecondsPerDay));
}

// The seconds a file's clock is ahead of UTC on a day of that clock.
OffsetOnDay OffsetOf(const RecordFile &file) {
    const std::shared_ptr<const ZoneRules> zone = file.load.zoneRules;
    if (!file.clock.zone.empty() && zone)
        return [zone](std::int64_t day) { return zone->offsetSecondsOn(day); };
    if (file.clock.localByDate)
        return ZoneOffsetSecondsOn;
    return FixedOffset(file.clock.hours);
}

// One reading of the record, with where it came from.
struct Entry {
    std::int64_t at = 0; ///< whole seconds on the record's time line
    DateTime time = 0;   ///< as the table will hold it
    float value = 0;
    float maximum = 0;
    std::uint32_t file = 0;
    std::int32_t index = 0; ///< 1-based, in its file's readings
};

std::vector<Entry> EntriesOf(const std::vector<RecordFile> &files, bool onUtc) {
    std::vector<Entry> entries;
    std::size_t total = 0;
    for (const RecordFile &file : files)
        total += file.readings.size();
    entries.reserve(total);
    for (std::size_t f = 0; f < files.size(); ++f) {
        const RecordFile &file = files[f];
        const OffsetOnDay offset = onUtc ? OffsetOf(file) : FixedOffset(0);
        for (std::size_t i = 0; i < file.readings.size(); ++i) {
            const Measurement &reading = file.readings[i];
            Entry entry;
            entry.at = WholeSecondsOf(reading.Timestamp);
            entry.time = reading.Timestamp;
            if (onUtc) {
                entry.at -= offset(CalendarDay(reading.Timestamp));
                entry.time = FromWholeSeconds(entry.at);
            }
            entry.value = reading.Value;
            entry.maximum = file.maxima.empty() ? reading.Value : file.maxima[i];
            entry.file = static_cast<std::uint32_t>(f);
            entry.index = static_cast<std::int32_t>(i) + 1;
            entries.push_back(entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.at < b.at; });
    return entries;
}

bool SameReading(const Entry &a, const Entry &b) {
    return a.value == b.value && a.maximum == b.maximum;
}

// Within the readings of one instant: a value that several files hold is kept as many times as
// the file that holds it most often has it (a file's own repeats are its own), so that files cut
// from one export give back that export. Marks the kept ones; tells a conflict.
void JudgeInstant(std::span<const Entry> group, std::vector<bool> &keep, std::size_t offset,
                  RecordConflicts &conflicts) {
    if (group.size() == 1)
        return;
    // The readings of one file stand together in the group, in file order (a stable sort of the
    // files' readings one file after another), so the copies before reading i come in runs, one
    // a file, its own file's last.
    for (std::size_t i = 0; i < group.size(); ++i) {
        std::size_t mostCopies = 0;
        std::size_t copies = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (j > 0 && group[j].file != group[j - 1].file) {
                mostCopies = std::max(mostCopies, copies);
                copies = 0;
            }
            copies += SameReading(group[j], group[i]) ? 1 : 0;
        }
        std::size_t rankInOwnFile = 0;
        if (i > 0 && group[i - 1].file == group[i].file)
            rankInOwnFile = copies;
        else
            mostCopies = std::max(mostCopies, copies);
        keep[offset + i] = rankInOwnFile >= mostCopies;
    }
    for (std::size_t i = 1; i < group.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (group[j].file != group[i].file && !SameReading(group[j], group[i])) {
                if (conflicts.count++ == 0) {
                    conflicts.firstInstant = group[i].time;
                    conflicts.firstFile = group[j].file;
                    conflicts.secondFile = group[i].file;
                    conflicts.firstValue = group[j].value;
                    conflicts.secondValue = group[i].value;
                }
                return;
            }
}

// The usual time between a file's readings: the median of its first steps.
std::int64_t UsualStepSeconds(const RecordFile &file) {
    std::vector<std::int64_t> steps;
    for (std::size_t i = 1; i < file.readings.size() && steps.size() < 1000; ++i)
        steps.push_back(WholeSecondsOf(file.readings[i].Timestamp) -
                        WholeSecondsOf(file.readings[i - 1].Timestamp));
    if (steps.empty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                     steps.end());
    return steps[steps.size() / 2];
}

// Between two files, a stretch without a reading longer than the gap limit and than twice
// either file's usual step: more than a logger read out a little late. A gap inside one file is
// that file's own, told by its windows.
class GapRule {
  public:
    GapRule(const Record &record, std::int32_t gapLimitMinutes)
        : limit_(std::int64_t{gapLimitMinutes} * 60) {
        for (const RecordFile &file : record.files)
            usualSteps_.push_back(UsualStepSeconds(file));
    }
    bool isGap(std::int64_t stretch, std::size_t before, std::size_t after) const {
        return stretch > limit_ && stretch > 2 * usualSteps_[before] &&
               stretch > 2 * usualSteps_[after];
    }

  private:
    std::int64_t limit_;
    std::vector<std::int64_t> usualSteps_;
};

void FindGaps(Record &record, const std::vector<Entry> &kept, const GapRule &rule) {
    for (std::size_t i = 1; i < kept.size(); ++i) {
        const Entry &before = kept[i - 1];
        const Entry &after = kept[i];
        if (before.file != after.file && rule.isGap(after.at - before.at, before.file, after.file))
            record.gaps.push_back({before.time, after.time, before.file, after.file});
    }
}

// Files on one clock, each in time order, each starting after the last one ended: nothing to
// sort and nothing two files can both hold, as when a logger is cleared at each read-out.
bool FilesFollowOneAnother(const Record &record) {
    if (record.onUtc)
        return false;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const std::vector<Measurement> &readings = record.files[i].readings;
        if (!std::is_sorted(readings.begin(), readings.end(),
                            [](const Measurement &a, const Measurement &b) {
                                return a.Timestamp < b.Timestamp;
                            }))
            return false;
        if (i > 0 && !readings.empty() &&
            !(WholeSecondsOf(record.files[i].first) > WholeSecondsOf(record.files[i - 1].last)))
            return false;
    }
    return true;
}

void RefuseAsTooMany(Record &record, std::size_t file, std::int32_t index) {
    record.refusedFile = file;
    record.refusal.status = ReadResult::Status::BadFormat;
    record.refusal.fault = LineFault::TooManyReadings;
    record.refusal.lineNumber = record.files[file].load.read.readingLines.lineOf(index);
}

// The files one after another, straight into the table; false when they hold too many readings.
bool CopyFollowingFiles(Record &record, ProgramTables &tables, const GapRule &gaps,
                        std::vector<float> &maxima, bool twoColumns) {
    const auto capacity = static_cast<std::int64_t>(MeasurementTableType::capacity());
    std::int64_t count = 0;
    for (std::size_t f = 0; f < record.files.size(); ++f) {
        const RecordFile &file = record.files[f];
        const auto size = static_cast<std::int64_t>(file.readings.size());
        if (count + size > capacity) {
            RefuseAsTooMany(record, f, static_cast<std::int32_t>(capacity - count + 1));
            return false;
        }
        if (f > 0 && size > 0) {
            const RecordFile &before = record.files[f - 1];
            if (gaps.isGap(WholeSecondsOf(file.first) - WholeSecondsOf(before.last), f - 1, f))
                record.gaps.push_back({before.last, file.first, f - 1, f});
        }
        count += size;
    }
    tables.MeasurementTable.expectEntries(count);
    std::int32_t at = 1;
    for (const RecordFile &file : record.files) {
        const auto size = static_cast<std::int32_t>(file.readings.size());
        std::copy(file.readings.begin(), file.readings.end(),
                  tables.MeasurementTable.entries(at, size).begin());
        at += size;
        if (!twoColumns)
            continue;
        if (file.maxima.empty())
            for (const Measurement &reading : file.readings)
                maxima.push_back(reading.Value);
        else
            maxima.insert(maxima.end(), file.maxima.begin(), file.maxima.end());
    }
    tables.MeasurementCount = static_cast<std::int32_t>(count);
    return true;
}

// Any files: every reading on one time line, sorted, each instant judged; false when they hold
// too many readings.
bool MergeAnyFiles(Record &record, ProgramTables &tables, const GapRule &gaps,
                   std::vector<float> &maxima, bool twoColumns) {
    const std::vector<Entry> entries = EntriesOf(record.files, record.onUtc);
    std::vector<bool> keep(entries.size(), true);
    for (std::size_t start = 0; start < entries.size();) {
        std::size_t end = start + 1;
        while (end < entries.size() && entries[end].at == entries[start].at)
            ++end;
        JudgeInstant(std::span(entries).subspan(start, end - start), keep, start, record.conflicts);
        start = end;
    }
    std::vector<Entry> kept;
    kept.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (keep[i])
            kept.push_back(entries[i]);
    record.repeated = static_cast<std::int64_t>(entries.size() - kept.size());
    FindGaps(record, kept, gaps);
    if (kept.size() > static_cast<std::size_t>(MeasurementTableType::capacity())) {
        const Entry &past = kept[static_cast<std::size_t>(MeasurementTableType::capacity())];
        RefuseAsTooMany(record, past.file, past.index);
        return false;
    }
    tables.MeasurementTable.expectEntries(static_cast<std::int64_t>(kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        tables.MeasurementTable.at(static_cast<std::int64_t>(i) + 1) = {kept[i].time,
                                                                        kept[i].value};
        if (twoColumns)
            maxima.push_back(kept[i].maximum);
    }
    tables.MeasurementCount = static_cast<std::int32_t>(kept.size());
    return true;
}

} // namespace

RecordFileRead ReadRecordFile(const std::filesystem::path &path, std::string name,
                              ProgramTables &tables, const LoadOptions &options) {
    const LoadSettings settings(tables);
    tables.WindowFactsWanted = false; // the record's days are computed once, at the end
    return TakeFile(
        LoadAnyExport(path, tables, options), std::move(name), [&] { return FirstLineOf(path); },
        tables, settings);
}

RecordFileRead ReadRecordFileBytes(std::string_view bytes, std::string name, ProgramTables &tables,
                                   const LoadOptions &options) {
    const LoadSettings settings(tables);
    tables.WindowFactsWanted = false;
    return TakeFile(
        LoadAnyExportBytes(bytes, tables, options), std::move(name),
        [&] { return FirstLine(bytes); }, tables, settings);
}

RecordFile RecordFileOf(std::string name, ExportLoad load, const ProgramTables &tables,
                        const std::filesystem::path &path) {
    std::string titles = LoggerTitles(load, [&] { return FirstLineOf(path); });
    return TakeReadings(std::move(name), std::move(load), tables, std::move(titles));
}

std::vector<RecordFileRead> ReadRecordFiles(const std::vector<NamedPath> &files,
                                            const LoadOptions &options,
                                            const std::function<void(ProgramTables &)> &prepare) {
    std::vector<RecordFileRead> read(files.size());
    std::atomic<std::size_t> next = 0;
    auto reader = [&] {
        auto tables = std::make_unique<ProgramTables>();
        prepare(*tables);
        for (std::size_t i = next++; i < files.size(); i = next++)
            read[i] = ReadRecordFile(files[i].path, files[i].name, *tables, options);
    };
    if (files.size() >= 2 && std::thread::hardware_concurrency() >= 2) {
        try {
            auto other = std::async(std::launch::async, reader);
            reader();
            other.get();
            return read;
        } catch (const std::system_error &) {
            // no thread to be had: one reader does it all, from where the files stand
        }
    }
    reader();
    return read;
}

Record MergeRecord(std::vector<RecordFile> files, ProgramTables &tables) {
    Record record;
    std::stable_sort(files.begin(), files.end(), [](const RecordFile &a, const RecordFile &b) {
        return a.readings.empty() != b.readings.empty() ? !a.readings.empty() : a.first < b.first;
    });
    record.files = std::move(files);
    if (record.files.empty())
        return record;
    const RecordFile &head = record.files.front();
    bool twoColumns = false;
    for (const RecordFile &file : record.files) {
        record.readingsRead += static_cast<std::int64_t>(file.readings.size());
        record.onUtc = record.onUtc || !(file.clock == head.clock);
        record.loggersDiffer = record.loggersDiffer || file.loggerTitles != head.loggerTitles;
        twoColumns = twoColumns || !file.maxima.empty();
    }
    tables.MeasurementCount = 0;
    tables.DayCount = 0;
    const GapRule gaps(record, tables.GapLimitMinutes);
    std::vector<float> maxima;
    const bool merged = FilesFollowOneAnother(record)
                            ? CopyFollowingFiles(record, tables, gaps, maxima, twoColumns)
                            : MergeAnyFiles(record, tables, gaps, maxima, twoColumns);
    if (!merged)
        return record;
    tables.UtcOffsetHours = record.onUtc ? 0 : head.clock.hours;
    tables.UtcOffsetLocalByDate = !record.onUtc && head.clock.localByDate;
    tables.NamedZone = record.onUtc || head.clock.zone.empty() ? nullptr : head.load.zoneRules;
    if (tables.MeasurementCount == 0)
        return record;
    if (twoColumns)
        ComputeDaysFromTwoColumns(tables, maxima);
    else
        ComputeDailyExtremes(tables);
    return record;
}

namespace {

std::string FrenchValue(float value, char decimalSeparator) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    std::string written = text;
    std::replace(written.begin(), written.end(), '.', decimalSeparator);
    return written;
}

std::string HowRead(const RecordFile &file) {
    if (!file.load.layout)
        return "au format d'export";
    const Layout &layout = *file.load.layout;
    const std::string separator = layout.separator == '\t' ? "tabulation"
                                  : layout.separator == ' '
                                      ? "blancs"
                                      : std::string("« ") + layout.separator + " »";
    return "dans sa propre mise en page (séparateur " + separator + ", données dès la ligne " +
           std::to_string(layout.firstDataLine) + ")";
}

} // namespace

std::string RecordAccount(const Record &record, char decimalSeparator) {
    std::string text =
        "Relevé de " + std::to_string(record.files.size()) + " fichiers, dans l'ordre du temps :\n";
    for (const RecordFile &file : record.files) {
        text += "– " + file.name + " : ";
        if (file.readings.empty())
            text += "aucun relevé";
        else
            text += "du " + FrenchDateTime(file.first) + " au " + FrenchDateTime(file.last) + ", " +
                    std::to_string(file.readings.size()) + " relevés";
        text += ", lu " + HowRead(file) + "\n";
    }
    text += "\n" + std::to_string(record.readingsCounted()) + " relevés comptés une fois";
    if (record.repeated > 0)
        text += " (" + std::to_string(record.repeated) + " présents aussi dans un autre fichier)";
    text += ".";
    if (const RecordConflicts &c = record.conflicts; c.count > 0)
        text += "\n" + std::to_string(c.count) +
                " instant(s) avec deux valeurs différentes, gardées toutes deux ; le premier : " +
                FrenchDateTime(c.firstInstant) + " (" + record.files[c.firstFile].name + " : " +
                FrenchValue(c.firstValue, decimalSeparator) + ", " +
                record.files[c.secondFile].name + " : " +
                FrenchValue(c.secondValue, decimalSeparator) + ").";
    for (const RecordGap &gap : record.gaps)
        text += "\nAucun relevé du " + FrenchShortDateTime(gap.from) + " au " +
                FrenchShortDateTime(gap.to) + " (entre " + record.files[gap.before].name + " et " +
                record.files[gap.after].name + ").";
    if (record.onUtc)
        text += "\nLes fichiers n'ont pas la même horloge : tous les relevés sont mis en UTC, et "
                "les jours sont des jours UTC.";
    if (record.loggersDiffer)
        text += "\nLes titres des fichiers diffèrent : un autre enregistreur, ou d'autres "
                "colonnes ?";
    return text;
}

} // namespace pelk
