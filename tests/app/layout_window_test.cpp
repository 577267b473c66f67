// SPDX-License-Identifier: GPL-3.0-or-later
// The window on files in loggers' own layouts: read as pelk-cli reads them, told once per logger,
// asked about when the file cannot tell, and corrected in the reading dialog once for good.
#include "app/frm_pelk.h"
#include "app/layout_dialog.h"
#include "cli/cli_run.h"
#include "fake_window_services.h"
#include "layouts/layout_explanation.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <sstream>

using namespace pelk;

namespace {

// Readings every three hours from 13 August 2021, so that the day comes out above 12.
struct Reading {
    int year, month, day, hour;
    double value;
};

Reading ReadingAt(int i) {
    return {2021, 8, 13 + i / 8, (i % 8) * 3, 8 + ((i * 37) % 50) / 4.0 - (i % 3)};
}

constexpr int kReadings = 24;

using LineOf = QString (*)(int i, const Reading &r);

QByteArray Export(const QString &head, LineOf line, const char *end = "\n") {
    QString text = head;
    for (int i = 0; i < kReadings; ++i)
        text += line(i, ReadingAt(i)) + QString::fromLatin1(end);
    return text.toUtf8();
}

// An export with nothing but dates whose day and month are both at most 12, all on one day.
QByteArray Undecidable(const QString &titles = QStringLiteral("Time,Temp")) {
    return (titles + "\n03/05/2008 06:00,1.5\n03/05/2008 12:00,9\n03/05/2008 18:00,4\n").toUtf8();
}

QString CliOutput(const QStringList &args, const QString &file, const ClockReading &clock) {
    std::vector<std::string> kept;
    for (const QString &arg : args)
        kept.push_back(arg.toStdString());
    kept.push_back(file.toStdString());
    const std::vector<std::string_view> views(kept.begin(), kept.end());
    std::ostringstream out, err;
    RunCli(views, ',', clock, out, err);
    return QString::fromStdString(out.str());
}

std::filesystem::path PathOf(const QString &file) {
    return std::filesystem::path(file.toStdU16String());
}

LoadOptions OptionsOf(const QStringList &args) {
    std::vector<std::string> kept;
    for (const QString &arg : args)
        kept.push_back(arg.toStdString());
    LoadOptions options;
    std::optional<std::string> file;
    if (ParseLoadArguments(kept, options, file))
        qFatal("bad arguments");
    return options;
}

template <typename Control> Control *In(QDialog &dialog, const char *name) {
    auto *control = dialog.findChild<Control *>(QString::fromLatin1(name));
    if (control == nullptr)
        qFatal("no %s in the dialog", name);
    return control;
}

QStringList PreviewCells(QDialog &dialog, int column) {
    const auto *table = In<QTableWidget>(dialog, "preview");
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row)
        cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return cells;
}

void SelectField(QComboBox *combo, int field) {
    combo->setCurrentIndex(combo->findData(field));
}

} // namespace

class LayoutWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FakeWindowServices> services_;
    std::unique_ptr<FrmPelk> window_;

    QString write(const QByteArray &content, const QString &name = "logger.csv") {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    void show(const QString &file, const QStringList &args = {}) {
        services_->chosenFile = file;
        window_ = std::make_unique<FrmPelk>(*services_, OptionsOf(args));
        window_->show();
        QTRY_VERIFY(window_->loadDone());
    }

    void drop(const QString &file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &dropped);
    }

    QString listed() {
        QGuiApplication::clipboard()->clear();
        window_->Command1_Click();
        return QGuiApplication::clipboard()->text();
    }

    QAction *readingAction() const { return window_->listMenu()->actions().at(2); }

  private Q_SLOTS:
    void init() { services_ = std::make_unique<FakeWindowServices>(); }
    void cleanup() {
        window_.reset();
        services_.reset();
    }

    // Files in the shapes that real loggers and stations write, each read by the window into the
    // list that pelk-cli prints for it, and told in one box.
    void loggersOwnLayoutsListAsPelkCliDoes_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("saysOfColumns");
        auto row = [](const char *name, const QByteArray &content, const QStringList &args,
                      const char *columns) {
            QTest::newRow(name) << content << args << QString::fromUtf8(columns);
        };
        row("record number, yy/mm/dd, offset in the title, events",
            Export(
                QStringLiteral("\"Plot Title: 1234\"\n\"#\",\"Date Time, GMT+00:00\",\"Temp, °C "
                               "(LGR S/N: 1, LBL: 5)\",\"Temp, °C (LGR S/N: 1, LBL: 25)\",\"Host "
                               "Connected (LGR S/N: 1)\"\n"),
                [](int i, const Reading &r) {
                    return QString::asprintf("%d,%02d/%02d/%02d %02d:00:00,%.2f,%.2f,%s", i + 1,
                                             r.year % 100, r.month, r.day, r.hour, r.value,
                                             r.value + 3, i == 5 ? "Logged" : "");
                }),
            {}, "Temp, °C (LGR S/N: 1, LBL: 5)");
        row("settings before the titles, a unit column, AM and PM",
            Export(QStringLiteral("Part Number: DS1921G-F5\nMission Start:  Fri Aug 13 00:00:00 "
                                  "2021\nSample Rate:  Every 180 minute(s)\nHigh Temperature "
                                  "Alarm:  85 C\n\nDate/Time,Unit,Value\n"),
                   [](int, const Reading &r) {
                       return QString::asprintf("%02d/%02d/%02d %d:00:00 %s,C,%.1f", r.day, r.month,
                                                r.year % 100, r.hour % 12 == 0 ? 12 : r.hour % 12,
                                                r.hour < 12 ? "AM" : "PM", r.value);
                   }),
            {}, "Value");
        row("five title rows, the unit in the value",
            Export(QStringLiteral(",Time,1,2\nS/N,,227659,227659\nType,,Tinytag,Tinytag\n"
                                  "Description,,South wall,South wall\nProperty,,Temperature,"
                                  "Humidity\n"),
                   [](int i, const Reading &r) {
                       return QString::asprintf("%d,%04d-%02d-%02d %02d:00:00,%.1f °C,56.3 %%RH",
                                                i + 1, r.year, r.month, r.day, r.hour, r.value);
                   }),
            {}, "Temperature");
        row("every field quoted, the timestamp twice, four channels",
            Export(QStringLiteral("\"Date/Time\",\"Date/Time\",\"No.1\",\"No.2\",\"No.3\"\n"
                                  "\"Date/Time\",\"Date/Time\",\"ch1\",\"ch2\",\"ch3\"\n"
                                  "\"\",\"\",\"lx\",\"%\",\"°C\"\n"),
                   [](int i, const Reading &r) {
                       return QString::asprintf(
                           "\"%04d-%02d-%02d %02d:00:00\",\"%.6f\",\"%d\",\"53.0\",\"%.1f\"",
                           r.year, r.month, r.day, r.hour, 44421 + i / 8.0, i * 10, r.value);
                   }),
            {}, "ch3");
        row("date and time apart, titles over two rows, Tn from the low and Tx from the high",
            Export(QStringLiteral("\t\tTemp\tHi\tLow\tOut\nDate\tTime\tOut\tTemp\tTemp\tHum\n"),
                   [](int, const Reading &r) {
                       return QString::asprintf("%04d-%02d-%02d\t%02d:00\t%.1f\t%.1f\t%.1f\t92",
                                                r.year, r.month, r.day, r.hour, r.value,
                                                r.value + 1.5, r.value - 2);
                   }),
            {}, "minimum");
        row("device facts, a units row, d/m/yyyy",
            Export(QStringLiteral("Device Name;HEAT;;;\nDevice Model;5400CL;;;\nSerial Number;2520;"
                                  ";;\nFORMATTED DATE-TIME;Direction;Wind Speed;Temperature;"
                                  "Relative Humidity\nYYYY-MM-DD HH:MM:SS;;m/s;°C;%\n"),
                   [](int, const Reading &r) {
                       return QString::asprintf("%d/%d/%04d %d:00;327;0.7;%.1f;69.9", r.day,
                                                r.month, r.year, r.hour, r.value);
                   }),
            {}, "Temperature");
        row("eight lines of header, m/d/yy and the time apart",
            Export(QStringLiteral("EXO MEASUREMENT DATA FILE EXPORT,,,,\n,,,,\nFILE CREATED:,"
                                  "8/27/21 22:49,,,\n,,,,\n,,,MEAN VALUE:,37.2\n,,,,\n,,,,\n,,,"
                                  "SENSOR SERIAL NUMBER:,15C103732\nDate (MM/DD/YYYY),Time "
                                  "(HH:mm:ss),Site Name,Cond µS/cm,Temp ∞C\n"),
                   [](int, const Reading &r) {
                       return QString::asprintf("%d/%d/%02d,%02d:00:00,French Ck,35.3,%.2f",
                                                r.month, r.day, r.year % 100, r.hour, r.value);
                   }),
            {}, "Temp ∞C");
        row("decimal comma, dd.mm.yyyy, the offset said",
            Export(QStringLiteral("Date & Time;Conduct [uS/cm];Temp [C];SerialNumber\n"),
                   [](int, const Reading &r) {
                       return QString::asprintf("%02d.%02d.%04d %02d:00:00;1,7;%.2f;2060302", r.day,
                                                r.month, r.year, r.hour, r.value)
                           .replace(QStringLiteral(".50;"), QStringLiteral(",50;"))
                           .replace(QStringLiteral(".00;"), QStringLiteral(",00;"))
                           .replace(QStringLiteral(".25;"), QStringLiteral(",25;"))
                           .replace(QStringLiteral(".75;"), QStringLiteral(",75;"));
                   }),
            {"--utc-offset", "2"}, "Temp [C]");
        row("four header rows, degrees F, maximum and minimum",
            Export(QStringLiteral("\"TOA5\",\"RF407\",\"CR1000\"\n\"TIMESTAMP\",\"RECORD\","
                                  "\"AirTF_Max\",\"AirTF_Min\",\"AirTF_Avg\",\"RH\"\n\"TS\",\"RN\","
                                  "\"°F\",\"°F\",\"°F\",\"%\"\n\"\",\"\",\"Max\",\"Min\",\"Avg\","
                                  "\"Smp\"\n"),
                   [](int i, const Reading &r) {
                       return QString::asprintf("\"%04d-%02d-%02d %02d:00:00\",%d,%.2f,%.2f,%.2f,"
                                                "88.1",
                                                r.year, r.month, r.day, r.hour, i,
                                                50 + r.value * 1.8, 46 + r.value * 1.8,
                                                48 + r.value * 1.8);
                   }),
            {}, "minimum");
        row("TABs, yy.mm.dd, offset GMT+02:00, empty value cells",
            Export(
                QStringLiteral("\"Plot Title:  20024354\"\n\"#\"\t\"Date Time, GMT+02:00\"\t"
                               "\"Temp, °C (LGR S/N: 2)\"\t\"RH, % (LGR S/N: 2)\"\t\"Coupler "
                               "Detached (LGR S/N: 2)\"\n"),
                [](int i, const Reading &r) {
                    return i % 7 == 6
                               ? QString::asprintf("%d\t%02d.%02d.%02d %02d:30:00\t\t\t"
                                                   "Logged",
                                                   i + 1, r.year % 100, r.month, r.day, r.hour)
                               : QString::asprintf("%d\t%02d.%02d.%02d %02d:00:00\t%.3f"
                                                   "\t43.792\t",
                                                   i + 1, r.year % 100, r.month, r.day, r.hour,
                                                   r.value);
                },
                "\r\n"),
            {}, "Temp, °C (LGR S/N: 2)");
        row("no titles, the column said",
            Export(QString(),
                   [](int i, const Reading &r) {
                       return QString::asprintf("%d;%04d.%02d.%02d %02d:00;4;%.4f;-200", i, r.year,
                                                r.month, r.day, r.hour, r.value);
                   }),
            {"--column", "4"}, "champ 4");
    }

    void loggersOwnLayoutsListAsPelkCliDoes() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, args);
        QFETCH(QString, saysOfColumns);
        const QString file = write(content);
        show(file, args);
        const QString cli = CliOutput(args, file, services_->clock);
        QVERIFY(cli.count(QStringLiteral("\r\n")) >= 3);
        QCOMPARE(listed(), cli);
        QCOMPARE(services_->messages.size(), 1);
        const auto &box = services_->messages.constFirst();
        QCOMPARE(box.title, QStringLiteral("PELK"));
        QVERIFY2(box.text.startsWith(QStringLiteral("Ce fichier n'est pas un export Excel")),
                 qPrintable(box.text));
        QVERIFY2(box.text.contains(saysOfColumns), qPrintable(box.text));
        QVERIFY(services_->dialogs.isEmpty());
        QVERIFY(readingAction()->isEnabled());
    }

    void theExportFormLoadsWithoutABoxOrADialog() {
        show(write("Date Heure\tTemperature\r\n03/05/2008 06:00\t7\r\n03/05/2008 12:00\t12.5\r\n",
                   "export.txt"));
        QCOMPARE(window_->list().Count(), 1);
        QVERIFY(services_->messages.isEmpty());
        QVERIFY(services_->dialogs.isEmpty());
        QVERIFY(services_->metLayouts.isEmpty());
        QVERIFY(!readingAction()->isEnabled());
        readingAction()->trigger(); // nothing to say of the export form
        QVERIFY(services_->dialogs.isEmpty());
    }

    // Told once per logger, and the trust notice in the same box.
    void aLoggerIsToldOnceAndWithTheNoticeInOneBox() {
        const QString titles = QStringLiteral("Time,Temp\n");
        const QString first = write(
            (titles + "13/05/2008 00:00,1\n13/05/2008 12:00,2\n14/05/2008 23:00,3\n").toUtf8(),
            "a.csv");
        const QString second =
            write((titles + "13/06/2008 12:00,4\n14/06/2008 12:00,5\n").toUtf8(), "b.csv");
        const QString other = write("When,Temp\n13/06/2008 12:00,4\n", "c.csv");
        // Twelve hours ahead, the first reading falls in no listed day's window, and is told.
        show(first, {"--utc-offset", "12"});
        QCOMPARE(services_->messages.size(), 1);
        const QString box = services_->messages.constFirst().text;
        QVERIFY2(box.contains(QStringLiteral("Lecture du fichier… (Ctrl+L).\n\n1 relevé n'est pas "
                                             "compté : avec ce décalage UTC")),
                 qPrintable(box));
        drop(second);
        QVERIFY(listed().contains(QStringLiteral("\n2008-06-14\t5")));
        QCOMPARE(services_->messages.size(), 1);
        drop(other);
        QCOMPARE(services_->messages.size(), 2);
    }

    // OK in the dialog reads the file with its choices, as pelk-cli does with the same options;
    // Annuler keeps the list.
    void theDialogChangesTheReadingOnOkOnly() {
        const QString file =
            write(Export(QStringLiteral("Time,Inside,Outside\n"), [](int, const Reading &r) {
                return QString::asprintf("%02d/%02d/%04d %02d:00,%.2f,%.2f", r.day, r.month, r.year,
                                         r.hour, r.value, r.value - 10);
            }));
        show(file);
        const QString inside = listed();
        QCOMPARE(inside, CliOutput({}, file, services_->clock));

        QStringList before, after;
        QString title, explanation;
        services_->answerDialog = [&](QDialog &dialog) {
            title = dialog.windowTitle();
            explanation = In<QLabel>(dialog, "explanation")->text();
            before = PreviewCells(dialog, 2);
            SelectField(In<QComboBox>(dialog, "column"), 3);
            after = PreviewCells(dialog, 2);
            return int{QDialog::Rejected};
        };
        QTest::keyClick(window_.get(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(services_->dialogs, QStringList{"LayoutDialog"});
        QCOMPARE(title, QStringLiteral("PELK – Lecture du fichier"));
        QVERIFY2(explanation.contains("Inside") && !explanation.contains("Ctrl+L"),
                 qPrintable(explanation));
        QCOMPARE(before.size(), int{kPreviewRowCount});
        QCOMPARE(before.mid(0, 3), QStringList({"8", "16,25", "12"}));
        QCOMPARE(after.mid(0, 3), QStringList({"-2", "6,25", "2"}));
        QCOMPARE(listed(), inside);
        QVERIFY(services_->keptLayouts.isEmpty());

        services_->answerDialog = [](QDialog &dialog) {
            SelectField(In<QComboBox>(dialog, "column"), 3);
            return int{QDialog::Accepted};
        };
        readingAction()->trigger();
        QCOMPARE(listed(), CliOutput({"--column", "3"}, file, services_->clock));
        QCOMPARE(services_->keptLayouts.values(), QStringList{"column=3"});
        QCOMPARE(services_->messages.size(), 1); // the choice made says nothing more
    }

    // Tn and Tx from two columns, or one, as the boxes say; and an offset of so many hours read
    // as --utc-offset reads it.
    void columnsAndOffsetChosenInTheDialog() {
        const QString file =
            write(Export(QStringLiteral("Time,Temp_Min,Temp_Max\n"), [](int, const Reading &r) {
                return QString::asprintf("%02d/%02d/%04d %02d:00,%.2f,%.2f", r.day, r.month, r.year,
                                         r.hour, r.value - 1, r.value + 1);
            }));
        show(file);
        QStringList one, tn, tx;
        int headersUnticked = 0;
        services_->answerDialog = [&](QDialog &dialog) {
            In<QCheckBox>(dialog, "twoColumns")->setChecked(false);
            headersUnticked = In<QTableWidget>(dialog, "preview")->columnCount();
            SelectField(In<QComboBox>(dialog, "column"), 3);
            one = PreviewCells(dialog, 2);
            In<QCheckBox>(dialog, "twoColumns")->setChecked(true);
            SelectField(In<QComboBox>(dialog, "tnColumn"), 3);
            SelectField(In<QComboBox>(dialog, "txColumn"), 2);
            tn = PreviewCells(dialog, 2);
            tx = PreviewCells(dialog, 3);
            SelectData(dialog, "offset", 2); // a number of hours
            In<QSpinBox>(dialog, "offsetHours")->setValue(12);
            return int{QDialog::Accepted};
        };
        readingAction()->trigger();
        QCOMPARE(headersUnticked, 3); // one value column as soon as the box is unticked
        QCOMPARE(one.mid(0, 2), QStringList({"9", "17,25"}));
        QCOMPARE(tn.mid(0, 2), QStringList({"9", "17,25"}));
        QCOMPARE(tx.mid(0, 2), QStringList({"7", "15,25"}));
        QCOMPARE(listed(), CliOutput({"--tn-column", "3", "--tx-column", "2", "--utc-offset", "12"},
                                     file, services_->clock));
        QCOMPARE(services_->keptLayouts.values(), QStringList{"tn=3;tx=2;offset=12"});
    }

    // A choice under which no line reads says so and greys OK.
    void aChoiceThatReadsNothingDisablesOk() {
        show(write("Time,Place,Temp\n13/05/2008 06:00,roof,1\n13/05/2008 12:00,roof,2\n"));
        bool okAtFirst = false, okAfter = true;
        QString status;
        services_->answerDialog = [&](QDialog &dialog) {
            auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
            okAtFirst = ok->isEnabled();
            SelectField(In<QComboBox>(dialog, "column"), 2);
            okAfter = ok->isEnabled();
            status = In<QLabel>(dialog, "status")->text();
            return int{QDialog::Accepted}; // pressed anyway: nothing changes
        };
        const QString shown = listed();
        readingAction()->trigger();
        QVERIFY(okAtFirst);
        QVERIFY(!okAfter);
        QVERIFY2(status.contains(QStringLiteral("refusé")) || status.contains("Aucune"),
                 qPrintable(status));
        QCOMPARE(listed(), shown);
        QCOMPARE(services_->messages.size(), 1); // the first box only: no refusal
    }

    // Lines that read above one that does not: the file would be refused there, so OK is greyed.
    void theDialogSaysWhereTheFileWouldBeRefused() {
        const std::unique_ptr<const FileText> text = ReadFileText(PathOf(
            write("Time,Temp\n13/05/2008 06:00,1\n13/05/2008 12:00,x\n13/05/2008 18:00,3\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        QCOMPARE(dialog.previewRows().size(), std::size_t{3});
        QCOMPARE(dialog.previewRows().front().kind, PreviewRow::Kind::Reading);
        QVERIFY(!dialog.canLoad());
        QCOMPARE(In<QLabel>(dialog, "status")->text(),
                 QStringLiteral("Avec ces choix, le fichier serait refusé à la ligne 3."));
        QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
        QCOMPARE(PreviewCells(dialog, 1).at(1), QStringLiteral("la valeur n'est pas un nombre"));
    }

    // Day or month first: asked before any row, day first offered; the answer is kept and reads
    // the next file of the same logger without a word.
    void anUndecidableFileAsksFirstAndTheAnswerIsKept() {
        int rowsAtQuestion = -1;
        QString question, orderOffered;
        services_->answerDialog = [&](QDialog &dialog) {
            rowsAtQuestion = window_->list().Count();
            question = In<QLabel>(dialog, "question")->text();
            orderOffered = In<QComboBox>(dialog, "dateOrder")->currentText();
            return int{QDialog::Accepted};
        };
        const QString file = write(Undecidable());
        show(file);
        QCOMPARE(rowsAtQuestion, 0);
        QVERIFY2(question.startsWith(QStringLiteral("Jour ou mois en premier ?")),
                 qPrintable(question));
        QCOMPARE(orderOffered, QStringLiteral("jour/mois/année"));
        QCOMPARE(listed(), CliOutput({"--date-order", "dmy"}, file, services_->clock));
        QVERIFY(listed().contains(QStringLiteral("\n2008-05-03")));
        QVERIFY(services_->messages.isEmpty());
        QCOMPARE(services_->keptLayouts.values(), QStringList{"date-order=dmy"});

        // The next file with those titles: no question, day first; titles this plain may be
        // another logger's, so the box says in one line what was kept.
        services_->dialogs.clear();
        drop(write(Undecidable(), "next.csv"));
        QVERIFY(services_->dialogs.isEmpty());
        QCOMPARE(services_->messages.size(), 1);
        QCOMPARE(services_->messages.at(0).text,
                 QStringLiteral("ordre des dates retenu la dernière fois pour ces titres : "
                                "jour/mois/année"));
        QVERIFY(listed().contains(QStringLiteral("\n2008-05-03")));
        // Titles that name a logger (its serial number): its kept answer is used without a word.
        services_->messages.clear();
        const QByteArray named = Undecidable(QStringLiteral("Time,Temp (S/N 20345)"));
        services_->answerDialog = [](QDialog &) { return int{QDialog::Accepted}; };
        drop(write(named, "named.csv"));
        services_->answerDialog = {};
        services_->messages.clear();
        services_->dialogs.clear();
        drop(write(named, "named-next.csv"));
        QVERIFY(services_->dialogs.isEmpty());
        QVERIFY(services_->messages.isEmpty());

        // The month first, said on the command line, wins over the kept answer.
        window_.reset();
        show(file, {"--date-order", "mdy"});
        QVERIFY(services_->dialogs.isEmpty());
        QVERIFY(listed().contains(QStringLiteral("\n2008-03-05")));
    }

    void cancellingTheQuestionListsNothing() {
        show(write(Undecidable()));
        QCOMPARE(services_->dialogs.size(), 1);
        QCOMPARE(window_->list().Count(), 0);
        QVERIFY(services_->endRequests.isEmpty());
        QVERIFY(services_->keptLayouts.isEmpty());
        QVERIFY(!services_->keptFolder.isEmpty());
    }

    // "Oublier cette lecture": the logger's choices go, and its file is read afresh, asking again.
    void forgettingAReadingReadsTheFileAfresh() {
        services_->answerDialog = [](QDialog &) { return int{QDialog::Accepted}; };
        show(write(Undecidable()));
        QCOMPARE(services_->keptLayouts.size(), 1);
        bool offered = false;
        int calls = 0;
        services_->answerDialog = [&](QDialog &dialog) {
            if (calls++ == 0) {
                auto *forget = In<QPushButton>(dialog, "forget");
                offered = !forget->isHidden();
                forget->click();
                return dialog.result();
            }
            SelectData(dialog, "dateOrder", static_cast<int>(DateOrder::MonthDayYear));
            return int{QDialog::Accepted};
        };
        services_->dialogs.clear();
        readingAction()->trigger();
        QVERIFY(offered);
        QCOMPARE(services_->dialogs.size(), 2); // the reading, then the question again
        QVERIFY(listed().contains(QStringLiteral("\n2008-03-05")));
        QCOMPARE(services_->keptLayouts.values(), QStringList{"date-order=mdy"});
    }

    // Choices kept for a logger that no longer read its file give way to a fresh reading.
    void keptChoicesThatNoLongerReadAreSetAside() {
        const QString file = write("Time,Temp\n13/05/2008 06:00,1\n13/05/2008 12:00,2\n");
        Layout logger;
        logger.titles = {"Time", "Temp"};
        services_->keptLayouts[QString::fromStdString(LayoutKey(logger))] =
            QStringLiteral("column=1");
        show(file);
        QCOMPARE(listed(), CliOutput({}, file, services_->clock));
        QCOMPARE(services_->messages.size(), 1);
    }

    // Each control of the reading dialog: what it makes of the choices passed on, what the
    // preview then shows line by line ("line|time|value[|Tx]"), and which controls stay usable.
    void eachControlChangesTheChoicesAndThePreview_data() {
        QTest::addColumn<QStringList>("steps"); // "control=value", in turn
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QStringList>("preview");
        QTest::addColumn<QStringList>("enabled");
        const QString noValue = QStringLiteral("4|12 août 2021 06:00|sans valeur : passée");
        const QStringList asRead = {"2|12 août 2021 00:00:30|50", "3|12 août 2021 03:00|59",
                                    noValue, "5|13 août 2021 09:00|68"};
        const QStringList oneColumn = {"column", "dateOrder", "ok"};
        auto row = [](const char *name, const QStringList &steps, const char *choices,
                      const QStringList &preview, const QStringList &enabled) {
            QTest::newRow(name) << steps << QString::fromLatin1(choices) << preview << enabled;
        };
        row("as recognised", {}, "", asRead, oneColumn);
        row("degrees F", {"unit=F"}, "unit=F",
            {"2|12 août 2021 00:00:30|10", "3|12 août 2021 03:00|15", noValue,
             "5|13 août 2021 09:00|20"},
            oneColumn);
        row("kelvins", {"unit=K"}, "unit=K",
            {"2|12 août 2021 00:00:30|-223,15", "3|12 août 2021 03:00|-214,15", noValue,
             "5|13 août 2021 09:00|-205,15"},
            oneColumn);
        row("degrees F, then C again", {"unit=F", "unit=C"}, "unit=C", asRead, oneColumn);
        row("the zone, day by day", {"offset=zone"}, "offset=zone", asRead, oneColumn);
        row("a number of hours", {"offset=hours"}, "offset=0", asRead,
            {"column", "dateOrder", "offsetHours", "ok"});
        row("twelve hours behind", {"offset=hours", "offsetHours=-12"}, "offset=-12", asRead,
            {"column", "dateOrder", "offsetHours", "ok"});
        row("hours, then the computer's", {"offset=hours", "offsetHours=3", "offset=computer"},
            "offset=computer", asRead, oneColumn);
        row("another column", {"column=3"}, "column=3",
            {"2|12 août 2021 00:00:30|14", "3|12 août 2021 03:00|23", "4|12 août 2021 06:00|5",
             "5|13 août 2021 09:00|32"},
            oneColumn);
        row("Tn and Tx", {"twoColumns=1"}, "tn=2;tx=3",
            {"2|12 août 2021 00:00:30|50|14", "3|12 août 2021 03:00|59|23", noValue,
             "5|13 août 2021 09:00|68|32"},
            {"tnColumn", "txColumn", "dateOrder", "ok"});
        row("Tn and Tx the other way", {"twoColumns=1", "tnColumn=3", "txColumn=2"}, "tn=3;tx=2",
            {"2|12 août 2021 00:00:30|14|50", "3|12 août 2021 03:00|23|59", noValue,
             "5|13 août 2021 09:00|32|68"},
            {"tnColumn", "txColumn", "dateOrder", "ok"});
        row("two columns, then one", {"twoColumns=1", "twoColumns=0"}, "column=2", asRead,
            oneColumn);
        row("month first", {"dateOrder=mdy"}, "date-order=mdy",
            {"2|8 décembre 2021 00:00:30|50", "3|8 décembre 2021 03:00|59",
             "4|8 décembre 2021 06:00|sans valeur : passée", "5|la date n'est pas lisible"},
            {"column", "dateOrder"});
        row("data from line 3", {"firstLine=3"}, "first-line=3", asRead.mid(1), oneColumn);
        row("a separator forgets the columns", {"column=3", "separator=;", "separator=,"},
            "separator=44", asRead, oneColumn);
    }

    void eachControlChangesTheChoicesAndThePreview() {
        QFETCH(QStringList, steps);
        QFETCH(QString, choices);
        QFETCH(QStringList, preview);
        QFETCH(QStringList, enabled);
        const std::unique_ptr<const FileText> text = ReadFileText(
            PathOf(write("Time,Inside,Outside\n12/08/2021 00:00:30,50,14\n12/08/2021 03:00,59,23\n"
                         "12/08/2021 06:00,,5\n13/08/2021 09:00,68,32\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        for (const QString &step : steps) {
            const QString name = step.section('=', 0, 0);
            const QString value = step.section('=', 1);
            const QByteArray control = name.toLatin1();
            if (auto *spin = dialog.findChild<QSpinBox *>(name))
                spin->setValue(value.toInt());
            else if (auto *box = dialog.findChild<QCheckBox *>(name))
                box->setChecked(value == "1");
            else
                SelectData(dialog, control.constData(), ItemData(name, value));
        }
        QCOMPARE(QString::fromStdString(ChoicesText(dialog.choices())), choices);
        QCOMPARE(PreviewLines(dialog), preview);
        QStringList usable;
        for (const char *name : {"column", "tnColumn", "txColumn", "dateOrder", "offsetHours"})
            if (In<QWidget>(dialog, name)->isEnabled())
                usable << QString::fromLatin1(name);
        if (dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled())
            usable << "ok";
        std::sort(usable.begin(), usable.end());
        std::sort(enabled.begin(), enabled.end());
        QCOMPARE(usable, enabled);
    }

    // The file's own text, cut into columns as the choices change, the columns read marked.
    void theFilesOwnTextIsShownInColumns() {
        const std::unique_ptr<const FileText> text = ReadFileText(PathOf(write(
            "Logger 7\nTime,Inside,Outside\n12/08/2021 00:00,50,14\n13/08/2021 03:00,59,23\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        auto *table = In<QTableWidget>(dialog, "fileText");
        const auto headers = [&] {
            QStringList texts;
            for (int c = 0; c < table->columnCount(); ++c)
                texts << table->horizontalHeaderItem(c)->text();
            return texts;
        };
        QCOMPARE(headers(), QStringList({"1 – Time\n[horodatage]", "2 – Inside\n[température]",
                                         "3 – Outside"}));
        QCOMPARE(table->rowCount(), 4); // from line 1, two lines above the data
        QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("1"));
        QCOMPARE(table->item(2, 1)->text(), QStringLiteral("50"));
        QVERIFY(table->item(1, 0)->foreground() != table->item(2, 0)->foreground());
        SelectData(dialog, "column", ItemData("column", "3"));
        QCOMPARE(headers().at(2), QStringLiteral("3 – Outside\n[température]"));
        SelectData(dialog, "separator", ItemData("separator", ";"));
        QCOMPARE(table->columnCount(), 1);
        QCOMPARE(table->item(2, 0)->text(), QStringLiteral("12/08/2021 00:00,50,14"));
    }

    // What the user may choose: the file's own offset though another was said, the first line of
    // a file without titles, a timestamp field of a wide station file.
    void theControlsOfferWhatTheFileHolds() {
        const std::unique_ptr<const FileText> titled = ReadFileText(
            PathOf(write("Time (GMT+02:00),Temp\n12/08/2021 00:00,50\n13/08/2021 03:00,59\n")));
        QVERIFY(titled);
        LayoutChoices said;
        said.offsetChosen = true;
        said.offsetHours = 5;
        LayoutDialog withOffset(*titled, said, DayNumberFromCivil(2026, 12, 7), ',');
        auto *offset = In<QComboBox>(withOffset, "offset");
        QCOMPARE(offset->itemText(0), QStringLiteral("celui du fichier (GMT+02:00)"));

        const std::unique_ptr<const FileText> bare =
            ReadFileText(PathOf(write("0;2020.10.28 08:45;4;9.875\n1;2020.10.28 09:00;4;6.8\n")));
        QVERIFY(bare);
        LayoutDialog noTitles(*bare, {}, DayNumberFromCivil(2026, 12, 7), ',');
        QCOMPARE(In<QSpinBox>(noTitles, "firstLine")->value(), 1);
        auto *stamp = In<QSpinBox>(noTitles, "timestampField");
        stamp->setValue(150);
        QCOMPARE(stamp->value(), 150);
        stamp->setValue(0);
        QCOMPARE(stamp->value(), 1);
    }

    // The account at the top follows every change: the column, and the rows it passes over.
    void theAccountFollowsTheChoices() {
        const std::unique_ptr<const FileText> text = ReadFileText(
            PathOf(write("Time,Inside,Outside\n12/08/2021 00:00,50,14\n12/08/2021 06:00,,5\n"
                         "13/08/2021 03:00,59,23\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        dialog.setComputerOffsetHours(1);
        dialog.showAccount();
        auto *account = In<QLabel>(dialog, "explanation");
        QVERIFY(account->isVisibleTo(&dialog));
        QVERIFY2(account->text().contains(QStringLiteral("champ 2 (« Inside »)")),
                 qPrintable(account->text()));
        QVERIFY(account->text().contains(QStringLiteral("1 sans valeur")));
        QVERIFY(account->text().contains(QStringLiteral("UTC+1 aujourd'hui")));
        SelectData(dialog, "column", ItemData("column", "3"));
        QVERIFY2(account->text().contains(QStringLiteral("champ 3 (« Outside »)")),
                 qPrintable(account->text()));
        QVERIFY(!account->text().contains(QStringLiteral("sans valeur")));
    }

    // A long question wraps within the dialog rather than widening it past the screen.
    void aLongQuestionWraps() {
        const std::unique_ptr<const FileText> text =
            ReadFileText(PathOf(write("Time,Temp\n12/08/2021 00:00,50\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        dialog.setQuestion(
            QString(40, QLatin1Char('?')).replace(QLatin1Char('?'), QStringLiteral("mot long ")));
        QVERIFY(dialog.minimumSizeHint().width() < 600);
    }

    // A separator no list offers, typed in: the file is cut at it at once.
    void anyOtherSeparatorCanBeTyped() {
        const std::unique_ptr<const FileText> text =
            ReadFileText(PathOf(write("Time|Temp\n12/08/2021 00:00|50\n13/08/2021 03:00|59\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        In<QComboBox>(dialog, "separator")->setEditText(QStringLiteral("|"));
        QCOMPARE(QString::fromStdString(ChoicesText(dialog.choices())),
                 QStringLiteral("separator=124"));
        QCOMPARE(In<QTableWidget>(dialog, "fileText")->columnCount(), 2);
        QCOMPARE(PreviewLines(dialog),
                 QStringList({"2|12 août 2021 00:00|50", "3|13 août 2021 03:00|59"}));
        QVERIFY(dialog.canLoad());
    }

    // The computer's offset is named by its number, and a number of hours starts from it.
    void aNumberOfHoursStartsFromTheComputersOffset() {
        const std::unique_ptr<const FileText> text =
            ReadFileText(PathOf(write("Time,Temp\n12/08/2021 00:00,50\n13/08/2021 03:00,59\n")));
        QVERIFY(text);
        LayoutDialog dialog(*text, {}, DayNumberFromCivil(2026, 12, 7), ',');
        dialog.setComputerOffsetHours(2);
        auto *offset = In<QComboBox>(dialog, "offset");
        QCOMPARE(offset->currentText(), QStringLiteral("celui de l'ordinateur, UTC+2 aujourd'hui"));
        SelectData(dialog, "offset", ItemData("offset", "hours"));
        QCOMPARE(In<QSpinBox>(dialog, "offsetHours")->value(), 2);
        QCOMPARE(QString::fromStdString(ChoicesText(dialog.choices())), QStringLiteral("offset=2"));
    }

    // A file without titles: each column is offered by its number and the value it holds first.
    void columnsWithoutTitlesAreOfferedByTheirFirstValues() {
        show(write("0;2020.10.28 08:45;4;9.875\n1;2020.10.28 09:00;4;6.8\n"), {"--column", "4"});
        QStringList offered;
        services_->answerDialog = [&](QDialog &dialog) {
            auto *column = In<QComboBox>(dialog, "column");
            for (int i = 0; i < column->count(); ++i)
                offered << column->itemText(i);
            return int{QDialog::Rejected};
        };
        readingAction()->trigger();
        QCOMPARE(offered, QStringList({"1 – 0", "2 – 2020.10.28 08:45", "3 – 4", "4 – 9.875"}));
    }

    void aRefusedFileIsReadOtherwiseThroughTheDialog_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("the first dialog") << "dialog";
        QTest::newRow("pelk FILE") << "command line";
        QTest::newRow("a drop") << "drop";
    }

    void aRefusedFileIsReadOtherwiseThroughTheDialog() {
        QFETCH(QString, how);
        const QString file = write(ReportThenData());
        const QString dataOnly =
            write(ReportThenData().mid(ReportThenData().indexOf("Time;")), "data.csv");
        services_->chooseOffered = true;
        QString separator;
        int firstLine = 0;
        bool okEnabled = false;
        QString explanation;
        services_->answerDialog = [&](QDialog &dialog) {
            separator = In<QComboBox>(dialog, "separator")->currentText();
            firstLine = In<QSpinBox>(dialog, "firstLine")->value();
            explanation = In<QLabel>(dialog, "explanation")->text();
            okEnabled =
                dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled();
            return int{QDialog::Accepted};
        };
        if (how == "drop") {
            show(write("h\n03/05/2008 06:00\t1\n", "first.txt"));
            drop(file);
        } else if (how == "command line") {
            window_ = std::make_unique<FrmPelk>(*services_, LoadOptions{}, PathOf(file));
            window_->show();
            QTRY_VERIFY(window_->loadDone());
        } else {
            show(file);
        }
        QCOMPARE(services_->offeredChoices, QStringList{QStringLiteral("Lire autrement…")});
        QCOMPARE(services_->messages.at(0).text,
                 QStringLiteral("Mauvais format de fichier !  Utilisez l'export Excel"));
        // The line that stopped the reading, and why, rather than the export form's complaint.
        QCOMPARE(services_->messages.at(0).detail,
                 QStringLiteral("Ligne 2 : un relevé au-dessus des données, qui serait passé sans "
                                "être lu (Lire autrement… pour dire où commencent les données)\n"
                                "« 2021-08-12 09:00;1 »"));
        QCOMPARE(separator, QStringLiteral("point-virgule (;)"));
        QCOMPARE(firstLine, 44);
        QVERIFY(okEnabled);
        // A refused file has no reading to account for yet: the dialog shows only the file.
        QCOMPARE(explanation, QString());
        QCOMPARE(listed(), CliOutput({}, dataOnly, services_->clock));
        QVERIFY(services_->endRequests.isEmpty());
    }

    // Double-clicked, a refused file leaves the window open with an empty list, the message told;
    // chosen in the first dialog, it ends the program as it always has.
    void aRefusedFileOnTheCommandLineLeavesTheWindowOpen() {
        const QString file = write(ReportThenData());
        window_ = std::make_unique<FrmPelk>(*services_, LoadOptions{}, PathOf(file));
        window_->show();
        QTRY_VERIFY(window_->loadDone());
        QCOMPARE(services_->messages.size(), 1);
        QVERIFY(services_->dialogs.isEmpty());
        QVERIFY(services_->endRequests.isEmpty());
        QCOMPARE(window_->list().Count(), 0);
        window_.reset();
        show(file);
        QCOMPARE(services_->endRequests, QList<int>{kBadFormatExitStatus});
    }

  private:
    static void SelectData(QDialog &dialog, const char *name, int data) {
        auto *combo = In<QComboBox>(dialog, name);
        combo->setCurrentIndex(combo->findData(data));
    }

    // The data of the item that a step names: a unit, a date order, an offset or a separator by
    // its letters, a field by its number.
    static int ItemData(const QString &control, const QString &value) {
        const QHash<QString, int> named = {
            {"unit=C", static_cast<int>(WrittenUnit::Celsius)},
            {"unit=F", static_cast<int>(WrittenUnit::Fahrenheit)},
            {"unit=K", static_cast<int>(WrittenUnit::Kelvin)},
            {"dateOrder=dmy", static_cast<int>(DateOrder::DayMonthYear)},
            {"dateOrder=mdy", static_cast<int>(DateOrder::MonthDayYear)},
            {"dateOrder=ymd", static_cast<int>(DateOrder::YearMonthDay)},
            {"offset=file", 0},
            {"offset=computer", 1},
            {"offset=hours", 2},
            {"offset=zone", 3}};
        if (control == "separator")
            return value.at(0).toLatin1();
        return named.value(control + '=' + value, value.toInt());
    }

    // The preview's rows as shown, the cells of each joined by "|".
    // A file no layout reads as it stands: a stray reading among 40 lines of report, then the
    // data. Refused, it is read through "Lire autrement…", which opens the dialog at the data.
    static QByteArray ReportThenData() {
        QByteArray file = "Report\n2021-08-12 09:00;1\n";
        for (int i = 0; i < 40; ++i)
            file += "setting " + QByteArray::number(i) + ";x\n";
        return file + Export(QStringLiteral("Time;Temp\n"), [](int, const Reading &r) {
                   return QStringLiteral("%1-%2-%3 %4:00;%5")
                       .arg(r.year)
                       .arg(r.month, 2, 10, QLatin1Char('0'))
                       .arg(r.day, 2, 10, QLatin1Char('0'))
                       .arg(r.hour, 2, 10, QLatin1Char('0'))
                       .arg(r.value);
               });
    }

    static QStringList PreviewLines(QDialog &dialog) {
        const auto *table = In<QTableWidget>(dialog, "preview");
        QStringList lines;
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columnCount(); ++column)
                cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
            while (!cells.isEmpty() && cells.last().isEmpty() && cells.size() > 2)
                cells.removeLast();
            lines << cells.join('|');
        }
        return lines;
    }
};

QTEST_MAIN(LayoutWindowTest)
#include "layout_window_test.moc"
