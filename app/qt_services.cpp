// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_services.h"

#include "app/app_fonts.h"
#include "qt_locale/decimal_separator.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTranslator>

#include <ctime>

namespace pelk {
namespace {

// Kept in the user's configuration under the program's own name (~/.config/pelk/pelk.ini).
constexpr QLatin1String kSettingsName("pelk");
constexpr QLatin1String kLastFolderKey("lastFolder");
constexpr QLatin1String kLastFilterKey("lastFilter");

QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kSettingsName, kSettingsName);
}

// A logger's titles may hold any character, slashes too: its settings go under their digest.
QString LayoutSetting(const QString &layoutKey, QLatin1String what) {
    const QByteArray digest =
        QCryptographicHash::hash(layoutKey.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("layouts/") + QString::fromLatin1(digest) + QLatin1Char('/') + what;
}

QClipboard &SystemClipboard() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        throw ClipboardUnavailable();
    return *clipboard;
}

} // namespace

void QtClipboard::Clear() {
    SystemClipboard().clear(QClipboard::Clipboard);
}

void QtClipboard::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void QtClipboard::SetText(const std::string &text) {
    SystemClipboard().setText(QString::fromStdString(text), QClipboard::Clipboard);
}

char QtWindowServices::localeSeparator() {
    return DecimalSeparatorFromEnvironment();
}

ClockReading QtWindowServices::readClock() {
    return ReadClock(std::time(nullptr));
}

namespace {

QStringList ChooseExportFiles(QWidget *parent, const ExportFileRequest &request,
                              QFileDialog::FileMode mode) {
    QFileDialog dialog(parent, QStringLiteral("Ouvrir"), request.initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mode);
    // The dialog applies the patterns written in a filter's text; "*.*" would hide every name
    // without a dot. So each filter is set with the patterns it stands for, then shown with its
    // own text.
    QStringList applied;
    for (qsizetype i = 0; i < request.nameFilters.size(); ++i) {
        const QString &text = request.nameFilters.at(i);
        applied << text.left(text.lastIndexOf(QLatin1Char('('))).trimmed() + QStringLiteral(" (") +
                       request.namePatterns.value(i) + QLatin1Char(')');
    }
    dialog.setNameFilters(applied);
    dialog.selectNameFilter(applied.value(request.nameFilters.indexOf(request.selectedFilter)));
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < types->count() && i < request.nameFilters.size(); ++i)
            types->setItemText(i, request.nameFilters.at(i));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    ProgramSettings().setValue(
        kLastFilterKey, request.nameFilters.value(applied.indexOf(dialog.selectedNameFilter())));
    QStringList files = dialog.selectedFiles();
    files.removeAll(QString());
    return files;
}

} // namespace

std::optional<QString> QtWindowServices::chooseExportFile(QWidget *parent,
                                                          const ExportFileRequest &request) {
    const QStringList files = ChooseExportFiles(parent, request, QFileDialog::ExistingFile);
    if (files.isEmpty())
        return std::nullopt;
    return files.constFirst();
}

QStringList QtWindowServices::chooseExportFiles(QWidget *parent, const ExportFileRequest &request) {
    return ChooseExportFiles(parent, request, QFileDialog::ExistingFiles);
}

std::optional<int> QtWindowServices::chooseItem(QWidget *parent, const QString &title,
                                                const QString &label, const QStringList &items) {
    bool chosen = false;
    const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &chosen);
    if (!chosen)
        return std::nullopt;
    return static_cast<int>(items.indexOf(item));
}

