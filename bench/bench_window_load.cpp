// SPDX-License-Identifier: GPL-3.0-or-later
// The window measured, offscreen: from the file chosen to the rows painted, for a usual export
// and for a million readings, and one header click on 5000 rows to the list painted again.
#include "app/frm_pelk.h"
#include "app/qt_services.h"
#include "bench/generated_export.h"

#include "bench/offscreen_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>

#include <fstream>
#include <memory>

namespace pelk::bench {
namespace {

// The platform as a user who has already chosen `file` finds it; the clock on UTC.
class ChosenFileServices final : public WindowServices {
  public:
    explicit ChosenFileServices(QString file) : file_(std::move(file)) {}
    char localeSeparator() override { return ','; }
    ClockReading readClock() override { return {39512.5, 12, 12}; }
    std::optional<QString> chooseExportFile(QWidget *, const ExportFileRequest &) override {
        return file_;
    }
    std::optional<QString> chooseImageFile(QWidget *) override { return std::nullopt; }
    bool isWritableFolder(const QString &) override { return true; }
    QString lastFolder() override { return {}; }
    void setLastFolder(const QString &) override {}
    void showMessage(QWidget *, const QString &, const QString &, const QString &) override {}
    void endProgram(int) override {}
    Clipboard &clipboard() override { return clipboard_; }

  private:
    QString file_;
    QtClipboard clipboard_;
};

// An export of `readings` readings over `days` days, written once per size.
QString ExportFile(std::int32_t readings, std::int32_t days) {
    static QTemporaryDir folder;
    const QString path =
        folder.filePath(QStringLiteral("export-%1-%2.txt").arg(readings).arg(days));
    if (!QFile::exists(path)) {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << MakeExport(readings, days);
    }
    return path;
}

QTreeView *ListOf(FrmPelk &window) {
    return window.findChild<QTreeView *>(QStringLiteral("Lv"));
}

void BM_ChosenFileToRowsPainted(benchmark::State &state) {
    ChosenFileServices services(ExportFile(static_cast<std::int32_t>(state.range(0)),
                                           static_cast<std::int32_t>(state.range(1))));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<FrmPelk>(services);
        state.ResumeTiming();
        window->Form_Load();
        benchmark::DoNotOptimize(ListOf(*window)->viewport()->grab());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(state.range(0)) + " readings");
}

void BM_HeaderClickOn5000Rows(benchmark::State &state) {
    ChosenFileServices services(ExportFile(1'000'000, 5000));
    FrmPelk window(services);
    window.Form_Load();
    QTreeView *list = ListOf(window);
    list->viewport()->grab();
    int section = 1;
    for (auto _ : state) {
        window.Lv_ColumnClick(section);
        benchmark::DoNotOptimize(list->viewport()->grab());
        section = section % 2 + 1;
    }
}

BENCHMARK(BM_ChosenFileToRowsPainted)
    ->Args({4000, 28})
    ->Args({1'000'000, 700})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
BENCHMARK(BM_HeaderClickOn5000Rows)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

} // namespace
} // namespace pelk::bench
