// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The real platform behind the window's seams: Qt's file dialog, message box and clipboard, the
/// file system's permissions, the settings kept under the program's name, the environment's
/// decimal separator, the system clock, and the end of the event loop.
#pragma once

#include "app/window_services.h"

namespace pelk {

/// The system clipboard in plain text.
class QtClipboard final : public Clipboard {
  public:
    void Clear() override;
    void ProcessPendingEvents() override;
    void SetText(const std::string &text) override;
};

class QtWindowServices final : public WindowServices {
  public:
    char localeSeparator() override;
    ClockReading readClock() override;
    std::optional<QString> chooseExportFile(QWidget *parent,
                                            const ExportFileRequest &request) override;
    QStringList chooseExportFiles(QWidget *parent, const ExportFileRequest &request) override;
    std::optional<int> chooseItem(QWidget *parent, const QString &title, const QString &label,
                                  const QStringList &items) override;
    std::optional<QString> chooseImageFile(QWidget *parent) override;
    bool isWritableFolder(const QString &folder) override;
    QString lastFolder() override;
    void setLastFolder(const QString &folder) override;
    QString lastFilter() override;
    std::optional<ListFileChoice> chooseListFile(QWidget *parent) override;
    QString keptLayout(const QString &layoutKey) override;
    void keepLayout(const QString &layoutKey, const QString &choices) override;
    bool layoutMet(const QString &layoutKey) override;
    void setLayoutMet(const QString &layoutKey, bool met) override;
    int execDialog(QDialog &dialog) override;
    void showMessage(QWidget *parent, const QString &text, const QString &title,
                     const QString &detail) override;
    bool showMessageOffering(QWidget *parent, const QString &text, const QString &title,
                             const QString &detail, const QString &otherChoice) override;
    void endProgram(int status) override;
    Clipboard &clipboard() override { return clipboard_; }

  private:
    QtClipboard clipboard_;
};

} // namespace pelk

class QApplication;

namespace pelk {

/// What the program sets up once before its window: its names, the look-alike fonts, and Qt's
/// own French texts for the file dialog where they are installed.
void SetUpApplication(QApplication &app);

} // namespace pelk