std::optional<QString> QtWindowServices::chooseImageFile(QWidget *parent) {
    QFileDialog dialog(parent, QStringLiteral("Enregistrer l'image"), QDir::homePath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters = {QStringLiteral("Image PNG (*.png)"),
                           QStringLiteral("Document PDF (*.pdf)")};
#ifdef PELK_HAVE_SVG
    filters << QStringLiteral("Image SVG (*.svg)");
#endif
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString file = dialog.selectedFiles().constFirst();
    // The filter chosen decides the format when the name does not.
    const QString chosen = dialog.selectedNameFilter();
    const QString suffix = chosen.contains(QStringLiteral("*.svg"))   ? QStringLiteral(".svg")
                           : chosen.contains(QStringLiteral("*.pdf")) ? QStringLiteral(".pdf")
                                                                      : QStringLiteral(".png");
    if (!file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
        !file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
        !file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        file += suffix;
    return file;
}

bool QtWindowServices::isWritableFolder(const QString &folder) {
    return QFileInfo(folder).isWritable();
}

QString QtWindowServices::lastFolder() {
    return ProgramSettings().value(kLastFolderKey).toString();
}

void QtWindowServices::setLastFolder(const QString &folder) {
    ProgramSettings().setValue(kLastFolderKey, folder);
}

std::optional<ListFileChoice> QtWindowServices::chooseListFile(QWidget *parent) {
    const QString last = lastFolder();
    QFileDialog dialog(parent, QStringLiteral("Enregistrer la liste"),
                       last.isEmpty() ? QDir::homePath() : last);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = {QStringLiteral("Tableur (CSV) (*.csv)"),
                                 QStringLiteral("Météo-France quotidien (*.csv)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ListFileChoice{dialog.selectedFiles().constFirst(),
                          dialog.selectedNameFilter() == filters.at(1)
                              ? ListFileFormat::MeteoFrance
                              : ListFileFormat::Spreadsheet};
}

QString QtWindowServices::lastFilter() {
    return ProgramSettings().value(kLastFilterKey).toString();
}

QString QtWindowServices::keptLayout(const QString &layoutKey) {
    return ProgramSettings().value(LayoutSetting(layoutKey, QLatin1String("choices"))).toString();
}

void QtWindowServices::keepLayout(const QString &layoutKey, const QString &choices) {
    QSettings settings = ProgramSettings();
    const QString name = LayoutSetting(layoutKey, QLatin1String("choices"));
    if (choices.isEmpty())
        settings.remove(name);
    else
        settings.setValue(name, choices);
}

bool QtWindowServices::layoutMet(const QString &layoutKey) {
    return ProgramSettings().value(LayoutSetting(layoutKey, QLatin1String("met"))).toBool();
}

void QtWindowServices::setLayoutMet(const QString &layoutKey, bool met) {
    QSettings settings = ProgramSettings();
    const QString name = LayoutSetting(layoutKey, QLatin1String("met"));
    if (met)
        settings.setValue(name, true);
    else
        settings.remove(name);
}

int QtWindowServices::execDialog(QDialog &dialog) {
    return dialog.exec();
}

void QtWindowServices::showMessage(QWidget *parent, const QString &text, const QString &title,
                                   const QString &detail) {
    showMessageOffering(parent, text, title, detail, {});
}

bool QtWindowServices::showMessageOffering(QWidget *parent, const QString &text,
                                           const QString &title, const QString &detail,
                                           const QString &otherChoice) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    QAbstractButton *other =
        otherChoice.isEmpty() ? nullptr : box.addButton(otherChoice, QMessageBox::ActionRole);
    // The detail quotes a line of the file: rich text made here, so that no markup in the line
    // is ever taken for formatting, and its TABs and blanks show as they are.
    if (!detail.isEmpty())
        box.setInformativeText(
            QStringLiteral("<p style=\"white-space:pre-wrap\">") +
            detail.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
            QStringLiteral("</p>"));
    box.exec();
    return other != nullptr && box.clickedButton() == other;
}

void QtWindowServices::endProgram(int status) {
    QCoreApplication::exit(status);
}

void SetUpApplication(QApplication &app) {
    QApplication::setApplicationName(QStringLiteral("pelk"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pelk.Pelk"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pelk/pelk.png")));
    RegisterLookAlikeFonts(QString::fromLatin1(kLookAlikeFontFolder));
    // Qt's file dialog writes its history, sidebar and view to QtProject.conf, in the native
    // format, each time it closes. The program keeps its own settings only (in the INI format):
    // the native format's user files are sent where no file can be made.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    // The window speaks French whatever the locale, so the dialog's own texts should too.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace pelk
