// SPDX-License-Identifier: GPL-3.0-or-later
// Several downloads of one logger in the window: opened at once, added one by one, dropped
// together or named on the command line, they list what the whole export lists.
#include "app/frm_pelk.h"
#include "app/season_windows.h"
#include "fake_window_services.h"
#include "model_rows.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace pelk {
class RecordWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FakeWindowServices> services_;
    std::unique_ptr<FrmPelk> window_;
    QByteArray whole_;
    QStringList wholeRows_;
    QString wholeClipboard_;
    QStringList cuts_; ///< three overlapping downloads cut from the sample export

    QString write(const QByteArray &content, const QString &name) {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    QStringList rows() const {
        return Rows(window_->findChild<QTreeView *>(QStringLiteral("Lv"))->model());
    }

    QString clipboard() {
        window_->Command1_Click();
        return QGuiApplication::clipboard()->text();
    }

    void start(const QStringList &chosen, const std::vector<std::filesystem::path> &record = {}) {
        services_ = std::make_unique<FakeWindowServices>();
        services_->chosenFiles = chosen;
        window_ = std::make_unique<FrmPelk>(*services_);
        if (!record.empty())
            window_->setStartupRecord(record);
        window_->show();
        QTRY_VERIFY(window_->loadDone());
    }

  private Q_SLOTS:
    void initTestCase() {
        QFile sample(QStringLiteral(PELK_SAMPLE_EXPORT));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        whole_ = sample.readAll();
        QList<QByteArray> lines = whole_.split('\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        // Each download repeats the end of the one before, as from a logger never cleared.
        const QByteArray header = lines.front() + '\n';
        auto piece = [&](qsizetype from, qsizetype to) {
            QByteArray bytes = header;
            for (qsizetype i = from; i < to && i < lines.size(); ++i)
                bytes += lines[i] + '\n';
            return bytes;
        };
        const qsizetype n = lines.size();
        cuts_ = {write(piece(1, n / 2), "a.txt"), write(piece(n / 3, 3 * n / 4), "b.txt"),
                 write(piece(2 * n / 3, n), "c.txt")};
        start({write(whole_, "whole.txt")});
        wholeRows_ = rows();
        wholeClipboard_ = clipboard();
        QVERIFY(wholeRows_.size() > 20);
    }

    void cleanup() { window_.reset(); }

    void threeDownloadsOpenedAtOnceListTheWholeExport() {
        start({cuts_[2], cuts_[0], cuts_[1]});
        QCOMPARE(rows(), wholeRows_);
        QCOMPARE(clipboard(), wholeClipboard_);
        QCOMPARE(services_->messages.size(), 1);
        QVERIFY2(services_->messages[0].text.startsWith("Relevé de 3 fichiers"),
                 qPrintable(services_->messages[0].text));
        QVERIFY(services_->messages[0].text.contains("présents aussi dans un autre fichier"));
    }

    void downloadsAddedOneByOneListTheWholeExport() {
        start({cuts_[1]});
        for (const QString &added : {cuts_[0], cuts_[2]}) {
            services_->chosenFiles = {added};
            window_->AddFiles();
        }
        QCOMPARE(rows(), wholeRows_);
        QCOMPARE(clipboard(), wholeClipboard_);
        QVERIFY(services_->messages.last().text.startsWith("Relevé de 3 fichiers"));
        // A dialog closed without a file adds nothing, and reads nothing again.
        const auto messages = services_->messages.size();
        services_->chosenFiles.clear();
        window_->AddFiles();
        QCOMPARE(services_->messages.size(), messages);
        // Its shortcut, in the list's menu.
        bool offered = false;
        for (QAction *action : window_->listMenu()->actions())
            offered |= action->text() == "Ajouter des fichiers…" &&
                       action->shortcut() == QKeySequence(QStringLiteral("Ctrl+Shift+O"));
        QVERIFY(offered);
    }

    void downloadsDroppedTogetherOrNamedAtStartListTheWholeExport() {
        start({cuts_[0]});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(cuts_[2]), QUrl::fromLocalFile(cuts_[1]),
                      QUrl::fromLocalFile(cuts_[0])});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &dropped);
        QCOMPARE(rows(), wholeRows_);

        start({}, {std::filesystem::path(cuts_[1].toStdU16String()),
                   std::filesystem::path(cuts_[0].toStdU16String()),
                   std::filesystem::path(cuts_[2].toStdU16String())});
        QCOMPARE(rows(), wholeRows_);
        QVERIFY(!services_->calls.contains("chooseExportFile"));
    }

    void theSeasonWindowsShowTheWholeExport() {
        start({cuts_[0], cuts_[1], cuts_[2]});
        window_->openSummary();
        const std::string recordSummary = window_->summaryWindow()->text();
        start({dir_.filePath("whole.txt")});
        window_->openSummary();
        QCOMPARE(recordSummary, window_->summaryWindow()->text());
        QVERIFY(!recordSummary.empty());
    }

    // A refused file leaves the list as it was, and the message names it.
    void aRefusedDownloadLeavesTheListAsItWas() {
        start({dir_.filePath("whole.txt")});
        const QString bad = write("Date\tT\r\n03/01/2008 00:00\tx\r\n", "bad.txt");
        services_->chosenFiles = {cuts_[0], bad};
        window_->OpenAnother();
        QCOMPARE(rows(), wholeRows_);
        QCOMPARE(services_->messages.size(), 1);
        QVERIFY2(services_->messages[0].detail.startsWith("Fichier « bad.txt » : Ligne 2"),
                 qPrintable(services_->messages[0].detail));
    }

    // With several files read in layouts of their own, the reading dialog asks which first.
    void theReadingDialogOfARecordAsksWhichFile() {
        const QString csvA = write("Time;Temp (C)\r\n2008-03-01 00:00;4\r\n2008-03-01 00:10;5\r\n"
                                   "2008-03-01 00:20;6\r\n",
                                   "a.csv");
        const QString csvB =
            write("Time;Temp (C)\r\n2008-03-01 00:30;4\r\n2008-03-01 00:40;5\r\n", "b.csv");
        const QString exported = write("Date\tT\r\n03/01/2008 00:50\t5\r\n", "c.txt");
        start({exported, csvA, csvB});
        QCOMPARE(rows().size(), 1);
        window_->ReadingOfTheFile();
        // The export form has no reading to choose: only the files read in a layout of their own.
        QCOMPARE(services_->itemsOffered, QStringList({"a.csv", "b.csv"}));
        QVERIFY(services_->calls.contains("execDialog"));
    }
};

} // namespace pelk

QTEST_MAIN(pelk::RecordWindowTest)
#include "record_window_test.moc"
