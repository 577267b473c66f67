#include "app/app_fonts.h"
#include "app/frm_pelk.h"
#include "fake_window_services.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace pelk;

namespace {

// Four days whose Tn and Tx orders differ from the date order and from plain text order.
const QByteArray kFourDays = "Date Heure\tTemperature\r\n"
                             "03/05/2008 00:00\t8\r\n"
                             "03/05/2008 06:00\t7\r\n"
                             "03/05/2008 12:00\t9\r\n"
                             "03/05/2008 18:00\t12.5\r\n"
                             "03/06/2008 00:00\t1\r\n"
                             "03/06/2008 06:00\t-3.2\r\n"
                             "03/06/2008 12:00\t2.5\r\n"
                             "03/06/2008 18:00\t0.5\r\n"
                             "03/07/2008 00:00\t0\r\n"
                             "03/07/2008 06:00\t3\r\n"
                             "03/07/2008 12:00\t15\r\n"
                             "03/07/2008 18:00\t11\r\n"
                             "03/08/2008 00:00\t10.5\r\n"
                             "03/08/2008 06:00\t10.25\r\n"
                             "03/08/2008 12:00\t14\r\n"
                             "03/08/2008 18:00\t13\r\n";

const QStringList kFourDaysRows = {"2008-03-05|7|12,5", "2008-03-06|-3,2|2,5", "2008-03-07|0|15",
                                   "2008-03-08|10,25|14"};

const QColor kFirstRowColour(238, 253, 253);
const QColor kSecondRowColour(255, 255, 192);

QStringList Rows(const QAbstractItemModel *model) {
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

} // namespace

class FrmPelkTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void loadAsksInOrderWithTheWindowOnScreen();
    void loadShowsOneShadedRowPerDay_data();
    void loadShowsOneShadedRowPerDay();
    void loadUsesTheClockForTheUtcOffset_data();
    void loadUsesTheClockForTheUtcOffset();
    void cancelLeavesTheEmptyListWithoutMessage();
    void unreadableFileIsLikeCancel();
    void headerOnlyFileShowsNoRows();
    void badFormatShowsTheMessageAndEndsWithoutResults_data();
    void badFormatShowsTheMessageAndEndsWithoutResults();

    void headerClicksSortWithOneSharedToggle();
    void sortKeepsColoursByPositionAndSelectionWithItsRow();
    void copyButtonPutsTheListOnTheClipboard();
    void copyOfAnEmptyListIsTheHeaderLine();

    void quitButtonEndsTheProgram();
    void closeButtonEndsTheProgram();

    void layoutMatchesTheDesign();
    void resizingMovesNothing();
    void boldButtonTextsFitTheirButtons();
    void boldButtonTextsAreDrawnBold();
    void tabGoesFromListToCopyToQuit();

  private:
    QString writeExport(const QByteArray &content);
    void showWindow(); // waits until the load has run
    void clickHeader(int column);
    QTreeView *lv() const { return window_->findChild<QTreeView *>(QStringLiteral("Lv")); }
    QPushButton *button(const char *name) const {
        return window_->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeWindowServices> services_;
    std::unique_ptr<FrmPelk> window_;
};

void FrmPelkTest::initTestCase() {
    // As the program does at start-up, so that sizes are measured with the fonts it draws with.
    RegisterLookAlikeFonts(QString::fromLatin1(kLookAlikeFontFolder));
}

void FrmPelkTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    services_ = std::make_unique<FakeWindowServices>();
}

void FrmPelkTest::cleanup() {
    window_.reset();
    services_.reset();
    dir_.reset();
}

