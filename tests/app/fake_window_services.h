// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Window services for tests: answers fixed in advance, every request recorded, the real Qt
/// clipboard (which the offscreen platform keeps in the process), and no program end.
#pragma once

#include "app/qt_services.h"
#include "app/window_services.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace pelk {

class FakeWindowServices final : public WindowServices {
  public:
    struct Message {
        QString text;
        QString title;
        QString detail;
    };

    // Answers.
    char separator = ',';
    ClockReading clock{39512.5, 12, 12}; // noon, local time equal to UTC: no offset
    std::optional<QString> chosenFile;
    QStringList chosenFiles; ///< several files chosen at once; when empty, chosenFile stands
    std::optional<int> chosenItem = 0;
    std::optional<QString> imageFile;
    std::optional<ListFileChoice> listFile;
    bool programFolderWritable = true;
    QString keptFolder;                  ///< the last folder, as kept between runs
    QString keptFilter;                  ///< the file type last chosen, as kept between runs
    std::optional<QString> pickedFilter; ///< the file type the user picks in the dialog
    QMap<QString, QString> keptLayouts;  ///< choices by layout key, as kept between runs
    QMap<QString, bool> metLayouts;
    /// Plays the user in a modal dialog: what they do there, and the code it closes with.
    /// Without one, a dialog is cancelled.
    std::function<int(QDialog &)> answerDialog;
    /// Whether the user takes a message's second button, where it offers one.
    bool chooseOffered = false;

    // What was asked, in order.
    QStringList calls;
    ExportFileRequest dialogRequest;
    bool windowVisibleAtDialog = false;
    QList<Message> messages;
    QList<int> endRequests;
    QStringList dialogs;        ///< the object names of the dialogs shown
    QStringList offeredChoices; ///< the second buttons of the messages that had one
    QStringList itemsOffered;   ///< what chooseItem last offered

    char localeSeparator() override {
        calls << QStringLiteral("localeSeparator");
        return separator;
    }
    ClockReading readClock() override {
        calls << QStringLiteral("readClock");
        return clock;
    }
    std::optional<QString> chooseExportFile(QWidget *parent,
                                            const ExportFileRequest &request) override {
        calls << QStringLiteral("chooseExportFile");
        dialogRequest = request;
        // On screen, not merely flagged visible: a dialog opened from showEvent would see the
        // flag already set but no platform window yet.
        const QWindow *screenWindow =
            parent != nullptr ? parent->window()->windowHandle() : nullptr;
        windowVisibleAtDialog = screenWindow != nullptr && screenWindow->isVisible();
        if (chosenFile && pickedFilter)
            keptFilter = *pickedFilter;
        return chosenFile;
    }
    QStringList chooseExportFiles(QWidget *parent, const ExportFileRequest &request) override {
        if (chosenFiles.isEmpty())
            return WindowServices::chooseExportFiles(parent, request);
        calls << QStringLiteral("chooseExportFiles");
        dialogRequest = request;
        return chosenFiles;
    }
    std::optional<int> chooseItem(QWidget *, const QString &, const QString &,
                                  const QStringList &items) override {
        calls << QStringLiteral("chooseItem");
        itemsOffered = items;
        return chosenItem;
    }
    std::optional<ListFileChoice> chooseListFile(QWidget *) override {
        calls << QStringLiteral("chooseListFile");
        return listFile;
    }
    std::optional<QString> chooseImageFile(QWidget *) override {
        calls << QStringLiteral("chooseImageFile");
        return imageFile;
    }
    bool isWritableFolder(const QString &) override { return programFolderWritable; }
    QString lastFolder() override { return keptFolder; }
    QString lastFilter() override { return keptFilter; }
    void setLastFolder(const QString &folder) override { keptFolder = folder; }
    QString keptLayout(const QString &key) override { return keptLayouts.value(key); }
    void keepLayout(const QString &key, const QString &choices) override {
        if (choices.isEmpty())
            keptLayouts.remove(key);
        else
            keptLayouts[key] = choices;
    }
    bool layoutMet(const QString &key) override { return metLayouts.value(key); }
    void setLayoutMet(const QString &key, bool met) override {
        if (met)
            metLayouts[key] = true;
        else
            metLayouts.remove(key);
    }
    int execDialog(QDialog &dialog) override {
        calls << QStringLiteral("execDialog");
        dialogs << dialog.objectName();
        return answerDialog ? answerDialog(dialog) : int{QDialog::Rejected};
    }
    void showMessage(QWidget *, const QString &text, const QString &title,
                     const QString &detail) override {
        calls << QStringLiteral("showMessage");
        messages.append({text, title, detail});
    }
    bool showMessageOffering(QWidget *parent, const QString &text, const QString &title,
                             const QString &detail, const QString &otherChoice) override {
        showMessage(parent, text, title, detail);
        offeredChoices << otherChoice;
        return chooseOffered;
    }
    void endProgram(int status) override {
        calls << QStringLiteral("endProgram");
        endRequests.append(status);
    }
    Clipboard &clipboard() override { return clipboard_; }

  private:
    QtClipboard clipboard_;
};

} // namespace pelk
