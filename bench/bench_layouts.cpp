// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a logger's CSV against the same readings in the export form, whole and step by step:
// the text, its lines, the recognition and the reading with the layout found.
#include "bench/generated_export.h"
#include "climate/load_pipeline.h"
#include "climate/utc_offset.h"
#include "layouts/layout_reader.h"
#include "layouts/recognise.h"
#include "layouts/text.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace pelk::bench {
namespace {

constexpr std::int32_t kReadings = 1'000'000;
constexpr std::int32_t kDays = 700;

// MakeExport's readings as a station writes them: a preamble, a record number, ISO dates, the
// offset in a title, "," between fields.
std::string MakeCsv(std::int32_t readings, std::int32_t days) {
    std::string text = "Logger X\r\nNo,Date Time, GMT+01:00,Temp, \xC2\xB0"
                       "C\r\n";
    const std::string exportText = MakeExport(readings, days);
    std::int32_t number = 0;
    for (const std::string_view line : DataLines(exportText)) {
        // "MM/DD/YYYY HH:MM\tV" to "N,YYYY-MM-DD HH:MM:00,V"
        text.append(std::to_string(++number)).append(",");
        text.append(line.substr(6, 4)).append("-").append(line.substr(0, 2)).append("-");
        text.append(line.substr(3, 2)).append(line.substr(10, 6)).append(":00,");
        text.append(line.substr(17)).append("\r\n");
    }
    return text;
}

const std::string &Csv() {
    static const std::string text = MakeCsv(kReadings, kDays);
    return text;
}

const std::string &ExportForm() {
    static const std::string text = MakeExport(kReadings, kDays);
    return text;
}

// Tables prepared as the programs prepare them, on a computer at UTC.
std::unique_ptr<ProgramTables> PreparedTables() {
    auto tables = std::make_unique<ProgramTables>();
    ClockReading clock;
    clock.localNow = MakeDateTime(DayNumberFromCivil(2026, 1, 1), 12 * 3600);
    clock.localHour = clock.utcHour = 12;
    PrepareLoad(*tables, '.', clock);
    return tables;
}

void BM_LoadExportForm(benchmark::State &state) {
    auto tables = PreparedTables();
    ExportForm(); // made before the clock starts
    for (auto _ : state) {
        const ReadResult read = LoadExportBytes(ExportForm(), *tables);
        if (read.status != ReadResult::Status::Loaded || tables->MeasurementCount != kReadings)
            state.SkipWithError("the export did not load");
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}

void BM_LoadRecognisedCsv(benchmark::State &state) {
    auto tables = PreparedTables();
    Csv(); // made before the clock starts
    for (auto _ : state) {
        const ExportLoad load = LoadAnyExportBytes(Csv(), *tables, LoadOptions{});
        if (!load.layout || tables->MeasurementCount != kReadings)
            state.SkipWithError("the CSV did not load");
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}

void BM_DecodeText(benchmark::State &state) {
    Csv();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeText(Csv()).text().size());
}

void BM_SplitLines(benchmark::State &state) {
    Csv();
    for (auto _ : state)
        benchmark::DoNotOptimize(SplitLines(Csv()).size());
}

void BM_Recognise(benchmark::State &state) {
    const auto lines = SplitLines(Csv());
    for (auto _ : state) {
        const Recognition recognition =
            Recognise(lines, TextEncoding::Utf8, LayoutChoices{}, DayNumberFromCivil(2026, 1, 1));
        benchmark::DoNotOptimize(recognition.layout.firstDataLine);
    }
}

void BM_ReadWithLayout(benchmark::State &state) {
    const auto lines = SplitLines(Csv());
    const Layout layout =
        Recognise(lines, TextEncoding::Utf8, LayoutChoices{}, DayNumberFromCivil(2026, 1, 1))
            .layout;
    auto tables = PreparedTables();
    for (auto _ : state) {
        LayoutReadFacts facts;
        const ReadResult read = ReadWithLayout(lines, layout, *tables, facts);
        benchmark::DoNotOptimize(read.status);
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}

BENCHMARK(BM_LoadExportForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRecognisedCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recognise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWithLayout)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pelk::bench

BENCHMARK_MAIN();
