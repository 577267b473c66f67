// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"

#include "layouts/layout_explanation.h"
#include "layouts/layout_reader.h"

#include "app/app_fonts.h"
#include "app/layout_dialog.h"
#include "app/list_view_model.h"
#include "app/season_windows.h"
#include "climate/load_pipeline.h"
#include "record/record.h"
#include "results/refusal_detail.h"
#include "results/results_list.h"
#include "results/season.h"
#include "results/trust_notes.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <exception>
#include <filesystem>

namespace pelk {
namespace {

// The layout, in pixels at 96 dots per inch; Qt scales it whole on denser screens.
constexpr QSize kClientSize{245, 480};
constexpr QRect kLvGeometry{0, 0, 244, 447};
constexpr QRect kCommand1Geometry{2, 451, 174, 25};
constexpr QRect kCommand2Geometry{190, 452, 51, 24};
constexpr QColor kBackground{255, 224, 192};

constexpr char kCommand1Text[] = "Copier dans le presse papier ";
constexpr char kCommand2Text[] = "Quitter";

// A path from Qt's file name, in the system's own encoding of names wherever it runs.
std::filesystem::path PathOf(const QString &file) {
    return std::filesystem::path(file.toStdU16String());
}

bool DateOrderUndecided(const ExportLoad &load) {
    return load.layout && load.read.status == ReadResult::Status::BadFormat &&
           load.read.fault == LineFault::DateOrderUnknown;
}

// A failing step of the load or of a click is passed over without a word; the window stays.
template <typename Step> void PassOverFailure(Step &&step) {
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

QStringList ExportNameFilters() {
    return {QStringLiteral("Tous les fichiers (*.*)"), QStringLiteral("Fichiers TXT(*.txt)"),
            QStringLiteral("Fichiers CSV (*.csv)"),
            QStringLiteral("Exports de capteurs (*.txt *.csv *.dat *.mon *.tsv)")};
}

QStringList ExportNamePatterns() {
    return {QStringLiteral("*"), QStringLiteral("*.txt"), QStringLiteral("*.csv"),
            QStringLiteral("*.txt *.csv *.dat *.mon *.tsv")};
}

QString DialogFolder(WindowServices &services, const QString &programFolder, bool firstDialog) {
    const QString last = services.lastFolder();
    const bool lastExists = !last.isEmpty() && QDir(last).exists();
    // A portable copy opens first beside its own exports, then where the user last was.
    if (services.isWritableFolder(programFolder) && (firstDialog || !lastExists))
        return programFolder;
    if (lastExists)
        return last;
#ifdef Q_OS_WIN
    // Installed under Program Files: where Windows users keep their files.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents;
#endif
    return QDir::homePath();
}

FrmPelk::FrmPelk(WindowServices &services, LoadOptions options,
                 std::optional<std::filesystem::path> startupFile, QWidget *parent)
    : QWidget(parent), services_(services), options_(options), startupFile_(std::move(startupFile)),
      tables_(std::make_unique<ProgramTables>()) {
    buildControls();
}

FrmPelk::~FrmPelk() {
    // The view and its adapter go before the list they show, the buttons before their style.
    delete lv_;
    delete model_;
    delete command1_;
    delete command2_;
}

void FrmPelk::buildControls() {
    setObjectName(QStringLiteral("FrmPelk"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/pelk/pelk.png")));
    resize(kClientSize);
    QPalette background = palette();
    background.setColor(QPalette::Window, kBackground);
    setPalette(background);
    setAutoFillBackground(true);

    lv_ = new QTreeView(this);
    lv_->setObjectName(QStringLiteral("Lv"));
    lv_->setGeometry(kLvGeometry);
    lv_->setFont(ListFont());
    lv_->setRootIsDecorated(false);
    lv_->setItemsExpandable(false);
    lv_->setUniformRowHeights(true);
    lv_->setSortingEnabled(false); // the list sorts itself, on our header-click handler
    lv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_->setAllColumnsShowFocus(true);
    QHeaderView *header = lv_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    attachNewList();

    auto *buttonStyle = new OverstrikeBoldStyle();
    buttonStyle->setParent(this);

    command1_ = new QPushButton(QString::fromLatin1(kCommand1Text), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(kCommand1Geometry);
    command1_->setFont(ButtonFont());
    command1_->setStyle(buttonStyle);

    command2_ = new QPushButton(QString::fromLatin1(kCommand2Text), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setGeometry(kCommand2Geometry);
    command2_->setFont(ButtonFont());
    command2_->setStyle(buttonStyle);

    setTabOrder(lv_, command1_);
    setTabOrder(command1_, command2_);
    lv_->setFocus();

    // The season at a glance, from the list's menu or the keyboard.
    listMenu_ = new QMenu(this);
    listMenu_->setObjectName(QStringLiteral("listMenu"));
    QAction *chart =
        listMenu_->addAction(QStringLiteral("Graphique Tn/Tx…"), this, &FrmPelk::openChart);
    chart->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    QAction *summary =
        listMenu_->addAction(QStringLiteral("Bilan mensuel…"), this, &FrmPelk::openSummary);
    summary->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    readingAction_ = listMenu_->addAction(QStringLiteral("Lecture du fichier…"), this,
                                          &FrmPelk::ReadingOfTheFile);
    readingAction_->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    readingAction_->setEnabled(false); // until a file is read in a layout of its own
    QAction *add =
        listMenu_->addAction(QStringLiteral("Ajouter des fichiers…"), this, &FrmPelk::AddFiles);
    add->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    addActions(
        {chart, summary, readingAction_, add}); // their keys work wherever the window has the focus
    listMenu_->addSeparator();
    listMenu_->addAction(QString::fromLatin1(kCommand1Text), this, &FrmPelk::Command1_Click);
    QAction *save =
        listMenu_->addAction(QStringLiteral("Enregistrer la liste…"), this, &FrmPelk::SaveList);
    save->setShortcut(QKeySequence::Save);
    addAction(save);
    lv_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lv_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { listMenu_->popup(lv_->viewport()->mapToGlobal(at)); });

    connect(command1_, &QPushButton::clicked, this, &FrmPelk::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &FrmPelk::Command2_Click);
    connect(header, &QHeaderView::sectionClicked, this, &FrmPelk::Lv_ColumnClick);

    setAcceptDrops(true);
    auto *open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &FrmPelk::OpenAnother);
}

void FrmPelk::attachNewList() {
    // The list as designed: report view, visible, three columns, no rows, not sorted.
    auto list = std::make_unique<ListView>();
    list->View = kReportView;
    list->setVisible(true);
    AddResultColumns(*list);
    auto *model = new ListViewModel(*list, this);
    QItemSelectionModel *oldSelection = lv_->selectionModel();
    lv_->setModel(model);
    // The view and its adapter leave the old list before it goes.
    delete oldSelection;
    delete model_;
    model_ = model;
    list_ = std::move(list);

    QHeaderView *header = lv_->header();
    for (std::int32_t column = 1; column <= list_->columnCount(); ++column)
        header->resizeSection(column - 1, list_->ColumnHeaders(column).widthPixels);
    header->setSortIndicatorShown(false);
    lv_->setVisible(list_->Visible());
    connect(model_, &ListViewModel::listAppearanceChanged, this,
            [this] { lv_->setVisible(list_->Visible()); });
    connect(lv_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FrmPelk::keepSelectionInList);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &FrmPelk::restoreSelectionFromList);
}

void FrmPelk::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (loadScheduled_)
        return;
    loadScheduled_ = true;
    // Once the window is on screen, behind the dialog that the load opens.
    QTimer::singleShot(0, this, &FrmPelk::Form_Load);
}

void FrmPelk::closeEvent(QCloseEvent *event) {
    event->accept();
    services_.endProgram(0);
}

void FrmPelk::Form_Load() {
    if (loadStarted_)
        return;
    loadStarted_ = true;

    PassOverFailure([this] {
        // Named steps: the separator is asked before the clock is read.
        separator_ = services_.localeSeparator();
        clock_ = services_.readClock();
        PrepareLoad(*tables_, separator_, clock_, options_);
    });

    std::vector<std::filesystem::path> chosen;
    if (startupFile_)
        chosen.push_back(*startupFile_);
    else if (!startupRecord_.empty())
        chosen = startupRecord_;
    else
        chosen = chooseFiles();
    if (chosen.size() > 1) {
        loadDone_ = true;
        openFiles(chosen);
        return;
    }
    if (chosen.empty()) {
        loadDone_ = true;
        return;
    }
    const std::optional<std::filesystem::path> file = chosen.front();

    FileLoad run = loadFile(*file);
    loadDone_ = true;
    if (run.cancelled) {
        rememberFolderOf(*file);
        return; // the question not answered: as a cancel
    }
    switch (run.load.read.status) {
    case ReadResult::Status::BadFormat:
        // Nothing of a malformed export is shown: the message, and a way to read it otherwise.
        // A file chosen in the first dialog then ends the program, as it always has; one named on
        // the command line (a double-click) leaves the window open, with the dialog at hand.
        rememberFolderOf(*file);
        if (!refuseOrReadOtherwise(*file, run, false) && !startupFile_)
            services_.endProgram(kBadFormatExitStatus);
        return;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        return; // as a cancel: the empty list, no message
    case ReadResult::Status::Loaded:
        break;
    }
    listLoad(*file, std::move(run), false);
}

std::vector<std::filesystem::path> FrmPelk::chooseFiles() {
    const QStringList filters = ExportNameFilters();
    // The type the user last chose, else the export's own, the text files.
    const QString kept = services_.lastFilter();
    const bool firstDialog = !loadDone_;
    const QStringList files = services_.chooseExportFiles(
        this, {DialogFolder(services_, QCoreApplication::applicationDirPath(), firstDialog),
               filters, ExportNamePatterns(), filters.contains(kept) ? kept : filters.at(1)});
    std::vector<std::filesystem::path> paths;
    for (const QString &file : files)
        paths.push_back(PathOf(file));
    return paths;
}

void FrmPelk::setStartupRecord(std::vector<std::filesystem::path> files) {
    startupRecord_ = std::move(files);
}

void FrmPelk::OpenAnother() {
    if (!loadDone_)
        return;
    openFiles(chooseFiles());
}

void FrmPelk::AddFiles() {
    if (!loadDone_)
        return;
    const std::vector<std::filesystem::path> added = chooseFiles();
    if (added.empty())
        return;
    std::vector<RecordEntry> entries = listedRecord_;
    for (const std::filesystem::path &file : added)
        entries.push_back({file, {}, {}, {}});
    openRecord(std::move(entries));
}

void FrmPelk::openFiles(const std::vector<std::filesystem::path> &files) {
    if (files.size() == 1) {
        openInPlace(files.front());
        return;
    }
    std::vector<RecordEntry> entries;
    for (const std::filesystem::path &file : files)
        entries.push_back({file, {}, {}, {}});
    if (!entries.empty())
        openRecord(std::move(entries));
}

void FrmPelk::dragEnterEvent(QDragEnterEvent *event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (loadDone_ && !urls.isEmpty() && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void FrmPelk::dropEvent(QDropEvent *event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!loadDone_ || urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    // Several files dropped at once are read together.
    std::vector<std::filesystem::path> files;
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            files.push_back(PathOf(url.toLocalFile()));
    openFiles(files);
}

void FrmPelk::openInPlace(const std::filesystem::path &file) {
    // Read into tables of its own, so that a refused file leaves the list and its tables whole.
    showInPlace(file, loadFile(file));
}

void FrmPelk::showInPlace(const std::filesystem::path &file, FileLoad &&run) {
    if (run.cancelled) {
        rememberFolderOf(file);
        return;
    }
    switch (run.load.read.status) {
    case ReadResult::Status::BadFormat:
        rememberFolderOf(file);
        refuseOrReadOtherwise(file, run, true);
        return;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        return;
    case ReadResult::Status::Loaded:
        break;
    }
    listLoad(file, std::move(run), true);
}

FrmPelk::FileLoad FrmPelk::loadWith(const std::filesystem::path &file,
                                    const LayoutChoices &choices) {
    FileLoad run;
    run.choices = choices;
    run.load.read.status = ReadResult::Status::ReadFailed;
    PassOverFailure([&] {
        run.tables = std::make_unique<ProgramTables>();
        const LoadOptions options = WithChosenOffset(options_, choices);
        PrepareLoad(*run.tables, separator_, clock_, options);
        run.load = LoadAnyExport(file, *run.tables, options, choices);
    });
    return run;
}

FrmPelk::FileLoad FrmPelk::loadFile(const std::filesystem::path &file) {
    const LayoutChoices said = ChoicesFromOptions(options_);
    FileLoad run = loadWith(file, said);
    if (!run.load.layout)
        return run; // the export form, or no layout at all
    const QString key = QString::fromStdString(LayoutKey(*run.load.layout));
    const QString keptText = key.isEmpty() ? QString() : services_.keptLayout(key);
    if (const auto kept =
            keptText.isEmpty() ? std::nullopt : ChoicesFromText(keptText.toStdString())) {
        // A logger's kept choices that no longer read its file give way to a fresh look.
        FileLoad withKept = loadWith(file, OverruledBy(*kept, said));
        withKept.chosen = true;
        withKept.kept = kept;
        if (withKept.load.read.status == ReadResult::Status::Loaded)
            return withKept;
    }
    if (!DateOrderUndecided(run.load))
        return run;
    LayoutChoices asked = run.choices;
    asked.dateOrder = DateOrder::DayMonthYear; // the order of the French users Pelk is made for
    const LayoutAnswer answer = askLayout(
        file, asked,
        QStringLiteral("Jour ou mois en premier ? Les dates de ce fichier se lisent dans les deux "
                       "ordres (ligne %1).")
            .arg(run.load.read.lineNumber),
        false, key);
    if (answer.result != QDialog::Accepted) {
        run.cancelled = true;
        return run;
    }
    FileLoad answered = loadWith(file, answer.choices);
    answered.chosen = true;
    keepChoices(key, answered);
    return answered;
}

FrmPelk::LayoutAnswer FrmPelk::askLayout(const std::filesystem::path &file,
                                         const LayoutChoices &choices, const QString &question,
                                         bool account, const QString &layoutKey) {
    LayoutAnswer answer;
    answer.result = QDialog::Rejected;
    PassOverFailure([&] {
        const std::unique_ptr<const FileText> text = ReadFileText(file);
        if (!text)
            return; // gone since: as a cancel
        LayoutDialog dialog(*text, choices, CalendarDay(tables_->StartTime), separator_, this);
        dialog.setQuestion(question);
        dialog.setComputerOffsetHours(tables_->ZoneOffsetHours);
        if (account)
            dialog.showAccount();
        if (!layoutKey.isEmpty() && !services_.keptLayout(layoutKey).isEmpty())
            dialog.offerToForget();
        answer.result = services_.execDialog(dialog);
        answer.choices = dialog.choices();
        if (answer.result == QDialog::Accepted && !dialog.canLoad())
            answer.result = QDialog::Rejected; // OK stands greyed then; a fake may press it anyway
    });
    return answer;
}

std::optional<std::size_t> FrmPelk::fileToReadAgain() {
    // Of the files listed, those read in a layout of their own; the user picks one of several.
    QStringList names;
    std::vector<std::size_t> files;
    for (std::size_t i = 0; i < listedRecord_.size(); ++i)
        if (listedRecord_[i].layout) {
            names << QString::fromStdU16String(listedRecord_[i].path.filename().u16string());
            files.push_back(i);
        }
    if (files.empty())
        return std::nullopt;
    const std::optional<int> pick =
        files.size() == 1 ? std::optional<int>(0)
                          : services_.chooseItem(this, QStringLiteral("Lecture du fichier"),
                                                 QStringLiteral("Fichier :"), names);
    if (!pick || *pick < 0 || static_cast<std::size_t>(*pick) >= files.size())
        return std::nullopt;
    return files[static_cast<std::size_t>(*pick)];
}

void FrmPelk::ReadingOfTheFile() {
    if (!loadDone_)
        return;
    const std::optional<std::size_t> which = fileToReadAgain();
    if (!which)
        return;
    std::vector<RecordEntry> entries = listedRecord_;
    RecordEntry &entry = entries[*which];
    const QString key = QString::fromStdString(LayoutKey(*entry.layout));
    const LayoutAnswer answer = askLayout(entry.path, entry.readWith, {}, true, key);
    if (answer.result == kForgetLayoutResult) {
        PassOverFailure([&] {
            services_.keepLayout(key, {});
            services_.setLayoutMet(key, false);
        });
        entry.chosen.reset(); // read afresh, as the first time
    } else if (answer.result == QDialog::Accepted) {
        entry.chosen = answer.choices;
    } else {
        return; // Annuler: the list as it was
    }
    if (entries.size() > 1) {
        if (entry.chosen)
            PassOverFailure([&] {
                services_.keepLayout(key, QString::fromStdString(ChoicesText(*entry.chosen)));
            });
        openRecord(std::move(entries));
        return;
    }
    FileLoad run = entry.chosen ? loadWith(entry.path, *entry.chosen) : loadFile(entry.path);
    if (entry.chosen) {
        run.chosen = true;
        keepChoices(key, run);
    }
    showInPlace(entry.path, std::move(run));
}

void FrmPelk::showReadingAction() {
    readingAction_->setEnabled(
        std::any_of(listedRecord_.begin(), listedRecord_.end(),
                    [](const RecordEntry &e) { return e.layout.has_value(); }));
}

void FrmPelk::keepChoices(const QString &layoutKey, const FileLoad &run) {
    if (layoutKey.isEmpty() || run.load.read.status != ReadResult::Status::Loaded)
        return; // nothing to know the logger by, or choices that read nothing
    PassOverFailure(
        [&] { services_.keepLayout(layoutKey, QString::fromStdString(ChoicesText(run.choices))); });
}

void FrmPelk::listLoad(const std::filesystem::path &file, FileLoad &&run, bool newList) {
    rememberFolderOf(file);
    tables_ = std::move(run.tables);
    listedRecord_ = {{file, run.chosen ? std::optional(run.choices) : std::nullopt, run.choices,
                      run.load.layout}};
    showReadingAction();
    if (newList)
        attachNewList();
    showLoaded(run.load, firstReadingNote(run));
}

std::string FrmPelk::firstReadingNote(const FileLoad &run) {
    std::string note;
    if (run.load.layout && run.kept) {
        // Titles that name no logger may be another logger's: what was kept is said each time.
        PassOverFailure([&] { note = KeptReadingNotice(*run.load.layout, *run.kept); });
        return note;
    }
    if (!run.load.layout || run.chosen)
        return note;
    PassOverFailure([&] {
        const QString key = QString::fromStdString(LayoutKey(*run.load.layout));
        // A file without titles cannot be known again: it is told every time.
        if (!key.isEmpty() && services_.layoutMet(key))
            return;
        note = LayoutExplanation(*run.load.layout, run.load.facts, tables_->ZoneOffsetHours);
        if (!key.isEmpty())
            services_.setLayoutMet(key, true);
    });
    return note;
}

void FrmPelk::rememberFolderOf(const std::filesystem::path &file) {
    PassOverFailure([&] {
        const std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
        services_.setLastFolder(QString::fromStdU16String(folder.u16string()));
    });
}

bool FrmPelk::showRefusal(const ReadResult &result, const QString &fileName) {
    std::string detail;
    PassOverFailure([&] { detail = RefusalDetail(result); });
    QString shown = QString::fromStdString(detail);
    if (!fileName.isEmpty())
        shown = QStringLiteral("Fichier « %1 » : ").arg(fileName) + shown;
    return services_.showMessageOffering(this, QString::fromLatin1(kBadFormatMessage),
                                         QString::fromLatin1(kApplicationTitle), shown,
                                         QString::fromUtf8(kReadOtherwiseButton));
}

void FrmPelk::openRecord(std::vector<RecordEntry> entries) {
    if (entries.size() == 1 && !entries.front().chosen) {
        openInPlace(entries.front().path);
        return;
    }
    std::vector<RecordFile> files;
    for (RecordEntry &entry : entries) {
        const QString name = QString::fromStdU16String(entry.path.filename().u16string());
        FileLoad run = entry.chosen ? loadWith(entry.path, *entry.chosen) : loadFile(entry.path);
        if (run.cancelled) {
            rememberFolderOf(entry.path);
            return;
        }
        if (run.load.read.status == ReadResult::Status::BadFormat) {
            // That file alone is read otherwise, in its reading dialog; then the record again.
            rememberFolderOf(entry.path);
            if (!showRefusal(run.load.read, name))
                return;
            LayoutChoices start = run.load.readOtherwise;
            if (!start.separator)
                PassOverFailure([&] {
                    if (const std::unique_ptr<const FileText> text = ReadFileText(entry.path)) {
                        const LayoutChoices plain = PlainestChoices(text->lines());
                        start.separator = plain.separator;
                        start.firstDataLine = plain.firstDataLine;
                    }
                });
            const LayoutAnswer answer = askLayout(entry.path, start, {}, false, {});
            if (answer.result != QDialog::Accepted)
                return;
            entry.chosen = answer.choices;
            openRecord(std::move(entries));
            return;
        }
        if (run.load.read.status != ReadResult::Status::Loaded || !run.tables)
            return; // unread: as a cancel
        if (run.chosen)
            entry.chosen = run.choices;
        entry.readWith = run.choices;
        entry.layout = run.load.layout;
        if (run.load.layout && run.chosen)
            keepChoices(QString::fromStdString(LayoutKey(*run.load.layout)), run);
        PassOverFailure([&] {
            files.push_back(
                RecordFileOf(name.toStdString(), std::move(run.load), *run.tables, entry.path));
        });
    }
    if (files.size() != entries.size())
        return;
    auto tables = std::make_unique<ProgramTables>();
    Record record;
    bool merged = false;
    PassOverFailure([&] {
        PrepareLoad(*tables, separator_, clock_, options_);
        record = MergeRecord(std::move(files), *tables);
        merged = true;
    });
    if (!merged)
        return;
    if (record.refusedFile) {
        showRefusal(record.refusal, QString::fromStdString(record.files[*record.refusedFile].name));
        return;
    }
    rememberFolderOf(entries.back().path);
    tables_ = std::move(tables);
    listedRecord_ = std::move(entries);
    showReadingAction();
    attachNewList();
    // The list stands; then one box for the whole record, and what each file leaves to tell.
    if (tables_->MeasurementCount != 0)
        PassOverFailure([this] {
            FillResultsList(*list_, *tables_);
            AnnotateResultCells(*list_, *tables_);
        });
    refreshSeasonWindows();
    std::string account;
    PassOverFailure([&] {
        account = RecordAccount(record, separator_);
        for (const RecordFile &file : record.files) {
            const std::string notice =
                LoadNotice(file.load, static_cast<std::int32_t>(file.readings.size()));
            if (!notice.empty())
                account += "\n\n" + file.name + " : " + notice;
        }
    });
    services_.showMessage(this, QString::fromStdString(account),
                          QString::fromLatin1(kApplicationTitle), {});
}

bool FrmPelk::refuseOrReadOtherwise(const std::filesystem::path &file, const FileLoad &run,
                                    bool newList) {
    if (!showRefusal(run.load.read))
        return false;
    // From what was found of the file's layout, or the plainest guess at it.
    LayoutChoices start = run.load.readOtherwise;
    if (!start.separator)
        PassOverFailure([&] {
            if (const std::unique_ptr<const FileText> text = ReadFileText(file)) {
                const LayoutChoices plain = PlainestChoices(text->lines());
                start.separator = plain.separator;
                start.firstDataLine = plain.firstDataLine;
            }
        });
    const LayoutAnswer answer = askLayout(file, start, {}, false, {});
    if (answer.result != QDialog::Accepted)
        return false;
    FileLoad read = loadWith(file, answer.choices);
    read.chosen = true;
    if (read.load.read.status != ReadResult::Status::Loaded)
        return false;
    if (read.load.layout)
        keepChoices(QString::fromStdString(LayoutKey(*read.load.layout)), read);
    listLoad(file, std::move(read), newList);
    return true;
}

void FrmPelk::showLoaded(const ExportLoad &load, const std::string &howRead) {
    const ReadResult &result = load.read;
    if (tables_->MeasurementCount != 0)
        PassOverFailure([this] {
            FillResultsList(*list_, *tables_);
            AnnotateResultCells(*list_, *tables_);
        });
    refreshSeasonWindows();
    // The list stands; then, in one box, how the file was read and what it holds that no row
    // counts.
    std::string notice = howRead;
    PassOverFailure([&] {
        for (const std::string &more : {LeftOutNotice(result, tables_->DailyLeftOut),
                                        LoadNotice(load, tables_->MeasurementCount)})
            notice.append(notice.empty() || more.empty() ? "" : "\n\n").append(more);
    });
    if (!notice.empty())
        services_.showMessage(this, QString::fromStdString(notice),
                              QString::fromLatin1(kApplicationTitle), {});
}

// Made on first request, brought up to date, then shown above the others.
template <typename Window> void FrmPelk::openSeasonWindow(Window *&window) {
    if (window == nullptr)
        window = new Window(services_, this);
    refreshSeasonWindows();
    window->show();
    window->raise();
}

void FrmPelk::openChart() {
    openSeasonWindow(chartWindow_);
}

void FrmPelk::openSummary() {
    openSeasonWindow(summaryWindow_);
}

void FrmPelk::refreshSeasonWindows() {
    PassOverFailure([this] {
        const bool loaded = tables_->MeasurementCount != 0 && !tables_->DayFactsTable.empty();
        const std::int64_t firstDay =
            loaded ? CalendarDay(tables_->MeasurementTable.at(1).Timestamp) : 0;
        const std::span<const DayFacts> facts =
            loaded ? std::span<const DayFacts>(tables_->DayFactsTable)
                   : std::span<const DayFacts>();
        if (chartWindow_ != nullptr)
            chartWindow_->showSeason(ChartOfDays(firstDay, facts, tables_->GapLimitMinutes),
                                     tables_->LocaleDecimalSeparator);
        if (summaryWindow_ != nullptr)
            summaryWindow_->showSummary(MonthlySummaryOf(*tables_));
    });
}

void FrmPelk::Command1_Click() {
    PassOverFailure([this] {
        std::int32_t lastColumn = -1;
        CopyListToClipboard(*list_, -1, 1, lastColumn, -1, services_.clipboard());
    });
}

void FrmPelk::SaveList() {
    if (!loadDone_)
        return;
    const std::optional<ListFileChoice> choice = services_.chooseListFile(this);
    if (!choice)
        return;
    std::string text;
    PassOverFailure([&] { text = ListFileText(*list_, *tables_, choice->format); });
    QSaveFile file(choice->path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), static_cast<qint64>(text.size())) ==
            static_cast<qint64>(text.size()) &&
        file.commit())
        return;
    services_.showMessage(this,
                          QStringLiteral("La liste n'a pas pu être enregistrée : ") + choice->path,
                          QString::fromLatin1(kApplicationTitle), file.errorString());
}

void FrmPelk::Command2_Click() {
    services_.endProgram(0);
}

void FrmPelk::Lv_ColumnClick(int section) {
    PassOverFailure(
        [&] { pelk::Lv_ColumnClick(*list_, section + 1, tables_->LocaleDecimalSeparator); });
    QHeaderView *header = lv_->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(list_->SortKey(),
                             list_->SortOrder() == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void FrmPelk::keepSelectionInList() {
    const QItemSelectionModel *selection = lv_->selectionModel();
    for (std::int32_t position = 1; position <= list_->Count(); ++position)
        list_->Item(position).Selected = selection->isRowSelected(position - 1, {});
}

void FrmPelk::restoreSelectionFromList() {
    // A sort moves the rows under the view; the selection goes with its row, as the list keeps it.
    QItemSelection selected;
    int current = -1;
    const int lastColumn = model_->columnCount() - 1;
    for (std::int32_t position = 1; position <= list_->Count(); ++position) {
        if (!list_->Item(position).Selected)
            continue;
        selected.select(model_->index(position - 1, 0), model_->index(position - 1, lastColumn));
        if (current < 0)
            current = position - 1;
    }
    QItemSelectionModel *selection = lv_->selectionModel();
    selection->select(selected, QItemSelectionModel::ClearAndSelect);
    if (current >= 0)
        selection->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
}

} // namespace pelk
