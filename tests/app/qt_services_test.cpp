// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"
#include "app/qt_services.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelk;

class QtServicesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // As the program starts, so that the dialog keeps no settings of its own here either.
    void initTestCase() {
        SetUpApplication(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    // The last folder is kept between runs, in the program's own settings file: a run later
    // (other services) finds it, names in any script included.
    void theLastFolderIsKeptForTheNextRun() {
        QTemporaryDir settings; // the user's settings in a folder of this test's own
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        QCOMPARE(QtWindowServices().lastFolder(), QString());
        const QString folder = QStringLiteral("/home/élise/relevés 2008");
        QtWindowServices().setLastFolder(folder);
        QCOMPARE(QtWindowServices().lastFolder(), folder);
        QVERIFY(QFile::exists(settings.filePath(QStringLiteral("pelk/pelk.ini"))));
    }

    // A logger's choices and whether it was met are kept by its titles, whatever they hold, and
    // apart from every other logger's; forgetting takes them away.
    void aLoggersReadingIsKeptByItsTitles() {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        const QString logger = QStringLiteral("Date/Heure\x1FTempérature [°C]\x1F");
        const QString other = QStringLiteral("Date/Heure\x1FHumidité\x1F");
        QtWindowServices().keepLayout(logger, QStringLiteral("date-order=dmy"));
        QtWindowServices().setLayoutMet(logger, true);
        QCOMPARE(QtWindowServices().keptLayout(logger), QStringLiteral("date-order=dmy"));
        QVERIFY(QtWindowServices().layoutMet(logger));
        QCOMPARE(QtWindowServices().keptLayout(other), QString());
        QVERIFY(!QtWindowServices().layoutMet(other));
        QtWindowServices().keepLayout(logger, {});
        QtWindowServices().setLayoutMet(logger, false);
        QCOMPARE(QtWindowServices().keptLayout(logger), QString());
        QVERIFY(!QtWindowServices().layoutMet(logger));
        QtWindowServices().setLastFolder(QStringLiteral("/tmp"));
        QSettings kept(settings.filePath(QStringLiteral("pelk/pelk.ini")), QSettings::IniFormat);
        QCOMPARE(kept.allKeys(), QStringList{"lastFolder"}); // nothing left of the logger
    }

    // The dialog shows each filter's own text, and "Tous les fichiers (*.*)" lets every name
    // through, with a dot or without.
    void allFilesListsNamesWithoutADotToo() {
        const QStringList listed = {"a.txt", "b.csv", "sans-point"};
        QTemporaryDir dir;
        for (const QString &name : listed) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QStringList filters = ExportNameFilters();
        QStringList shownFilters;
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            const auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; types != nullptr && i < types->count(); ++i)
                shownFilters << types->itemText(i);
            const auto *model = dialog->findChild<QFileSystemModel *>();
            const QModelIndex root = model->index(dir.path());
            // The folder is read in the background: wait until its files are there.
            (void)QTest::qWaitFor([&] { return model->rowCount(root) >= listed.size(); }, 5000);
            for (int row = 0; row < model->rowCount(root); ++row)
                shown << model->index(row, 0, root).data().toString();
            dialog->reject();
        });
        QtWindowServices services;
        QVERIFY(!services.chooseExportFile(
            nullptr, {dir.path(), filters, ExportNamePatterns(), filters.at(0)}));
        QCOMPARE(shownFilters, filters);
        shown.sort();
        QCOMPARE(shown, listed);
    }
};

QTEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