QString FrmPelkTest::writeExport(const QByteArray &content) {
    const QString path = dir_->filePath(QStringLiteral("export.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write the test export");
    return path;
}

void FrmPelkTest::showWindow() {
    window_ = std::make_unique<FrmPelk>(*services_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY(window_->loadDone());
}

void FrmPelkTest::clickHeader(int column) {
    QHeaderView *header = lv()->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void FrmPelkTest::loadAsksInOrderWithTheWindowOnScreen() {
    services_->chosenFile = writeExport(kFourDays);
    showWindow();

    QCOMPARE(services_->calls, QStringList({"localeSeparator", "readClock", "chooseExportFile"}));
    QVERIFY(services_->windowVisibleAtDialog);
    QCOMPARE(services_->dialogRequest.initialDir, QCoreApplication::applicationDirPath());
    QCOMPARE(
        services_->dialogRequest.nameFilters,
        QStringList({"Tous les fichiers (*.*)", "Fichiers TXT(*.txt)", "Fichiers CSV (*.csv)"}));
    QCOMPARE(services_->dialogRequest.selectedFilter, QStringLiteral("Fichiers TXT(*.txt)"));
}

void FrmPelkTest::loadShowsOneShadedRowPerDay_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("decimal comma") << ',' << kFourDaysRows;
    QTest::newRow("decimal point") << '.'
                                   << QStringList{"2008-03-05|7|12.5", "2008-03-06|-3.2|2.5",
                                                  "2008-03-07|0|15", "2008-03-08|10.25|14"};
}

void FrmPelkTest::loadShowsOneShadedRowPerDay() {
    QFETCH(char, separator);
    QFETCH(QStringList, rows);
    services_->separator = separator;
    services_->chosenFile = writeExport(kFourDays);
    showWindow();

    const QAbstractItemModel *model = lv()->model();
    QCOMPARE(Rows(model), rows);
    QVERIFY(lv()->isVisible());
    const QColor expected[] = {kFirstRowColour, kSecondRowColour, kFirstRowColour,
                               kSecondRowColour};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            QCOMPARE(model->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color(),
                     expected[row]);
    QVERIFY(services_->messages.isEmpty());
    QVERIFY(services_->endRequests.isEmpty());
}

void FrmPelkTest::loadUsesTheClockForTheUtcOffset_data() {
    QTest::addColumn<int>("localHour");
    QTest::addColumn<QString>("tn");
    // 18:30 on the readings' clock: after the night window closes at 18:00 with no offset,
    // before it closes at 19:00 one hour ahead of UTC.
    QTest::newRow("local time is UTC") << 12 << QStringLiteral("100");
    QTest::newRow("one hour ahead") << 13 << QStringLiteral("4,5");
}

void FrmPelkTest::loadUsesTheClockForTheUtcOffset() {
    QFETCH(int, localHour);
    QFETCH(QString, tn);
    services_->clock = {39512.5, localHour, 12};
    services_->chosenFile = writeExport("Header\r\n03/05/2008 18:30\t4.5\r\n");
    showWindow();
    QCOMPARE(Rows(lv()->model()), QStringList{"2008-03-05|" + tn + "|4,5"});
}

void FrmPelkTest::cancelLeavesTheEmptyListWithoutMessage() {
    services_->chosenFile.reset();
    showWindow();

    QCOMPARE(lv()->model()->rowCount(), 0);
    QCOMPARE(lv()->model()->columnCount(), 3);
    QVERIFY(lv()->isVisible());
    QVERIFY(services_->messages.isEmpty());
    QVERIFY(services_->endRequests.isEmpty());
    QVERIFY(window_->isVisible());
}

void FrmPelkTest::unreadableFileIsLikeCancel() {
    services_->chosenFile = dir_->filePath(QStringLiteral("gone.txt"));
    showWindow();

    QCOMPARE(lv()->model()->rowCount(), 0);
    QVERIFY(services_->messages.isEmpty());
    QVERIFY(services_->endRequests.isEmpty());
}

void FrmPelkTest::headerOnlyFileShowsNoRows() {
    services_->chosenFile = writeExport("Date Heure\tTemperature\r\n");
    showWindow();

    QCOMPARE(lv()->model()->rowCount(), 0);
    QVERIFY(services_->messages.isEmpty());
    QVERIFY(services_->endRequests.isEmpty());
}

void FrmPelkTest::badFormatShowsTheMessageAndEndsWithoutResults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("semicolon instead of tab") << QByteArray("H\r\n03/05/2008 10:00;4.5\r\n");
    QTest::newRow("good lines, then a bad one")
        << QByteArray(kFourDays + "03/09/2008 00:00\tdix\r\n");
    QTest::newRow("a title line above the header")
        << QByteArray("Logger 12\r\nDate Heure\tTemperature\r\n03/05/2008 10:00\t4.5\r\n");
}

void FrmPelkTest::badFormatShowsTheMessageAndEndsWithoutResults() {
    QFETCH(QByteArray, content);
    services_->chosenFile = writeExport(content);
    showWindow();

    QCOMPARE(services_->messages.size(), 1);
    QCOMPARE(services_->messages.front().text,
             QStringLiteral("Mauvais format de fichier !  Utilisez l'export Excel"));
    QCOMPARE(services_->messages.front().title, QStringLiteral("PELK"));
    QCOMPARE(services_->endRequests, QList<int>{kExitBadFormat});
    QVERIFY(kExitBadFormat != 0);
    QCOMPARE(services_->calls.mid(3), QStringList({"showMessage", "endProgram"}));
    QCOMPARE(lv()->model()->rowCount(), 0);
}

void FrmPelkTest::headerClicksSortWithOneSharedToggle() {
    services_->chosenFile = writeExport(kFourDays);
    showWindow();
    const QAbstractItemModel *model = lv()->model();
    const QHeaderView *header = lv()->header();
    // The first click applies the opposite of the list's starting order.
    const bool firstDescending = window_->list().SortOrder() == 0;

    const QStringList tnAscending = {"2008-03-06|-3,2|2,5", "2008-03-07|0|15", "2008-03-05|7|12,5",
                                     "2008-03-08|10,25|14"};
    const QStringList txAscending = {"2008-03-06|-3,2|2,5", "2008-03-05|7|12,5",
                                     "2008-03-08|10,25|14", "2008-03-07|0|15"};
    const QStringList dateAscending = kFourDaysRows;
    auto ordered = [](QStringList rows, bool descending) {
        if (descending)
            std::reverse(rows.begin(), rows.end());
        return rows;
    };

    bool descending = firstDescending;
    const struct {
        int column;
        const QStringList &ascending;
    } clicks[] = {{1, tnAscending}, {2, txAscending}, {0, dateAscending}, {0, dateAscending}};
    for (const auto &click : clicks) {
        clickHeader(click.column);
        QCOMPARE(Rows(model), ordered(click.ascending, descending));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), click.column);
        QCOMPARE(header->sortIndicatorOrder(),
                 descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        descending = !descending;
    }
}

