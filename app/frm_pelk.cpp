// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"

#include "layouts/layout_reader.h"

#include "app/app_fonts.h"
#include "app/list_view_model.h"
#include "app/season_windows.h"
#include "climate/load_pipeline.h"
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
#include <QShortcut>
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
            QStringLiteral("Fichiers CSV (*.csv)")};
}

QStringList ExportNamePatterns() {
    return {QStringLiteral("*"), QStringLiteral("*.txt"), QStringLiteral("*.csv")};
}

QString DialogFolder(WindowServices &services, const QString &programFolder) {
    if (services.isWritableFolder(programFolder))
        return programFolder;
    const QString last = services.lastFolder();
    if (!last.isEmpty() && QDir(last).exists())
        return last;
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
    addActions({chart, summary}); // their keys work wherever the window has the focus
    listMenu_->addSeparator();
    listMenu_->addAction(QString::fromLatin1(kCommand1Text), this, &FrmPelk::Command1_Click);
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

    const std::optional<std::filesystem::path> file = startupFile_ ? startupFile_ : chooseFile();
    if (!file) {
        loadDone_ = true;
        return;
    }

    ReadResult result;
    result.status = ReadResult::Status::ReadFailed;
    PassOverFailure([&] { result = LoadAnyExport(*file, *tables_, options_).read; });
    loadDone_ = true;
    switch (result.status) {
    case ReadResult::Status::BadFormat:
        // Nothing of a malformed export is shown: the message, then the end.
        rememberFolderOf(*file);
        showRefusal(result);
        services_.endProgram(kBadFormatExitStatus);
        return;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        return; // as a cancel: the empty list, no message
    case ReadResult::Status::Loaded:
        break;
    }
    rememberFolderOf(*file);
    showLoaded(result);
}

std::optional<std::filesystem::path> FrmPelk::chooseFile() {
    const QStringList filters = ExportNameFilters();
    const std::optional<QString> file = services_.chooseExportFile(
        this, {DialogFolder(services_, QCoreApplication::applicationDirPath()), filters,
               ExportNamePatterns(), filters.at(1)});
    if (!file)
        return std::nullopt;
    return PathOf(*file);
}

void FrmPelk::OpenAnother() {
    if (!loadDone_)
        return;
    if (const auto file = chooseFile())
        openInPlace(*file);
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
    openInPlace(PathOf(urls.constFirst().toLocalFile()));
}

void FrmPelk::openInPlace(const std::filesystem::path &file) {
    // Read into tables of its own, so that a refused file leaves the list and its tables whole.
    std::unique_ptr<ProgramTables> tables;
    ReadResult result;
    result.status = ReadResult::Status::ReadFailed;
    PassOverFailure([&] {
        tables = std::make_unique<ProgramTables>();
        PrepareLoad(*tables, separator_, clock_, options_);
        result = LoadAnyExport(file, *tables, options_).read;
    });
    switch (result.status) {
    case ReadResult::Status::BadFormat:
        rememberFolderOf(file);
        showRefusal(result);
        return;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        return;
    case ReadResult::Status::Loaded:
        break;
    }
    rememberFolderOf(file);
    tables_ = std::move(tables);
    attachNewList();
    showLoaded(result);
}

void FrmPelk::rememberFolderOf(const std::filesystem::path &file) {
    PassOverFailure([&] {
        const std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
        services_.setLastFolder(QString::fromStdU16String(folder.u16string()));
    });
}

void FrmPelk::showRefusal(const ReadResult &result) {
    std::string detail;
    PassOverFailure([&] { detail = RefusalDetail(result); });
    services_.showMessage(this, QString::fromLatin1(kBadFormatMessage),
                          QString::fromLatin1(kApplicationTitle), QString::fromStdString(detail));
}

void FrmPelk::showLoaded(const ReadResult &result) {
    if (tables_->MeasurementCount != 0)
        PassOverFailure([this] {
            FillResultsList(*list_, *tables_);
            AnnotateResultCells(*list_, *tables_);
        });
    refreshSeasonWindows();
    // The list stands; then, once, what the file holds that no row counts.
    std::string notice;
    PassOverFailure([&] { notice = LeftOutNotice(result, tables_->DailyLeftOut); });
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
