// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"
#include "app/list_view_model.h"
#include "app/season_chart.h"
#include "app/season_windows.h"
#include "cli/cli_run.h"
#include "fake_window_services.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTreeView>
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

// Points of the line of `name`, and how many strokes draw them.
std::pair<int, int> PointsAndStrokes(const SeasonChartView *chart, const QString &name) {
    int points = 0, strokes = 0;
    for (const DrawnLine &line : chart->lines())
        if (line.name == name)
            for (const auto &stroke : line.strokes) {
                points += static_cast<int>(stroke.size());
                ++strokes;
            }
    return {points, strokes};
}

const DrawnLine &LineNamed(const SeasonChartView *chart, const QString &name) {
    for (const DrawnLine &line : chart->lines())
        if (line.name == name)
            return line;
    qFatal("no line %s", qPrintable(name));
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
                                     "Ajouter des fichiers…", "", "Copier dans le presse papier ",
                                     "Enregistrer la liste…"}));
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
        const SeasonChartView *chart = window_->chartWindow()->chartView();
        // 21 days, one of them without a reading in each kind of window: a gap in both lines.
        QCOMPARE(PointsAndStrokes(chart, "Tn"), std::make_pair(20, 2));
        QCOMPARE(PointsAndStrokes(chart, "Tx"), std::make_pair(20, 2));
        QStringList legend;
        for (const LegendEntry &entry : chart->legend())
            legend << entry.text + (entry.hollow ? " o " : " - ") + entry.colour.name();
        QCOMPARE(legend,
                 QStringList({"Tn - #005ac8", "Tx - #d21e1e", "Tn (fenêtre incomplète) o #005ac8",
                              "Tx (fenêtre incomplète) o #d21e1e"}));
        // the nights of the 1st, 10th and 12th; the days of the 9th, 11th, 21st
        QCOMPARE(LineNamed(chart, "Tn").hollow.size() + LineNamed(chart, "Tx").hollow.size(),
                 std::size_t{6});
    }

    // A few days just above freezing, in tenths of a degree: steps of half a degree, written in
    // the user's separator, and so is the hover text.
    void chartValuesInTheUsersSeparator() {
        SeasonChart season;
        for (int day = 0; day < 5; ++day) {
            season.tn.points.push_back({39500 + day, static_cast<float>(day) / 10, false});
            season.tx.points.push_back(
                {39500 + day, 0.1f + static_cast<float>(day) / 10, day == 4});
        }
        SeasonChartView chart;
        chart.resize(600, 400);
        chart.setSeason(season, ',');
        QVERIFY(chart.lowestValue() <= -1 && chart.highestValue() >= 1.5);
        QStringList labels;
        for (const AxisTick &tick : chart.valueTicks())
            labels << tick.label;
        QCOMPARE(labels, QStringList({"-1", "-0,5", "0", "0,5", "1", "1,5"}));
        const QPointF last = chart.lines().at(1).strokes.front().back();
        QCOMPARE(chart.textAt(chart.placeOf(last)),
                 QStringLiteral("%1 : Tx 0,5 (fenêtre incomplète)")
                     .arg(QDate(1899, 12, 30).addDays(39504).toString("dd/MM/yyyy")));
        QCOMPARE(chart.dateTicks().size(), std::size_t{6}); // one a day, both ends included
        // A summer, all above it: the dashed line at 0 °C stays in sight.
        for (ChartLine *line : {&season.tn, &season.tx})
            for (ChartPoint &point : line->points)
                point.value += 20;
        chart.setSeason(season, ',');
        QVERIFY(chart.lowestValue() < 0);
    }

    // The °C axis and the dates: 0 °C among the values, in the user's decimal separator, and
    // every date shown until the wheel, a dragged rectangle or a double click changes them.
    void chartAxesAndZoom() {
        window_->openChart();
        SeasonChartView *chart = window_->chartWindow()->chartView();
        QVERIFY(QTest::qWaitForWindowExposed(window_->chartWindow()));
        const std::vector<AxisTick> values = chart->valueTicks();
        QVERIFY(values.size() >= 4);
        QVERIFY(std::any_of(values.begin(), values.end(),
                            [](const AxisTick &tick) { return tick.label == "0"; }));
        QVERIFY(std::none_of(values.begin(), values.end(),
                             [](const AxisTick &tick) { return tick.label.contains('.'); }));
        QVERIFY(chart->lowestValue() <= -5 && chart->highestValue() >= 17);
        const double first = chart->firstDate(), last = chart->lastDate();
        QCOMPARE(last - first, 21.0);
        QCOMPARE(chart->dateTicks().front().label, QStringLiteral("01/03/08"));

        const QPoint middle = chart->placeOf({(first + last) / 2, 0}).toPoint();
        QWheelEvent nearer(middle, chart->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(chart, &nearer);
        QCOMPARE(chart->lastDateShown() - chart->firstDateShown(), 21.0 * 0.8);
        QTest::mouseDClick(chart, Qt::LeftButton, {}, middle);
        QCOMPARE(chart->firstDateShown(), first);
        QCOMPARE(chart->lastDateShown(), last);

        const QPoint from = chart->placeOf({first + 3, 0}).toPoint();
        const QPoint to = chart->placeOf({first + 10, 0}).toPoint();
        QTest::mousePress(chart, Qt::LeftButton, {}, from);
        QMouseEvent drag(QEvent::MouseMove, to, chart->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &drag);
        QTest::mouseRelease(chart, Qt::LeftButton, {}, to);
        QVERIFY(std::abs(chart->firstDateShown() - (first + 3)) < 0.1);
        QVERIFY(std::abs(chart->lastDateShown() - (first + 10)) < 0.1);
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
        SeasonChartView *chart = window_->chartWindow()->chartView();
        QVERIFY(QTest::qWaitForWindowExposed(window_->chartWindow()));
        const DrawnLine &line = LineNamed(chart, name);
        QCOMPARE(line.colour, colour);
        QCOMPARE(line.hollow.size(), std::size_t{3});
        // The line's first point tells the list's value of its day; a hollow one says why.
        const QPointF firstPoint = line.strokes.front().front();
        const int row = name == "Tn" ? 1 : 2;
        const QString listed =
            window_->findChild<QTreeView *>("Lv")->model()->index(0, row).data().toString();
        const bool hollowFirst = line.hollow.front() == firstPoint;
        QCOMPARE(chart->textAt(chart->placeOf(firstPoint) + QPointF(2, 1)),
                 "01/03/2008 : " + name + " " + listed +
                     (hollowFirst ? " (fenêtre incomplète)" : ""));
        QTest::mouseMove(chart, chart->placeOf(line.hollow.back()).toPoint());
        QTRY_VERIFY(QToolTip::text().endsWith(QStringLiteral(" (fenêtre incomplète)")));
        QVERIFY(QToolTip::text().contains(' ' + name + ' '));
        QCOMPARE(chart->textAt(chart->placeOf(firstPoint) + QPointF(0, 40)), QString());
        // As drawn: a hollow marker is white inside and ringed in the line's colour.
        const QImage drawn = chart->grab().toImage();
        const qreal scale = chart->devicePixelRatioF();
        const QPointF centre = chart->placeOf(line.hollow.back()) * scale;
        QCOMPARE(drawn.pixelColor(centre.toPoint()), QColor(Qt::white));
        bool ringed = false;
        for (qreal r = 2 * scale; r <= 5 * scale; r += 0.5) {
            const QColor ring = drawn.pixelColor((centre + QPointF(r, 0)).toPoint());
            const int hue = qAbs(ring.hue() - colour.hue());
            ringed = ringed || (std::min(hue, 360 - hue) < 15 && ring.saturation() > 120);
        }
        QVERIFY(ringed);
    }

    // The means of a month with days missing are shown muted, in italics, with a tooltip that
    // tells how many; nothing else is marked. Only the month is aligned left.
    // A month with too many days missing shows its counts, but no means: the empty cells say why,
    // and the window names the rule.
    void summaryLeavesTheMeansOfAnIncompleteMonthEmpty_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("empty");
        QTest::newRow("complete month") << 0 << QList<int>{};
        QTest::newRow("month with days missing") << 1 << QList<int>{3, 4, 5};
    }

    void summaryLeavesTheMeansOfAnIncompleteMonthEmpty() {
        QFETCH(int, row);
        QFETCH(QList<int>, empty);
        QFile file(dir_.filePath(QStringLiteral("february.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(FebruaryThenThreeWeeks()) > 0);
        file.close();
        services_->chosenFile = file.fileName();
        window_->OpenAnother();
        window_->openSummary();
        const QTableWidget *table = window_->summaryWindow()->table();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(row, 19)->text(), empty.isEmpty() ? "1" : "0");
        const QString tip = "Pas de moyenne : " + table->item(row, 18)->text() +
                            " jours manquants. " + QString::fromUtf8(kMonthlyRuleText);
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem *item = table->item(row, c);
            const QString title = table->horizontalHeaderItem(c)->text();
            QCOMPARE(item->text().isEmpty(), empty.contains(c));
            QCOMPARE(item->toolTip(), empty.contains(c) ? tip : QString());
            // Counts of days by threshold, lower bounds in an incomplete month.
            if (c >= 10 && c <= 17)
                QVERIFY2(item->text().startsWith(QStringLiteral("≥")) == !empty.isEmpty(),
                         qPrintable(title));
            QCOMPARE(item->textAlignment(),
                     static_cast<int>(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                             : Qt::AlignRight | Qt::AlignVCenter));
        }
        const auto *rule = window_->summaryWindow()->findChild<QLabel *>("monthlyRule");
        QVERIFY(rule && rule->text() == QString::fromUtf8(kMonthlyRuleText));
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
        QTRY_COMPARE(PointsAndStrokes(window_->chartWindow()->chartView(), "Tx"),
                     std::make_pair(1, 1));
        QCOMPARE(window_->summaryWindow()->table()->rowCount(), 1);
        QVERIFY(window_->summaryWindow()->table()->item(0, 0)->text().contains("04"));
    }

    void savesPngPdfAndSvg() {
        window_->openChart();
        ChartWindow *chart = window_->chartWindow();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        const QString png = dir_.filePath(QStringLiteral("chart.png"));
        services_->imageFile = png;
        QTest::mouseClick(chart->findChild<QPushButton *>("saveImageButton"), Qt::LeftButton);
        const QImage image(png);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), chart->chartView()->size() * chart->devicePixelRatio());
#ifdef PELK_HAVE_SVG
        const QString svg = dir_.filePath(QStringLiteral("chart.svg"));
        QVERIFY(chart->saveImage(svg));
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("<?xml") && text.contains("<svg") && text.contains("</svg>"));
#endif
        const QString pdf = dir_.filePath(QStringLiteral("chart.pdf"));
        QVERIFY(chart->saveImage(pdf));
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        const QByteArray document = printed.readAll();
        QVERIFY(document.startsWith("%PDF-") && document.contains("%%EOF"));
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
