// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The main of a benchmark program that drives widgets: Qt on the offscreen platform, so that it
/// runs without a display, then every registered benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