void FrmPelkTest::sortKeepsColoursByPositionAndSelectionWithItsRow() {
    services_->chosenFile = writeExport(kFourDays);
    showWindow();
    const QAbstractItemModel *model = lv()->model();
    // Select 2008-03-06 (second row), then sort by Tn: it moves to the top or the bottom.
    lv()->selectionModel()->select(model->index(1, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    clickHeader(1);

    const QModelIndexList selected = lv()->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.front().data().toString(), QStringLiteral("2008-03-06"));
    QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(), kFirstRowColour);
    QCOMPARE(model->index(1, 2).data(Qt::BackgroundRole).value<QBrush>().color(), kSecondRowColour);
}

void FrmPelkTest::copyButtonPutsTheListOnTheClipboard() {
    services_->chosenFile = writeExport(kFourDays);
    showWindow();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("sentinel"));

    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    QCOMPARE(clipboard->text(), QStringLiteral("Date\tTn\tTx\t\r\n"
                                               "2008-03-05\t7\t12,5\r\n"
                                               "2008-03-06\t-3,2\t2,5\r\n"
                                               "2008-03-07\t0\t15\r\n"
                                               "2008-03-08\t10,25\t14\r\n"));

    // After a sort the copy follows the rows as shown.
    clickHeader(2);
    clipboard->setText(QStringLiteral("sentinel"));
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    QString shown = QStringLiteral("Date\tTn\tTx\t\r\n");
    for (const QString &row : Rows(lv()->model()))
        shown += QString(row).replace('|', '\t') + QStringLiteral("\r\n");
    QCOMPARE(clipboard->text(), shown);
    QVERIFY(services_->endRequests.isEmpty());
}

void FrmPelkTest::copyOfAnEmptyListIsTheHeaderLine() {
    showWindow();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("sentinel"));
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    QCOMPARE(clipboard->text(), QStringLiteral("Date\tTn\tTx\t\r\n"));
}

void FrmPelkTest::quitButtonEndsTheProgram() {
    services_->chosenFile = writeExport(kFourDays);
    showWindow();
    clickHeader(1);
    QVERIFY(services_->endRequests.isEmpty());

    QTest::mouseClick(button("Command2"), Qt::LeftButton);
    QCOMPARE(services_->endRequests, QList<int>{0});
    QVERIFY(services_->messages.isEmpty());
}

void FrmPelkTest::closeButtonEndsTheProgram() {
    showWindow();
    QVERIFY(window_->close());
    QCOMPARE(services_->endRequests, QList<int>{0});
}

