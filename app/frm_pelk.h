// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The program's one window: the results list `Lv` and the buttons `Command1` (copy the list to
/// the clipboard) and `Command2` (quit), laid out at fixed positions. Once the window is on
/// screen, `Form_Load` loads the export named on the command line or asks for one, and fills the
/// list; afterwards the window answers header clicks, the two buttons, its close button, a file
/// dropped on it and Ctrl+O (the dialog again), either of which loads a file in place of the
/// list. Everything the window needs of the platform comes through the `WindowServices` it is
/// given.
#pragma once

#include "app/window_services.h"
#include "climate/export_reader.h"
#include "climate/load_pipeline.h"
#include "climate/tables.h"
#include "layouts/layout_reader.h"
#include "results/list_view.h"

#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QTreeView;

namespace pelk {

class ChartWindow;
class ListViewModel;
class SummaryWindow;

inline constexpr char kApplicationTitle[] = "PELK";
/// The refusal's second button: the reading dialog, to read the file otherwise.
inline constexpr char kReadOtherwiseButton[] = "Lire autrement…";
/// Exit status of a run ended by a malformed export line.
inline constexpr int kBadFormatExitStatus = 2;

/// The open-file dialog's filters; the second is selected when it opens.
QStringList ExportNameFilters();
/// What each of those filters lets through: "Tous les fichiers (*.*)" every name, dot or not.
QStringList ExportNamePatterns();

/// The folder the open-file dialog opens in: the program's own where the user may write (a
/// portable copy beside its exports), else that of the last file opened while it exists, else
/// the user's Documents on Windows, else the user's home.
QString DialogFolder(WindowServices &services, const QString &programFolder);

class FrmPelk final : public QWidget {
    Q_OBJECT

  public:
    /// `services` must outlive the window; `options` and `startupFile`, to load instead of asking
    /// for one, come from the command line.
    explicit FrmPelk(WindowServices &services, LoadOptions options = {},
                     std::optional<std::filesystem::path> startupFile = {},
                     QWidget *parent = nullptr);
    ~FrmPelk() override;

    /// The load pipeline; runs once, by itself, right after the window is first shown.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    /// A click on the header of column `section` (0-based, as Qt counts).
    void Lv_ColumnClick(int section);
    /// Ctrl+O: the dialog again, and the file chosen loaded in place of the list.
    void OpenAnother();
    /// Ctrl+Maj+O, or the list's menu: the dialog again, and the files chosen added to the
    /// record on screen (the file listed, or the files read together) instead of replacing it.
    void AddFiles();
    /// Several files named on the command line: read together as one record at start-up,
    /// instead of the dialog.
    void setStartupRecord(std::vector<std::filesystem::path> files);
    /// Ctrl+L, or the list's menu, for a file read in a layout of its own: how it was read, in
    /// the dialog that changes it; OK loads it again so, in place of the list.
    void ReadingOfTheFile();
    /// Ctrl+S, or the list's menu: the list, in its order, saved in the layout chosen; through a
    /// temporary file, so that a failed save leaves the old file whole, and says why.
    void SaveList();

    /// The season windows, each opened over the current results (Ctrl+G, Ctrl+M, or the list's
    /// menu) and refreshed by every load.
    void openChart();
    void openSummary();
    /// The list's right-click menu.
    QMenu *listMenu() const { return listMenu_; }
    ChartWindow *chartWindow() const { return chartWindow_; }
    SummaryWindow *summaryWindow() const { return summaryWindow_; }

