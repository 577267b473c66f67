/// \file
/// The program's one window: the results list `Lv` and the buttons `Command1` (copy the list to
/// the clipboard) and `Command2` (quit), laid out at fixed positions. Once the window is on
/// screen, `Form_Load` asks for an export, loads it and fills the list; afterwards the window
/// only answers header clicks, the two buttons and its close button. Everything the window needs
/// of the platform comes through the `WindowServices` it is given.
#pragma once

#include "app/window_services.h"
#include "climate/export_reader.h"
#include "climate/load_pipeline.h"
#include "climate/tables.h"
#include "results/list_view.h"

#include <QWidget>

#include <memory>

class QMenu;
class QPushButton;
class QTreeView;

namespace pelk {

class ChartWindow;
class ListViewModel;
class SummaryWindow;

inline constexpr char kApplicationTitle[] = "PELK";
/// Exit status of a run ended by a malformed export line.
inline constexpr int kBadFormatExitStatus = 2;

/// The open-file dialog's filters; the second is selected when it opens.
QStringList ExportNameFilters();

class FrmPelk final : public QWidget {
    Q_OBJECT

  public:
    /// `services` must outlive the window; `options` come from the command line.
    explicit FrmPelk(WindowServices &services, LoadOptions options = {}, QWidget *parent = nullptr);
    ~FrmPelk() override;

    /// The load pipeline; runs once, by itself, right after the window is first shown.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    /// A click on the header of column `section` (0-based, as Qt counts).
    void Lv_ColumnClick(int section);

    /// The season windows, each opened over the current results (Ctrl+G, Ctrl+M, or the list's
    /// menu) and refreshed by every load.
    void openChart();
    void openSummary();
    /// The list's right-click menu.
    QMenu *listMenu() const { return listMenu_; }
    ChartWindow *chartWindow() const { return chartWindow_; }
    SummaryWindow *summaryWindow() const { return summaryWindow_; }

    const ListView &list() const { return list_; }
    bool loadDone() const { return loadDone_; }

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void buildControls();
    void keepSelectionInList();
    void refreshSeasonWindows();
    void restoreSelectionFromList();

    WindowServices &services_;
    LoadOptions options_;
    std::unique_ptr<ProgramTables> tables_; // large: kept off the stack, for the window's life
    ListView list_;
    ListViewModel *model_ = nullptr;
    QTreeView *lv_ = nullptr;
    QPushButton *command1_ = nullptr;
    QPushButton *command2_ = nullptr;
    QMenu *listMenu_ = nullptr;
    ChartWindow *chartWindow_ = nullptr;
    SummaryWindow *summaryWindow_ = nullptr;
    bool loadScheduled_ = false;
    bool loadStarted_ = false;
    bool loadDone_ = false;
};

} // namespace pelk
