// SPDX-License-Identifier: GPL-3.0-or-later
// The daily Tn/Tx computation: the plain per-day scans against the one-pass sweep, on 1-minute
// data over about 700 days and on the same counts spread over 5000 days.
#include "bench/generated_export.h"
#include "climate/daily_extremes.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace pelk::bench {
namespace {

const std::vector<Measurement> &CachedReadings(std::int32_t readings, std::int32_t days) {
    static std::map<std::pair<std::int32_t, std::int32_t>, std::vector<Measurement>> cache;
    auto &entry = cache[{readings, days}];
    if (entry.empty())
        entry = MakeReadings(readings, days);
    return entry;
}

void Label(benchmark::State &state) {
    state.SetLabel(std::to_string(state.range(0)) + " readings over " +
                   std::to_string(state.range(1)) + " days");
}

void BM_SweepDailyExtremes(benchmark::State &state) {
    const auto &readings = CachedReadings(static_cast<std::int32_t>(state.range(0)),
                                          static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SweepDailyExtremes(readings, FixedOffset(1)));
    Label(state);
}

// The pass as pelk-cli runs it without --details: the values alone.
void BM_SweepDailyExtremes_values_only(benchmark::State &state) {
    const auto &readings = CachedReadings(static_cast<std::int32_t>(state.range(0)),
                                          static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SweepDailyExtremes(readings, FixedOffset(1), false));
    Label(state);
}

void BM_ScanDailyExtremes_plain(benchmark::State &state) {
    const auto &readings = CachedReadings(static_cast<std::int32_t>(state.range(0)),
                                          static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanDailyExtremes(readings, FixedOffset(1)));
    Label(state);
}

// The whole step as the load runs it: the sweep plus the day labels and number texts.
void BM_ComputeDailyExtremes(benchmark::State &state) {
    const auto &readings = CachedReadings(static_cast<std::int32_t>(state.range(0)),
                                          static_cast<std::int32_t>(state.range(1)));
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, ',');
    tables->UtcOffsetHours = 1;
    for (std::size_t i = 0; i < readings.size(); ++i)
        tables->MeasurementTable.at(static_cast<std::int64_t>(i) + 1) = readings[i];
    tables->MeasurementCount = static_cast<std::int32_t>(readings.size());
    for (auto _ : state) {
        ComputeDailyExtremes(*tables);
        benchmark::DoNotOptimize(tables->DayCount);
    }
    Label(state);
}

void Sizes(benchmark::internal::Benchmark *b) {
    for (const std::int64_t days : {700, 5000})
        for (const std::int64_t readings : {100'000, 1'000'000})
            b->Args({readings, days});
}

BENCHMARK(BM_SweepDailyExtremes)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepDailyExtremes_values_only)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeDailyExtremes)->Apply(Sizes)->Unit(benchmark::kMillisecond);
// Seconds per run at the largest size: a few runs are enough to time it.
BENCHMARK(BM_ScanDailyExtremes_plain)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace pelk::bench

BENCHMARK_MAIN();
