// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"
#include "app/list_view_model.h"
#include "app/season_windows.h"
#include "cli/cli_run.h"
#include "fake_window_services.h"

#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLegendMarker>
#include <QMenu>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QXYSeries>
#include <QtTest>

#include <sstream>

using namespace pelk;

namespace {

// Three weeks of three-hourly readings without the 10th and the 11th: the 11th's night window and
// the 10th's day window are empty, the windows around them lack readings.
QByteArray ThreeWeeks() {
    QByteArray bytes = "Date\tT\r\n";
    for (int day = 1; day <= 21; ++day)
        for (int hour = 0; hour < 24; hour += 3)
            if (day != 10 && day != 11)
                bytes += QStringLiteral("03/%1/2008 %2:00\t%3\r\n")
                             .arg(day, 2, 10, QChar('0'))
                             .arg(hour, 2, 10, QChar('0'))
                             .arg((day * 7 + hour) % 23 - 5)
                             .toLatin1();
    return bytes;
}

// February whole, then the three weeks above: a complete month, then one with days missing.
QByteArray FebruaryThenThreeWeeks() {
    QByteArray bytes = "Date\tT\r\n";
    for (int day = 1; day <= 29; ++day)
        for (int hour = 0; hour < 24; hour += 3)
            bytes += QStringLiteral("02/%1/2008 %2:00\t%3\r\n")
                         .arg(day, 2, 10, QChar('0'))
                         .arg(hour, 2, 10, QChar('0'))
                         .arg((day * 5 + hour) % 19 - 8)
                         .toLatin1();
    const QByteArray march = ThreeWeeks();
    return bytes + march.mid(march.indexOf('\n') + 1);
}

// Points of the series of `name`, and how many strokes draw them.
std::pair<int, int> PointsAndStrokes(QChart *chart, const QString &name) {
    int points = 0, strokes = 0;
    for (QAbstractSeries *series : chart->series())
        if (series->type() == QAbstractSeries::SeriesTypeLine && series->name() == name) {
            points += static_cast<QXYSeries *>(series)->count();
            ++strokes;
        }
    return {points, strokes};
}

} // namespace

class SeasonWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FakeWindowServices> services_;
    std::unique_ptr<FrmPelk> window_;

  private Q_SLOTS:
    void init() {
        services_ = std::make_unique<FakeWindowServices>();
        QFile file(dir_.filePath(QStringLiteral("export.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ThreeWeeks()) > 0);
        file.close();
        services_->chosenFile = file.fileName();
        LoadOptions threeHourly; // complete where a reading comes every three hours
        threeHourly.gapLimitMinutes = 180;
        window_ = std::make_unique<FrmPelk>(*services_, threeHourly);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTRY_VERIFY(window_->loadDone());
    }

    void cleanup() {
        window_.reset();
        services_.reset();
    }

    void menuAndShortcutsOpenTheWindows() {
        QStringList texts;
        for (QAction *action : window_->listMenu()->actions())
            texts << action->text();
        QCOMPARE(texts, QStringList({"Graphique Tn/Tx…", "Bilan mensuel…", "Lecture du fichier…",
                                     "", "Copier dans le presse papier "}));
        QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(window_->chartWindow() && window_->chartWindow()->isVisible());
        QCOMPARE(window_->chartWindow()->windowTitle(), QStringLiteral("PELK – Graphique"));
        QTest::keyClick(window_.get(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(window_->summaryWindow() && window_->summaryWindow()->isVisible());
        QCOMPARE(window_->summaryWindow()->windowTitle(), QStringLiteral("PELK – Bilan mensuel"));
        QVERIFY(!window_->summaryWindow()->isModal());
    }

    void chartBreaksAtEmptyWindowsAndMarksIncompleteOnes() {
        window_->listMenu()->actions().at(0)->trigger();
        QChart *chart = window_->chartWindow()->chart();
        // 21 days, one of them without a reading in each kind of window: a gap in both lines.
        QCOMPARE(PointsAndStrokes(chart, "Tn"), std::make_pair(20, 2));
        QCOMPARE(PointsAndStrokes(chart, "Tx"), std::make_pair(20, 2));
        int legendEntries = 0;
        for (QLegendMarker *marker : chart->legend()->markers())
            legendEntries +=
                marker->isVisible() && (marker->label() == "Tn" || marker->label() == "Tx");
        QCOMPARE(legendEntries, 2);
        int hollow = 0;
        for (QAbstractSeries *series : chart->series())
            if (series->type() == QAbstractSeries::SeriesTypeScatter)
                hollow += static_cast<QScatterSeries *>(series)->count();
        QCOMPARE(hollow,
                 6); // the nights of the 1st, 10th and 12th; the days of the 9th, 11th, 21st
    }

    void summaryEqualsPelkCliAndCopiesIt() {
        window_->listMenu()->actions().at(1)->trigger();
        const QTableWidget *table = window_->summaryWindow()->table();
        QString shown;
        for (int c = 0; c < table->columnCount(); ++c)
            shown += (c ? "\t" : "") + table->horizontalHeaderItem(c)->text();
        shown += "\r\n";
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c)
                shown += (c ? "\t" : "") + table->item(r, c)->text();
            shown += "\r\n";
        }
        std::ostringstream out, err;
        const std::string file = services_->chosenFile->toStdString();
        const std::vector<std::string_view> args{"--monthly", "--max-gap", "180", file};
        QCOMPARE(RunCli(args, ',', services_->clock, out, err), 0);
        QCOMPARE(shown, QString::fromStdString(out.str()));
        QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
        QTest::mouseClick(window_->summaryWindow()->findChild<QPushButton *>("copySummaryButton"),
                          Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(out.str()));
    }

    // Each line in its colour, its incomplete windows as hollow markers of that colour; hovering
    // a point tells its date and value with the user's decimal separator.
    void chartDrawsEachLineInItsOwnLook_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("Tn") << "Tn" << QColor(0, 90, 200);
        QTest::newRow("Tx") << "Tx" << QColor(210, 30, 30);
    }

    void chartDrawsEachLineInItsOwnLook() {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        window_->openChart();
        QChart *chart = window_->chartWindow()->chart();
        QXYSeries *firstStroke = nullptr;
        const QScatterSeries *hollow = nullptr;
        for (QAbstractSeries *series : chart->series()) {
            if (series->type() == QAbstractSeries::SeriesTypeLine && series->name() == name) {
                QCOMPARE(static_cast<QXYSeries *>(series)->pen().color(), colour);
                if (firstStroke == nullptr)
                    firstStroke = static_cast<QXYSeries *>(series);
            }
            if (series->name() == name + " (fenêtre incomplète)")
                hollow = qobject_cast<QScatterSeries *>(series);
        }
        QVERIFY(firstStroke != nullptr && hollow != nullptr);
        QCOMPARE(hollow->count(), 3);
        QCOMPARE(hollow->pen().color(), colour);
        QCOMPARE(hollow->brush().color(), QColor(Qt::white));
        QVERIFY(
            chart->legend()->markers(const_cast<QScatterSeries *>(hollow)).value(0)->isVisible());
        Q_EMIT firstStroke->hovered(QPointF(firstStroke->at(0).x(), 2.5), true);
        QTRY_COMPARE(QToolTip::text(), "01/03/2008 : " + name + " 2,5");
    }

    // The means of a month with days missing are shown muted, in italics, with a tooltip that
    // tells how many; nothing else is marked. Only the month is aligned left.
    void summaryMarksTheMeansOfAnIncompleteMonth_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("complete month") << 0 << QList<int>{};
        QTest::newRow("month with days missing") << 1 << QList<int>{3, 4, 5};
    }

    void summaryMarksTheMeansOfAnIncompleteMonth() {
        QFETCH(int, row);
        QFETCH(QList<int>, marked);
        QFile file(dir_.filePath(QStringLiteral("february.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(FebruaryThenThreeWeeks()) > 0);
        file.close();
        services_->chosenFile = file.fileName();
        window_->OpenAnother();
        window_->openSummary();
        const QTableWidget *table = window_->summaryWindow()->table();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(row, 19)->text(), marked.isEmpty() ? "1" : "0");
        const QString tip = "Mois incomplet : " + table->item(row, 18)->text() + " jours manquants";
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem *item = table->item(row, c);
            const QString title = table->horizontalHeaderItem(c)->text();
            const bool mark = marked.contains(c);
            QVERIFY2(!item->text().isEmpty(), qPrintable(title));
            QVERIFY2(item->font().italic() == mark, qPrintable(title));
            QCOMPARE(item->data(Qt::ForegroundRole).isValid(), mark);
            if (mark)
                QCOMPARE(item->foreground().color(), kMutedTextColor);
            QCOMPARE(item->toolTip(), mark ? tip : QString());
            QCOMPARE(item->textAlignment(),
                     static_cast<int>(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                             : Qt::AlignRight | Qt::AlignVCenter));
        }
    }

    void aLaterLoadRefreshesTheOpenWindows() {
        window_->openChart();
        window_->openSummary();
        QFile april(dir_.filePath(QStringLiteral("april.txt")));
        QVERIFY(april.open(QIODevice::WriteOnly) &&
                april.write("h\r\n04/02/2008 12:00\t5\r\n") > 0);
        april.close();
        services_->chosenFile = april.fileName();
        window_->OpenAnother();
        QTRY_COMPARE(PointsAndStrokes(window_->chartWindow()->chart(), "Tx"), std::make_pair(1, 1));
        QCOMPARE(window_->summaryWindow()->table()->rowCount(), 1);
        QVERIFY(window_->summaryWindow()->table()->item(0, 0)->text().contains("04"));
    }

    void savesPngAndSvg() {
        window_->openChart();
        ChartWindow *chart = window_->chartWindow();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        const QString png = dir_.filePath(QStringLiteral("chart.png"));
        services_->imageFile = png;
        QTest::mouseClick(chart->findChild<QPushButton *>("saveImageButton"), Qt::LeftButton);
        const QImage image(png);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), chart->chartView()->size() * chart->devicePixelRatio());
        const QString svg = dir_.filePath(QStringLiteral("chart.svg"));
        QVERIFY(chart->saveImage(svg));
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("<?xml") && text.contains("<svg") && text.contains("</svg>"));
        // Saved without a word; a save that fails says so, with the name.
        QVERIFY(services_->messages.isEmpty());
        const QString nowhere = dir_.filePath(QStringLiteral("gone/chart.png"));
        services_->imageFile = nowhere;
        QTest::mouseClick(chart->findChild<QPushButton *>("saveImageButton"), Qt::LeftButton);
        QCOMPARE(services_->messages.size(), 1);
        QCOMPARE(services_->messages[0].text, "L'image n'a pas pu être enregistrée : " + nowhere);
    }
};

QTEST_MAIN(SeasonWindowsTest)
#include "season_windows_test.moc"