    const ListView &list() const { return *list_; }
    bool loadDone() const { return loadDone_; }

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    /// One load of a file, into tables of its own.
    struct FileLoad {
        std::unique_ptr<ProgramTables> tables;
        ExportLoad load;
        LayoutChoices choices; ///< those it was read with
        bool chosen = false;   ///< read with choices the user made: nothing to tell of it
        std::optional<LayoutChoices> kept; ///< the logger's kept choices it was read with
        bool cancelled = false;            ///< the user closed the question it asked
    };
    /// One file of the record on screen, and what it is read with again when files are added.
    struct RecordEntry {
        std::filesystem::path path;
        std::optional<LayoutChoices> chosen; ///< the user's, or those kept for its logger
        LayoutChoices readWith;
        std::optional<Layout> layout; ///< when read in a layout of its own
    };
    struct LayoutAnswer {
        int result = 0; ///< the dialog's
        LayoutChoices choices;
    };

    void buildControls();
    void attachNewList();
    std::vector<std::filesystem::path> chooseFiles();
    /// Several files read as one record in place of the list; a file refused (unless read
    /// otherwise), unread or past the table's room leaves the list as it is.
    void openRecord(std::vector<RecordEntry> entries);
    void openFiles(const std::vector<std::filesystem::path> &files);
    /// Loads `file` in place of the list; a file refused or unread leaves the list as it is.
    void openInPlace(const std::filesystem::path &file);
    /// A load in place of the list when it read; its refusal told, the list kept otherwise.
    void showInPlace(const std::filesystem::path &file, FileLoad &&run);
    /// The choices `run` was read with, kept for its logger when they read the file.
    void keepChoices(const QString &layoutKey, const FileLoad &run);
    /// The file of the list whose reading Ctrl+L shows: the one listed, or one the user picks of
    /// a record; nothing when none was read in a layout of its own, or the user cancels.
    std::optional<std::size_t> fileToReadAgain();
    /// "Lecture du fichier…" offered while some file listed was read in a layout of its own.
    void showReadingAction();
    /// Reads `file` with the command line's choices, else those kept for its logger, else asks
    /// what the file cannot tell.
    FileLoad loadFile(const std::filesystem::path &file);
    FileLoad loadWith(const std::filesystem::path &file, const LayoutChoices &choices);
    LayoutAnswer askLayout(const std::filesystem::path &file, const LayoutChoices &choices,
                           const QString &question, bool account, const QString &layoutKey);
    /// Puts a loaded file in place of the list.
    void listLoad(const std::filesystem::path &file, FileLoad &&run, bool newList);
    /// How a file in a layout of its own was read, the first time its logger is met.
    std::string firstReadingNote(const FileLoad &run);
    void rememberFolderOf(const std::filesystem::path &file);
    /// The refusal, with "Lire autrement…" beside OK; whether the user asked to read it otherwise.
    bool showRefusal(const ReadResult &result, const QString &fileName = {});
    /// A refused file told, and read through the reading dialog when the user asks; whether it is
    /// listed now.
    bool refuseOrReadOtherwise(const std::filesystem::path &file, const FileLoad &run,
                               bool newList);
    void showLoaded(const ExportLoad &load, const std::string &howRead);
    void keepSelectionInList();
    void refreshSeasonWindows();
    template <typename Window> void openSeasonWindow(Window *&window);
    void restoreSelectionFromList();

    WindowServices &services_;
    LoadOptions options_;
    std::optional<std::filesystem::path> startupFile_;
    std::vector<std::filesystem::path> startupRecord_;
    char separator_ = '.';
    ClockReading clock_{};
    std::unique_ptr<ProgramTables> tables_; // large: kept off the stack, for the window's life
    std::unique_ptr<ListView> list_;
    ListViewModel *model_ = nullptr;
    QTreeView *lv_ = nullptr;
    QPushButton *command1_ = nullptr;
    QPushButton *command2_ = nullptr;
    QMenu *listMenu_ = nullptr;
    QAction *readingAction_ = nullptr;
    ChartWindow *chartWindow_ = nullptr;
    SummaryWindow *summaryWindow_ = nullptr;
    /// The files listed, one when read alone, and how each was read.
    std::vector<RecordEntry> listedRecord_;
    bool loadScheduled_ = false;
    bool loadStarted_ = false;
    bool loadDone_ = false;
};

} // namespace pelk