void FrmPelkTest::layoutMatchesTheDesign() {
    showWindow();
    QCOMPARE(window_->windowTitle(), QStringLiteral("PELK"));
    QCOMPARE(window_->size(), QSize(245, 480));
    QCOMPARE(window_->palette().color(QPalette::Window), QColor(255, 224, 192));
    QVERIFY(window_->autoFillBackground());
    QVERIFY(window_->windowIcon().availableSizes().contains(QSize(16, 16)));

    QCOMPARE(lv()->geometry(), QRect(0, 0, 244, 447));
    QVERIFY(!lv()->rootIsDecorated());
    QVERIFY(!lv()->isSortingEnabled());
    QVERIFY(!lv()->header()->isHidden());
    const QAbstractItemModel *model = lv()->model();
    const struct {
        const char *text;
        int width;
        Qt::Alignment alignment;
    } columns[] = {
        {"Date", 107, Qt::AlignLeft}, {"Tn", 67, Qt::AlignHCenter}, {"Tx", 67, Qt::AlignHCenter}};
    QCOMPARE(model->columnCount(), 3);
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(),
                 QString::fromLatin1(columns[c].text));
        QCOMPARE(lv()->header()->sectionSize(c), columns[c].width);
        QCOMPARE(
            model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignHorizontal_Mask,
            columns[c].alignment);
    }
    QCOMPARE(window_->list().ColumnHeaders(2).Tag, std::string("NUMBER"));
    QCOMPARE(window_->list().ColumnHeaders(3).Tag, std::string("NUMBER"));

    const struct {
        QWidget *widget;
        QRect geometry;
        const char *family;
    } controls[] = {{lv(), {0, 0, 244, 447}, "Tahoma"},
                    {button("Command1"), {2, 451, 174, 25}, "MS Sans Serif"},
                    {button("Command2"), {190, 452, 51, 24}, "MS Sans Serif"}};
    for (const auto &control : controls) {
        QVERIFY(control.widget != nullptr);
        QVERIFY(control.widget->isVisible());
        QCOMPARE(control.widget->geometry(), control.geometry);
        QCOMPARE(control.widget->font().family(), QString::fromLatin1(control.family));
        QCOMPARE(control.widget->font().pointSizeF(), 8.25);
        QCOMPARE(control.widget->font().weight(), QFont::Bold);
    }
    QCOMPARE(button("Command1")->text(), QStringLiteral("Copier dans le presse papier "));
    QCOMPARE(button("Command2")->text(), QStringLiteral("Quitter"));
}

void FrmPelkTest::resizingMovesNothing() {
    showWindow();
    window_->resize(500, 700);
    QTRY_COMPARE(window_->size(), QSize(500, 700));
    QCOMPARE(lv()->geometry(), QRect(0, 0, 244, 447));
    QCOMPARE(button("Command1")->geometry(), QRect(2, 451, 174, 25));
    QCOMPARE(button("Command2")->geometry(), QRect(190, 452, 51, 24));
}

void FrmPelkTest::boldButtonTextsFitTheirButtons() {
    showWindow();
    for (const char *name : {"Command1", "Command2"}) {
        QPushButton *pushButton = button(name);
        QFont drawn = pushButton->font();
        int extra = 0;
        if (NeedsOverstrike(drawn)) { // one pixel more per glyph, as the style draws it
            drawn.setLetterSpacing(QFont::AbsoluteSpacing, 1);
            extra = 1;
        }
        const QFontMetrics metrics(drawn);
        const int textWidth = metrics.horizontalAdvance(pushButton->text()) + extra;
        QVERIFY2(textWidth + 4 <= pushButton->width(),
                 qPrintable(QStringLiteral("%1: text %2 px in %3 px")
                                .arg(name)
                                .arg(textWidth)
                                .arg(pushButton->width())));
        QVERIFY(metrics.height() <= pushButton->height());
    }
}

void FrmPelkTest::boldButtonTextsAreDrawnBold() {
    // Qt leaves a bold bitmap face regular; the window's button style must thicken it.
    showWindow();
    auto inkOf = [](QWidget *widget) {
        const QImage image = widget->grab().toImage();
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        return ink;
    };
    for (const char *name : {"Command1", "Command2"}) {
        QPushButton *pushButton = button(name);
        const int boldInk = inkOf(pushButton);
        QFont regular = pushButton->font();
        regular.setWeight(QFont::Normal);
        pushButton->setFont(regular);
        const int regularInk = inkOf(pushButton);
        QVERIFY2(boldInk > regularInk * 5 / 4,
                 qPrintable(QStringLiteral("%1: %2 dark pixels bold, %3 regular")
                                .arg(name)
                                .arg(boldInk)
                                .arg(regularInk)));
    }
}

void FrmPelkTest::tabGoesFromListToCopyToQuit() {
    showWindow();
    // The window's own focus child, so that no window manager is needed to activate it.
    lv()->setFocus();
    QCOMPARE(window_->focusWidget(), static_cast<QWidget *>(lv()));
    QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
    QCOMPARE(window_->focusWidget(), static_cast<QWidget *>(button("Command1")));
    QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
    QCOMPARE(window_->focusWidget(), static_cast<QWidget *>(button("Command2")));
}

QTEST_MAIN(FrmPelkTest)
#include "frm_pelk_test.moc"
