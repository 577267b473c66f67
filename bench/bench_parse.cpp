// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an export: the step-by-step line parser against the allocation-free one, and the
// whole reader from memory and from a file, per line.
#include "bench/generated_export.h"
#include "climate/export_parser.h"
#include "climate/export_reader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace pelk::bench {
namespace {

struct Export {
    std::string text;
    std::vector<std::string_view> lines;
};

std::unique_ptr<const Export> BuildExport(std::int32_t readings) {
    auto e = std::make_unique<Export>();
    e->text = MakeExport(readings, 700);
    e->lines = DataLines(e->text); // views into the text, which stays where it is
    return e;
}

const Export &CachedExport(std::int32_t readings) {
    static const auto small = BuildExport(100'000);
    static const auto large = BuildExport(1'000'000);
    return readings == 100'000 ? *small : *large;
}

std::unique_ptr<ProgramTables> FrenchTables() {
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, ',');
    return tables;
}

void BM_StoreExportLine(benchmark::State &state) {
    const Export &e = CachedExport(static_cast<std::int32_t>(state.range(0)));
    auto tables = FrenchTables();
    for (auto _ : state) {
        std::int32_t next = 1;
        for (const std::string_view line : e.lines)
            StoreExportLine(line, next, *tables);
        benchmark::DoNotOptimize(next);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(e.lines.size()));
}

void BM_ParseExportLine_reference(benchmark::State &state) {
    const Export &e = CachedExport(static_cast<std::int32_t>(state.range(0)));
    auto tables = FrenchTables();
    std::string line;
    for (auto _ : state) {
        std::int32_t next = 1;
        for (const std::string_view text : e.lines) {
            line.assign(text);
            ParseExportLine(line, next, *tables);
        }
        benchmark::DoNotOptimize(next);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(e.lines.size()));
}

void BM_ReadExportBytes(benchmark::State &state) {
    const Export &e = CachedExport(static_cast<std::int32_t>(state.range(0)));
    auto tables = FrenchTables();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadExportBytes(e.text, *tables));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(e.lines.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(e.text.size()));
}

void BM_ReadExport_file(benchmark::State &state) {
    const Export &e = CachedExport(static_cast<std::int32_t>(state.range(0)));
    const auto path = std::filesystem::temp_directory_path() /
                      ("pelk_bench_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(path, std::ios::binary) << e.text;
    auto tables = FrenchTables();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadExport(path, *tables));
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(e.lines.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(e.text.size()));
}

BENCHMARK(BM_StoreExportLine)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseExportLine_reference)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadExportBytes)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadExport_file)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pelk::bench

BENCHMARK_MAIN();
