#include "app/qt_services.h"

#include "app/app_fonts.h"
#include "climate/locale_conversions.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <ctime>

namespace pelk {
namespace {

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

std::optional<QString> QtWindowServices::chooseExportFile(QWidget *parent,
                                                          const ExportFileRequest &request) {
    QFileDialog dialog(parent, QStringLiteral("Ouvrir"), request.initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.nameFilters);
    dialog.selectNameFilter(request.selectedFilter);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.constFirst().isEmpty())
        return std::nullopt;
    return files.constFirst();
}

std::optional<QString> QtWindowServices::chooseImageFile(QWidget *parent) {
    QFileDialog dialog(parent, QStringLiteral("Enregistrer l'image"), QDir::homePath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("Image PNG (*.png)"), QStringLiteral("Image SVG (*.svg)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString file = dialog.selectedFiles().constFirst();
    // The filter chosen decides the format when the name does not.
    if (!file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
        !file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        file += dialog.selectedNameFilter().contains(QStringLiteral("svg")) ? ".svg" : ".png";
    return file;
}

void QtWindowServices::showMessage(QWidget *parent, const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtWindowServices::endProgram(int status) {
    QCoreApplication::exit(status);
}

void SetUpApplication(QApplication &app) {
    QApplication::setApplicationName(QStringLiteral("pelk"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pelk.Pelk"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pelk/pelk.png")));
    RegisterLookAlikeFonts(QString::fromLatin1(kLookAlikeFontFolder));
    // The window speaks French whatever the locale, so the dialog's own texts should too.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace pelk
