// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What the window asks of the platform, gathered behind one small interface: the user's decimal
/// separator, the clock, the open-file dialog and the folders it may open in, what is kept of the
/// loggers' layouts, the message box and other modal dialogs, the clipboard and the end of the
/// program. `main` hands the window the Qt implementation
/// (qt_services.h); the widget tests hand it fakes that record what was asked, so that a test never
/// blocks on a dialog or ends itself.
#pragma once

#include "climate/utc_offset.h"
#include "results/list_file.h"
#include "results/results_list.h"

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

namespace pelk {

/// How the open-file dialog is to be shown.
struct ExportFileRequest {
    QString initialDir;       ///< the folder the dialog opens in
    QStringList nameFilters;  ///< "description (patterns)", in the order the dialog lists them
    QStringList namePatterns; ///< what each filter lets through, blank-separated patterns
    QString selectedFilter;   ///< one of nameFilters, selected when the dialog opens
};

/// Where to save the list, and in which layout.
struct ListFileChoice {
    QString path;
    ListFileFormat format = ListFileFormat::Spreadsheet;
};

class WindowServices {
  public:
    virtual ~WindowServices() = default;

    /// The decimal separator of the user's locale.
    virtual char localeSeparator() = 0;
    /// The local and universal clocks, read once.
    virtual ClockReading readClock() = 0;
    /// Shows the modal open-file dialog; the full path of an existing file, or nothing on cancel.
    /// The file type chosen there is kept between runs (lastFilter).
    virtual std::optional<QString> chooseExportFile(QWidget *parent,
                                                    const ExportFileRequest &request) = 0;
    /// The same dialog, where several files may be chosen at once (the downloads of a logger);
    /// none on cancel.
    virtual QStringList chooseExportFiles(QWidget *parent, const ExportFileRequest &request) {
        const std::optional<QString> file = chooseExportFile(parent, request);
        return file ? QStringList{*file} : QStringList{};
    }
    /// Asks which one of `items` (the files of a record); its index, or nothing on cancel.
    virtual std::optional<int> chooseItem(QWidget *parent, const QString &title,
                                          const QString &label, const QStringList &items) {
        (void)parent;
        (void)title;
        (void)label;
        return items.isEmpty() ? std::nullopt : std::optional<int>(0);
    }
    /// Asks where to save the chart's image: a path ending in .png, .pdf or .svg, or nothing on
    /// cancel.
    virtual std::optional<QString> chooseImageFile(QWidget *parent) = 0;
    /// Asks where to save the list and in which layout ("Tableur (CSV)" or "Météo-France
    /// quotidien"); nothing on cancel.
    virtual std::optional<ListFileChoice> chooseListFile(QWidget *parent) {
        (void)parent;
        return std::nullopt;
    }
    /// Whether the user may write into `folder`.
    virtual bool isWritableFolder(const QString &folder) = 0;
    /// The folder of the last file opened, as kept between runs; empty when none was.
    virtual QString lastFolder() = 0;
    virtual void setLastFolder(const QString &folder) = 0;
    /// The file type last chosen in the open-file dialog (one of its filters' texts), as kept
    /// between runs; empty when none was.
    virtual QString lastFilter() { return {}; }
    /// The choices kept for the logger whose column titles are `layoutKey`, as kept between runs
    /// (the text of ChoicesText); empty when none are. Keeping an empty text forgets them.
    virtual QString keptLayout(const QString &layoutKey) = 0;
    virtual void keepLayout(const QString &layoutKey, const QString &choices) = 0;
    /// Whether the window has already said how it reads files with these titles.
    virtual bool layoutMet(const QString &layoutKey) = 0;
    virtual void setLayoutMet(const QString &layoutKey, bool met) = 0;
    /// Shows `dialog` modally; the code it was closed with (QDialog::Accepted, Rejected, or its
    /// own).
    virtual int execDialog(QDialog &dialog) = 0;
    /// Shows a modal message with an OK button only and no icon, `detail` below the text unless
    /// empty; returns once it is closed.
    virtual void showMessage(QWidget *parent, const QString &text, const QString &title,
                             const QString &detail) = 0;
    /// The same message with a second button, `otherChoice`, beside OK; whether it was chosen.
    virtual bool showMessageOffering(QWidget *parent, const QString &text, const QString &title,
                                     const QString &detail, const QString &otherChoice) {
        (void)otherChoice;
        showMessage(parent, text, title, detail);
        return false;
    }
    /// Ends the program with `status` as soon as the running handler returns.
    virtual void endProgram(int status) = 0;
    virtual Clipboard &clipboard() = 0;
};

} // namespace pelk
