// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// "PELK – Lecture du fichier": the choices that the recognition made for a file, each a control
/// the user can change, and the first rows as they would then be read. Every change recognises
/// the file again under the choices made so far, so the other controls and the preview follow.
/// The dialog only edits choices; the window loads the file with them.
#pragma once

#include "layouts/layout.h"
#include "layouts/layout_explanation.h"
#include "layouts/layout_reader.h"
#include "layouts/recognise.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace pelk {

inline constexpr char kLayoutDialogTitle[] = "PELK – Lecture du fichier";
/// Rows of the preview.
inline constexpr std::size_t kPreviewRowCount = 12;
/// The code the dialog closes with on "Oublier cette lecture".
inline constexpr int kForgetLayoutResult = 2;

class LayoutDialog final : public QDialog {
    Q_OBJECT

  public:
    /// `text` must outlive the dialog; `choices` are those in force, `today` the day number that
    /// dates two-digit years, `decimalSeparator` the user's.
    LayoutDialog(const FileText &text, LayoutChoices choices, std::int64_t today,
                 char decimalSeparator, QWidget *parent = nullptr);

    /// A question in bold above everything (the file cannot tell what it asks).
    void setQuestion(const QString &question);
    /// How the file was read, above the controls.
    void setExplanation(const QString &explanation);
    /// How the file reads under the current choices, above the controls, following every change.
    void showAccount();
    /// Shows "Oublier cette lecture", which closes the dialog with kForgetLayoutResult.
    void offerToForget();
    /// The computer's UTC offset today: named in the offset list, and where a number of hours
    /// starts.
    void setComputerOffsetHours(int hours);

    /// The choices made: those given, and every control the user changed.
    const LayoutChoices &choices() const { return choices_; }
    /// The preview as shown, and whether OK would load something.
    const std::vector<PreviewRow> &previewRows() const { return rows_; }
    bool canLoad() const;

  private:
    void buildControls();
    /// Recognises the file under the choices, then shows what it gives.
    void refresh();
    void showLayout();
    void showPreview();
    /// The file's own lines from a little above the first data line, cut into columns under the
    /// current separator, the columns read marked in their headers.
    void showFileText();
    /// The fields of the first data line: how many there are, and the value each list shows.
    std::vector<std::string> firstDataFields() const;
    void fillFieldList(QComboBox *combo, const std::vector<std::string> &firstValues) const;
    void chooseFromControls(QObject *changed);

    const FileText &text_;
    LayoutChoices choices_;
    std::int64_t today_;
    char decimalSeparator_;
    bool fileHasOffset_ = false;
    QString fileOffsetText_;
    bool recognised_ = false;
    Layout layout_;
    std::vector<PreviewRow> rows_;
    bool refreshing_ = false;
    std::optional<int> computerHours_;
    bool account_ = false;

    QLabel *question_ = nullptr;
    QLabel *explanation_ = nullptr;
    QComboBox *separator_ = nullptr;
    QSpinBox *firstLine_ = nullptr;
    QSpinBox *timestampField_ = nullptr;
    QComboBox *dateOrder_ = nullptr;
    QComboBox *column_ = nullptr;
    QCheckBox *twoColumns_ = nullptr;
    QComboBox *tnColumn_ = nullptr;
    QComboBox *txColumn_ = nullptr;
    QComboBox *offset_ = nullptr;
    QSpinBox *offsetHours_ = nullptr;
    QComboBox *unit_ = nullptr;
    QTableWidget *preview_ = nullptr;
    QTableWidget *fileText_ = nullptr;
    QLabel *status_ = nullptr;
    QDialogButtonBox *buttons_ = nullptr;
    QPushButton *forgetButton_ = nullptr;
};

} // namespace pelk
