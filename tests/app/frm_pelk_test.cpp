// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_fonts.h"
#include "app/frm_pelk.h"
#include "app/list_view_model.h"
#include "fake_window_services.h"
#include "model_rows.h"

#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace pelk;

namespace {

// Four days whose Tn and Tx orders differ from the date order and from plain text order.
const QByteArray kFourDays = "Date Heure\tTemperature\r\n"
                             "03/05/2008 06:00\t7\r\n03/05/2008 12:00\t12.5\r\n"
                             "03/06/2008 06:00\t-3.2\r\n03/06/2008 12:00\t2.5\r\n"
                             "03/07/2008 06:00\t0\r\n03/07/2008 12:00\t15\r\n"
                             "03/08/2008 06:00\t10.25\r\n03/08/2008 12:00\t14\r\n";
const QStringList kByDate = {"2008-03-05|7|12,5", "2008-03-06|-3,2|2,5", "2008-03-07|0|15",
                             "2008-03-08|10,25|14"};
constexpr QColor kFirstRowColour{238, 253, 253};
#ifdef Q_OS_WIN
constexpr char kButtonFamily[] = "Tahoma"; // Windows' bitmap MS Sans Serif is too large for them
#else
constexpr char kButtonFamily[] = "MS Sans Serif";
#endif

// Dark pixels of the widget as drawn.
int Ink(QWidget *widget) {
    const QImage image = widget->grab().toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
    return ink;
}

} // namespace

class FrmPelkTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_; // exports are written afresh by every test that needs one
    std::unique_ptr<FakeWindowServices> services_;
    std::unique_ptr<FrmPelk> window_;

    QTreeView *lv() const { return window_->findChild<QTreeView *>(QStringLiteral("Lv")); }
    QPushButton *button(const char *name) const {
        return window_->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    // Writes `content` to a file of the test folder and gives its path.
    QString writeExport(const QByteArray &content, const QString &name = "export.txt") {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    // Shows the window with `content` as the chosen export (none: the services' answer stands),
    // or with `startupFile` as named on the command line, and waits until the load has run.
    void showWindow(const QByteArray &content = {},
                    std::optional<std::filesystem::path> startupFile = {},
                    const LoadOptions &options = {}) {
        if (!content.isEmpty())
            services_->chosenFile = writeExport(content);
        window_ = std::make_unique<FrmPelk>(*services_, options, startupFile);
        window_->show();
        QTRY_VERIFY(window_->loadDone());
    }

    void drop(const QString &file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &dropped);
    }

    void pressCtrlO() {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    }

    void clickHeader(int column) {
        QHeaderView *header = lv()->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
             header->height() / 2});
    }

  private Q_SLOTS:
    // As the program does at start-up, so that sizes are measured with the fonts it draws with.
    void initTestCase() { RegisterLookAlikeFonts(QString::fromLatin1(kLookAlikeFontFolder)); }

    void init() { services_ = std::make_unique<FakeWindowServices>(); }

    void cleanup() {
        window_.reset();
        services_.reset();
    }

    void loadShowsOneShadedRowPerDay_data() {
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("localHour");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("decimal comma") << ',' << 12 << kFourDays << kByDate;
        QTest::newRow("decimal point")
            << '.' << 12 << kFourDays << QStringList(kByDate).replaceInStrings(",", ".");
        // 18:30 on the readings' clock is past the night window's 18:00 end in UTC, but not
        // past its 19:00 end one hour ahead of UTC.
        QTest::newRow("one hour ahead") << ',' << 13 << QByteArray("H\r\n03/05/2008 18:30\t4.5\r\n")
                                        << QStringList{"2008-03-05|4,5|4,5"};
    }

    void loadShowsOneShadedRowPerDay() {
        QFETCH(char, separator);
        QFETCH(int, localHour);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        services_->separator = separator;
        services_->clock = {39512.5, localHour, 12};
        showWindow(content);
        QVERIFY(services_->windowVisibleAtDialog);
        QCOMPARE(
            services_->dialogRequest.nameFilters,
            QStringList({"Tous les fichiers (*.*)", "Fichiers TXT(*.txt)", "Fichiers CSV (*.csv)",
                         "Exports de capteurs (*.txt *.csv *.dat *.mon *.tsv)"}));
        QCOMPARE(services_->dialogRequest.selectedFilter, QStringLiteral("Fichiers TXT(*.txt)"));
        QCOMPARE(Rows(lv()->model()), rows);
        QCOMPARE(lv()->model()->index(0, 2).data(Qt::BackgroundRole).value<QBrush>().color(),
                 kFirstRowColour);
        QVERIFY(services_->messages.isEmpty() && services_->endRequests.isEmpty());
    }

    void loadsThatShowNoRows_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("badFormat");
        QTest::newRow("cancel") << QString() << QByteArray() << false;
        QTest::newRow("unreadable file") << "gone.txt" << QByteArray() << false;
        QTest::newRow("header line only")
            << "" << QByteArray("Date Heure\tTemperature\r\n") << false;
        QTest::newRow("good lines, then a bad one")
            << "" << QByteArray(kFourDays + "03/09/2008 00:00\tdix\r\n") << true;
    }

    void loadsThatShowNoRows() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, badFormat);
        if (!file.isEmpty())
            services_->chosenFile = dir_.filePath(file);
        showWindow(content);
        QCOMPARE(lv()->model()->rowCount(), 0);
        if (!badFormat) { // the window stays; a file with no reading says so
            QVERIFY(services_->endRequests.isEmpty());
            if (content.isEmpty()) {
                QVERIFY(services_->messages.isEmpty());
            } else {
                QCOMPARE(services_->messages.size(), 1);
                QCOMPARE(services_->messages[0].text,
                         QStringLiteral("Aucun relevé trouvé dans ce fichier."));
            }
            return;
        }
        QCOMPARE(services_->calls.mid(3), QStringList({"showMessage", "endProgram"}));
        QCOMPARE(services_->messages[0].text,
                 QStringLiteral("Mauvais format de fichier !  Utilisez l'export Excel"));
        QCOMPARE(services_->messages[0].detail,
                 QStringLiteral("Ligne 10 : la valeur n'est pas un nombre\n"
                                "« 03/09/2008 00:00\tdix »"));
        QVERIFY(services_->endRequests[0] != 0);
    }

    void fileOnTheCommandLineLoadsWithoutTheDialog() {
        showWindow({}, std::filesystem::path(QFile::encodeName(writeExport(kFourDays)).data()));
        QCOMPARE(services_->calls, QStringList({"localeSeparator", "readClock"}));
        QCOMPARE(Rows(lv()->model()), kByDate);
        QCOMPARE(services_->keptFolder, dir_.path());
    }

    // A file dropped, or chosen after Ctrl+O, replaces the list; a refused or unreadable one
    // leaves it and the program as they are. The next dialog opens where a file read came from,
    // refused or not.
    void anotherFileLoadsInPlaceOfTheList_data() {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("detail");
        const QByteArray other = "h\r\n3/15/2008 2:30 PM\t5\r\n";
        const QStringList otherRows = {"2008-03-15|5|5"};
        const QByteArray refused = "h\r\n03/15/2008 14:30\t5\r\n03/15/2008 14:40;6\r\n";
        const QString detail = "Ligne 3 : pas de tabulation entre la date et la valeur\n"
                               "« 03/15/2008 14:40;6 »";
        for (const bool byKeyboard : {false, true}) {
            const char *const how = byKeyboard ? "Ctrl+O, " : "drop, ";
            QTest::addRow("%sloaded", how) << byKeyboard << other << otherRows << QString();
            QTest::addRow("%srefused", how) << byKeyboard << refused << kByDate << detail;
            QTest::addRow("%sunreadable", how)
                << byKeyboard << QByteArray() << kByDate << QString();
        }
    }

    void anotherFileLoadsInPlaceOfTheList() {
        QFETCH(bool, byKeyboard);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        QFETCH(QString, detail);
        services_->programFolderWritable = false; // the dialog opens in the last folder
        showWindow(kFourDays);
        // In a folder of its own, so that keeping its folder differs from keeping the first's.
        QVERIFY(QDir(dir_.path()).mkpath("other"));
        const QString folder = dir_.filePath("other");
        const QString file =
            content.isEmpty() ? folder + "/gone.txt" : writeExport(content, "other/other.txt");
        if (byKeyboard) {
            services_->chosenFile = file;
            pressCtrlO();
            QCOMPARE(services_->calls.count("chooseExportFile"), 2);
        } else {
            drop(file);
        }
        QCOMPARE(Rows(lv()->model()), rows);
        QCOMPARE(services_->messages.size(), detail.isEmpty() ? 0 : 1);
        if (!detail.isEmpty())
            QCOMPARE(services_->messages[0].detail, detail);
        QVERIFY(services_->endRequests.isEmpty());
        services_->chosenFile.reset();
        pressCtrlO();
        QCOMPARE(services_->dialogRequest.initialDir, content.isEmpty() ? dir_.path() : folder);
    }

    // A start that loaded nothing leaves Ctrl+O and a drop to load the first file.
    void aFileLoadsAfterAStartThatLoadedNone_data() {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        for (const bool byKeyboard : {false, true}) {
            const char *const how = byKeyboard ? "Ctrl+O" : "drop";
            QTest::addRow("%s after a cancel", how) << byKeyboard << QString() << QByteArray();
            QTest::addRow("%s after an unreadable file", how)
                << byKeyboard << "gone.txt" << QByteArray();
            QTest::addRow("%s after a header line only", how)
                << byKeyboard << "" << QByteArray("Date Heure\tTemperature\r\n");
        }
    }

    void aFileLoadsAfterAStartThatLoadedNone() {
        QFETCH(bool, byKeyboard);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        if (!file.isEmpty())
            services_->chosenFile = dir_.filePath(file);
        showWindow(content);
        QCOMPARE(lv()->model()->rowCount(), 0);
        const QString first = writeExport(kFourDays, "first.txt");
        if (byKeyboard) {
            services_->chosenFile = first;
            pressCtrlO();
            QCOMPARE(services_->calls.count("chooseExportFile"), 2);
            QCOMPARE(services_->dialogRequest.selectedFilter,
                     QStringLiteral("Fichiers TXT(*.txt)"));
        } else {
            drop(first);
        }
        QCOMPARE(Rows(lv()->model()), kByDate);
        QCOMPARE(services_->keptFolder, dir_.path());
        // Only the first file's word that it held no reading.
        QCOMPARE(services_->messages.size(), content.isEmpty() ? 0 : 1);
        QVERIFY(services_->endRequests.isEmpty());
    }

    void dialogOpensInAFolderTheUserMayUse_data() {
        QTest::addColumn<bool>("programFolderWritable");
        QTest::addColumn<QString>("lastFolder");
        QTest::addColumn<QString>("expected");
        const QString program = QCoreApplication::applicationDirPath();
        const QString last = QDir::tempPath();
        QTest::newRow("portable copy") << true << last << program;
        QTest::newRow("installed, a file opened before") << false << last << last;
        // On Windows, where people keep their files: Documents.
        QString fallback = QDir::homePath();
#ifdef Q_OS_WIN
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (QDir(documents).exists())
            fallback = documents;
#endif
        QTest::newRow("installed, that folder gone") << false << last + "/gone" << fallback;
        QTest::newRow("installed, first run") << false << QString() << fallback;
    }

    void dialogOpensInAFolderTheUserMayUse() {
        QFETCH(bool, programFolderWritable);
        QFETCH(QString, lastFolder);
        QFETCH(QString, expected);
        services_->programFolderWritable = programFolderWritable;
        services_->keptFolder = lastFolder;
        showWindow(kFourDays);
        QCOMPARE(services_->dialogRequest.initialDir, expected);
        QCOMPARE(services_->keptFolder, dir_.path()); // the chosen file's folder, for next time
    }

    // A portable copy opens first beside its own exports; Ctrl+O then opens where the last file
    // came from, with the file type last chosen, kept between runs.
    void ctrlOOpensWhereTheLastFileCameFromWithItsType() {
        const QString programFolder = QCoreApplication::applicationDirPath();
        services_->pickedFilter =
            QStringLiteral("Exports de capteurs (*.txt *.csv *.dat *.mon *.tsv)");
        showWindow(kFourDays);
        QCOMPARE(services_->dialogRequest.initialDir, programFolder);
        QCOMPARE(services_->dialogRequest.selectedFilter, QStringLiteral("Fichiers TXT(*.txt)"));
        services_->chosenFile = writeExport(kFourDays, "again.txt");
        pressCtrlO();
        QCOMPARE(services_->calls.count("chooseExportFile"), 2);
        QCOMPARE(services_->dialogRequest.initialDir, dir_.path());
        QCOMPARE(services_->dialogRequest.selectedFilter, *services_->pickedFilter);
        // A kept type that is no longer offered gives way to the text files.
        services_->keptFilter = QStringLiteral("Fichiers XLS (*.xls)");
        pressCtrlO();
        QCOMPARE(services_->dialogRequest.selectedFilter, QStringLiteral("Fichiers TXT(*.txt)"));
    }

    void incompleteWindowsAreMutedAndEveryValueTellsItsWindow() {
        // Under a limit of 12 hours, readings at 00:00 and 12:00 make the 5th's night window
        // whole, not its day window. Line 3 lies before the first day, line 6 after the empty
        // line: both told, once.
        LoadOptions options;
        options.gapLimitMinutes = 720;
        showWindow(
            "Date\tT\r\n03/05/2008 00:00\t1\r\n03/04/2008 12:00\t9\r\n03/05/2008 12:00\t3\r\n"
            "\r\n03/06/2008 07:00\t3\r\n",
            {}, options);
        const QAbstractItemModel *model = lv()->model();
        QCOMPARE(Rows(model), QStringList({"2008-03-05|1|3"}));
        QVERIFY(!model->index(0, 1).data(Qt::ForegroundRole).isValid());
        QVERIFY(!model->index(0, 1).data(Qt::ToolTipRole).toString().contains("Incomplète"));
        QCOMPARE(model->index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
                 kMutedTextColor);
        QVERIFY(model->index(0, 2).data(Qt::ToolTipRole).toString().contains("Incomplète"));
        QCOMPARE(services_->calls.mid(3), QStringList({"showMessage"}));
        QCOMPARE(services_->messages[0].title, QStringLiteral("PELK"));
        QVERIFY(services_->messages[0].text.contains("ligne 6"));
        QVERIFY(services_->endRequests.isEmpty());
    }

    void headerClicksSortWithOneSharedToggleAndKeepTheSelection() {
        showWindow(kFourDays);
        const QAbstractItemModel *model = lv()->model();
        lv()->selectionModel()->select(model->index(3, 0), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        // One direction for all headers, flipped at every click: Tx down, Tn up (the selected
        // day last), dates down.
        const std::pair<int, std::vector<int>> clicks[] = {
            {2, {2, 3, 0, 1}}, {1, {1, 2, 0, 3}}, {0, {3, 2, 1, 0}}};
        Qt::SortOrder order = Qt::DescendingOrder;
        for (const auto &[column, days] : clicks) {
            clickHeader(column);
            QStringList rows;
            for (int day : days)
                rows << kByDate[day];
            QCOMPARE(Rows(model), rows);
            QVERIFY(lv()->header()->isSortIndicatorShown());
            QCOMPARE(lv()->header()->sortIndicatorSection(), column);
            QCOMPARE(lv()->header()->sortIndicatorOrder(), order);
            QCOMPARE(lv()->selectionModel()->selectedRows().value(0).data().toString(),
                     QStringLiteral("2008-03-08"));
            order = order == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
        }
    }

    void copyButtonPutsTheListOnTheClipboard() {
        showWindow(kFourDays);
        QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Date\tTn\tTx\t\r\n2008-03-05\t7\t12,5\r\n2008-03-06\t-3,2\t2,5\r\n"
                                "2008-03-07\t0\t15\r\n2008-03-08\t10,25\t14\r\n"));
    }

    // Ctrl+S: the list in its order, in the layout chosen, the same bytes as pelk-cli writes; a
    // save that fails says so, and the list stays.
    void ctrlSSavesTheListInItsOrder() {
        showWindow(kFourDays);
        clickHeader(1); // by Tn
        const QString path = dir_.filePath(QStringLiteral("liste.csv"));
        services_->listFile = ListFileChoice{path, ListFileFormat::MeteoFrance};
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.at(0), QByteArray("AAAAMMJJ;TN;QTN;HTN;TX;QTX;HTX\r"));
        QCOMPARE(lines.size(), 6);         // four days, and nothing after the last line end
        for (int row = 1; row <= 4; ++row) // the days in the list's order
            QVERIFY(lines.at(row).startsWith(
                QByteArray::fromStdString(window_->list().Item(row).Text()).replace("-", "")));
        QCOMPARE(lines.at(1), QByteArray("20080308;10.3;2;0600;14.0;2;1200\r"));
        QVERIFY(services_->messages.isEmpty());

        services_->listFile = ListFileChoice{dir_.filePath(QStringLiteral("gone/liste.csv")),
                                             ListFileFormat::Spreadsheet};
        window_->SaveList();
        QCOMPARE(services_->messages.size(), 1);
        QVERIFY(services_->messages.at(0).text.startsWith(
            QStringLiteral("La liste n'a pas pu être enregistrée : ")));
        QCOMPARE(window_->list().Count(), 4);
    }

    // A flat list: each day's date starts at the list's left edge, with no tree indent before it.
    void theDatesStartAtTheListsLeftEdge() {
        showWindow(kFourDays);
        QVERIFY(lv()->visualRect(lv()->model()->index(0, 0)).left() <= 2);
    }

    void quitButtonAndCloseBoxEndTheProgram() {
        showWindow(kFourDays);
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(services_->endRequests, QList<int>{0});
        QVERIFY(window_->close());
        QCOMPARE(services_->endRequests, QList<int>({0, 0}));
    }

    void layoutMatchesTheDesign() {
        showWindow();
        QCOMPARE(window_->windowTitle(), QStringLiteral("PELK"));
        QCOMPARE(window_->size(), QSize(245, 480));
        QCOMPARE(window_->palette().color(QPalette::Window), QColor(255, 224, 192));
        window_->resize(500, 700); // the controls stay where they were put
        QTRY_COMPARE(window_->size(), QSize(500, 700));
        const struct {
            QWidget *control;
            QRect geometry;
            const char *family;
        } controls[] = {{lv(), {0, 0, 244, 447}, "Tahoma"},
                        {button("Command1"), {2, 451, 174, 25}, kButtonFamily},
                        {button("Command2"), {190, 452, 51, 24}, kButtonFamily}};
        for (const auto &[control, geometry, family] : controls) {
            QCOMPARE(control->geometry(), geometry);
            QCOMPARE(control->font().family(), QString::fromLatin1(family));
            QCOMPARE(control->font().pointSizeF(), 8.25);
            QCOMPARE(control->font().weight(), QFont::Bold);
        }
        QCOMPARE(button("Command1")->text(), QStringLiteral("Copier dans le presse papier "));
        QCOMPARE(button("Command2")->text(), QStringLiteral("Quitter"));
        const int widths[] = {107, 67, 67};
        for (int column = 0; column < 3; ++column)
            QCOMPARE(lv()->header()->sectionSize(column), widths[column]);
        // The window's own focus child, so that no window manager is needed to activate it.
        lv()->setFocus();
        for (QWidget *next : {button("Command1"), button("Command2")}) {
            QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
            QCOMPARE(window_->focusWidget(), next);
        }
    }

    void boldButtonTextsFitAndDrawHeavier() {
#ifdef Q_OS_WIN
        if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
            QSKIP("offscreen draws from the fonts beside the program, not from Windows' own");
#endif
        showWindow();
        for (QPushButton *pushButton : {button("Command1"), button("Command2")}) {
            // Measured as the style draws it: a pixel more per glyph, one for the second stroke.
            QFont drawn = pushButton->font();
            const int overstrike = NeedsOverstrike(drawn) ? 1 : 0;
            drawn.setLetterSpacing(QFont::AbsoluteSpacing, overstrike);
            const QFontMetrics metrics(drawn);
            QVERIFY(metrics.horizontalAdvance(pushButton->text()) + overstrike + 4 <=
                    pushButton->width());
            QVERIFY(metrics.height() <= pushButton->height());
            // Qt leaves a bold bitmap face regular; the window's button style must thicken it.
            const int boldInk = Ink(pushButton);
            QFont regular = pushButton->font();
            regular.setWeight(QFont::Normal);
            pushButton->setFont(regular);
            QVERIFY2(boldInk > Ink(pushButton) * 5 / 4, qPrintable(pushButton->objectName()));
        }
    }
};

QTEST_MAIN(FrmPelkTest)
#include "frm_pelk_test.moc"
