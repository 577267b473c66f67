// SPDX-License-Identifier: GPL-3.0-or-later
// The season windows on 5000 days: from the results to the window drawn, offscreen.
#include "app/qt_services.h"
#include "app/season_windows.h"

#include "bench/offscreen_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cmath>

namespace pelk::bench {
namespace {

constexpr int kDays = 5000;

// Complete windows with a yearly swing, every 50th day's night window empty and every 7th day's
// window incomplete, so that the chart has breaks and hollow markers.
std::vector<DayFacts> SeasonDays() {
    std::vector<DayFacts> days(kDays);
    for (int i = 0; i < kDays; ++i) {
        const float swing = 10 * std::sin(static_cast<float>(i) / 58.1f);
        for (auto [window, value] :
             {std::pair{&days[i].night, swing}, std::pair{&days[i].day, swing + 9}}) {
            window->readingCount = 144;
            window->extreme = value;
            window->longestGapTo = (i % 7 == 0 ? 3.0 : 0.5) / 24;
        }
        if (i % 50 == 0)
            days[i].night.readingCount = 0;
    }
    return days;
}

void BM_OpenChartWindow(benchmark::State &state) {
    const std::vector<DayFacts> days = SeasonDays();
    QtWindowServices services;
    for (auto _ : state) {
        ChartWindow window(services);
        window.showSeason(ChartOfDays(39000, days, 60), ',');
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
}

void BM_OpenSummaryWindow(benchmark::State &state) {
    const std::vector<DayFacts> days = SeasonDays();
    QtWindowServices services;
    for (auto _ : state) {
        SummaryWindow window(services);
        window.showSummary(MonthlySummaryTable(SummariseMonths(39000, days, 60), ','));
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
}

BENCHMARK(BM_OpenChartWindow)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);
BENCHMARK(BM_OpenSummaryWindow)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

} // namespace
} // namespace pelk::bench
