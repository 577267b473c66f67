// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/layout_dialog.h"

#include "climate/date_time.h"
#include "layouts/text.h"
#include "results/refusal_detail.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace pelk {
namespace {

// What the offset list offers, kept as each item's data.
enum class OffsetItem { File, Computer, Hours, Zone };

// The month by its name, so that the date order chosen is seen at a glance: "5 juin 2024 14:30".
QString ShownTime(DateTime value) {
    static const std::array<const char *, 12> kMonths = {
        "janvier", "février", "mars",      "avril",   "mai",      "juin",
        "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    const CivilDateTime t = SplitDateTime(value);
    QString text = QStringLiteral("%1 %2 %3 ")
                       .arg(t.day)
                       .arg(QString::fromUtf8(kMonths.at(static_cast<std::size_t>(t.month) - 1)))
                       .arg(t.year) +
                   QString::asprintf("%02d:%02d", t.hour, t.minute);
    if (t.second != 0)
        text += QString::asprintf(":%02d", t.second);
    return text;
}

QString ShownValue(float value, char decimalSeparator) {
    QString text = QString::number(static_cast<double>(value), 'g', 6);
    text.replace(QLatin1Char('.'), QLatin1Char(decimalSeparator));
    return text;
}

// Selects the item whose data is `value`; the selection stands when none is.
void SelectData(QComboBox *combo, const QVariant &value) {
    const int index = combo->findData(value);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

bool HasDatePieces(TimestampKind kind) {
    return kind == TimestampKind::OneField || kind == TimestampKind::DateThenTime;
}

} // namespace

LayoutDialog::LayoutDialog(const FileText &text, LayoutChoices choices, std::int64_t today,
                           char decimalSeparator, QWidget *parent)
    : QDialog(parent), text_(text), choices_(choices), today_(today),
      decimalSeparator_(decimalSeparator) {
    // Whether the file states an offset of its own, which the offset list then offers.
    LayoutChoices fileOffset = choices_;
    fileOffset.offsetChosen = false;
    const Recognition own = Recognise(text_.lines(), text_.encoding(), fileOffset, today_);
    if (own.outcome == Recognition::Outcome::Recognised) {
        switch (own.layout.offsetSource) {
        case OffsetSource::Titles:
        case OffsetSource::Zone:
            fileHasOffset_ = true;
            fileOffsetText_ = QString::fromStdString(own.layout.offsetText);
            break;
        case OffsetSource::Timestamps:
            fileHasOffset_ = true;
            fileOffsetText_ = QStringLiteral("sur chaque horodatage");
            break;
        case OffsetSource::UnixSeconds:
            fileHasOffset_ = true;
            fileOffsetText_ = QStringLiteral("secondes Unix, UTC");
            break;
        case OffsetSource::Computer:
        case OffsetSource::Chosen:
            break;
        }
    }
    buildControls();
    refresh();
}

void LayoutDialog::buildControls() {
    setObjectName(QStringLiteral("LayoutDialog"));
    setWindowTitle(QString::fromUtf8(kLayoutDialogTitle));
    setModal(true);
    auto *page = new QVBoxLayout(this);

    question_ = new QLabel(this);
    question_->setObjectName(QStringLiteral("question"));
    QFont bold = question_->font();
    bold.setBold(true);
    question_->setFont(bold);
    question_->setWordWrap(true);
    question_->hide();
    page->addWidget(question_);

    explanation_ = new QLabel(this);
    explanation_->setObjectName(QStringLiteral("explanation"));
    explanation_->setWordWrap(true);
    explanation_->setTextFormat(Qt::PlainText); // titles quoted from the file stay as written
    explanation_->hide();
    page->addWidget(explanation_);

    auto named = [this](auto *control, const char *name) {
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };
    separator_ = named(new QComboBox(this), "separator");
    separator_->addItem(QStringLiteral("tabulation"), QVariant(int{'\t'}));
    separator_->addItem(QStringLiteral("point-virgule (;)"), QVariant(int{';'}));
    separator_->addItem(QStringLiteral("virgule (,)"), QVariant(int{','}));
    separator_->addItem(QStringLiteral("espaces"), QVariant(int{FieldSplitter::kBlanks}));
    // Any other character, typed in: "|" for a file cut at bars.
    separator_->setEditable(true);
    separator_->setInsertPolicy(QComboBox::NoInsert);

    const int lineCount = static_cast<int>(std::max<std::size_t>(text_.lines().size(), 1));
    firstLine_ = named(new QSpinBox(this), "firstLine");
    firstLine_->setRange(1, lineCount);
    timestampField_ = named(new QSpinBox(this), "timestampField");
    timestampField_->setRange(1, 999);

    dateOrder_ = named(new QComboBox(this), "dateOrder");
    dateOrder_->addItem(QStringLiteral("jour/mois/année"),
                        QVariant(static_cast<int>(DateOrder::DayMonthYear)));
    dateOrder_->addItem(QStringLiteral("mois/jour/année"),
                        QVariant(static_cast<int>(DateOrder::MonthDayYear)));
    dateOrder_->addItem(QStringLiteral("année/mois/jour"),
                        QVariant(static_cast<int>(DateOrder::YearMonthDay)));

    column_ = named(new QComboBox(this), "column");
    twoColumns_ =
        named(new QCheckBox(QStringLiteral("Tn et Tx de deux colonnes"), this), "twoColumns");
    tnColumn_ = named(new QComboBox(this), "tnColumn");
    txColumn_ = named(new QComboBox(this), "txColumn");

    offset_ = named(new QComboBox(this), "offset");
    if (fileHasOffset_)
        offset_->addItem(QStringLiteral("celui du fichier (%1)").arg(fileOffsetText_),
                         QVariant(static_cast<int>(OffsetItem::File)));
    offset_->addItem(QStringLiteral("celui de l'ordinateur"),
                     QVariant(static_cast<int>(OffsetItem::Computer)));
    offset_->addItem(QStringLiteral("un nombre d'heures"),
                     QVariant(static_cast<int>(OffsetItem::Hours)));
    offset_->addItem(QStringLiteral("celui du fuseau, jour par jour"),
                     QVariant(static_cast<int>(OffsetItem::Zone)));
    offsetHours_ = named(new QSpinBox(this), "offsetHours");
    offsetHours_->setRange(-12, 14);
    offsetHours_->setSuffix(QStringLiteral(" h"));
    auto *offsetRow = new QHBoxLayout;
    offsetRow->addWidget(offset_, 1);
    offsetRow->addWidget(offsetHours_);

    unit_ = named(new QComboBox(this), "unit");
    unit_->addItem(QStringLiteral("degrés C, tels quels"),
                   QVariant(static_cast<int>(WrittenUnit::Celsius)));
    unit_->addItem(QStringLiteral("degrés F, convertis en °C"),
                   QVariant(static_cast<int>(WrittenUnit::Fahrenheit)));
    unit_->addItem(QStringLiteral("kelvins, convertis en °C"),
                   QVariant(static_cast<int>(WrittenUnit::Kelvin)));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Séparateur :"), separator_);
    form->addRow(QStringLiteral("Première ligne de données :"), firstLine_);
    form->addRow(QStringLiteral("Horodatage, champ :"), timestampField_);
    form->addRow(QStringLiteral("Ordre des dates :"), dateOrder_);
    form->addRow(QStringLiteral("Température, colonne :"), column_);
    form->addRow(QString(), twoColumns_);
    form->addRow(QStringLiteral("Tn, colonne :"), tnColumn_);
    form->addRow(QStringLiteral("Tx, colonne :"), txColumn_);
    form->addRow(QStringLiteral("Décalage UTC :"), offsetRow);
    form->addRow(QStringLiteral("Unité :"), unit_);
    page->addLayout(form);

    page->addWidget(new QLabel(QStringLiteral("Le fichier, en colonnes :"), this));
    fileText_ = named(new QTableWidget(this), "fileText");
    fileText_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileText_->setSelectionMode(QAbstractItemView::NoSelection);
    fileText_->verticalHeader()->setDefaultSectionSize(fileText_->fontMetrics().height() + 6);
    fileText_->setMinimumHeight(150);
    page->addWidget(fileText_, 1);

    page->addWidget(new QLabel(QStringLiteral("Aperçu des premières lignes :"), this));
    preview_ = named(new QTableWidget(this), "preview");
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->verticalHeader()->hide();
    preview_->verticalHeader()->setDefaultSectionSize(preview_->fontMetrics().height() + 6);
    preview_->horizontalHeader()->setStretchLastSection(true);
    preview_->setMinimumHeight(200);
    page->addWidget(preview_, 1);

    status_ = named(new QLabel(this), "status");
    status_->setWordWrap(true);
    page->addWidget(status_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    forgetButton_ = named(
        buttons_->addButton(QStringLiteral("Oublier cette lecture"), QDialogButtonBox::ResetRole),
        "forget");
    forgetButton_->hide();
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(forgetButton_, &QPushButton::clicked, this, [this] { done(kForgetLayoutResult); });
    page->addWidget(buttons_);

    auto changed = [this](QObject *control) {
        return [this, control] {
            if (!refreshing_)
                chooseFromControls(control);
        };
    };
    for (QComboBox *combo : {separator_, dateOrder_, column_, tnColumn_, txColumn_, offset_, unit_})
        connect(combo, &QComboBox::currentIndexChanged, this, changed(combo));
    for (QSpinBox *spin : {firstLine_, timestampField_, offsetHours_})
        connect(spin, &QSpinBox::valueChanged, this, changed(spin));
    connect(twoColumns_, &QCheckBox::toggled, this, changed(twoColumns_));
    connect(separator_, &QComboBox::editTextChanged, this, [this](const QString &text) {
        const QByteArray typed = text.toUtf8();
        if (refreshing_ || typed.size() != 1 || separator_->findText(text) >= 0)
            return; // an item's own name, or not one character
        choices_.separator = typed.at(0);
        choices_.timestampField.reset();
        choices_.valueField.reset();
        choices_.tnField.reset();
        choices_.txField.reset();
        refresh();
    });
    resize(560, 640);
}

void LayoutDialog::setQuestion(const QString &question) {
    question_->setText(question);
    question_->setVisible(!question.isEmpty());
}

void LayoutDialog::setExplanation(const QString &explanation) {
    explanation_->setText(explanation);
    explanation_->setVisible(!explanation.isEmpty());
}

void LayoutDialog::setComputerOffsetHours(int hours) {
    computerHours_ = hours;
    const int index = offset_->findData(QVariant(static_cast<int>(OffsetItem::Computer)));
    offset_->setItemText(index, QStringLiteral("celui de l'ordinateur, UTC%1%2 aujourd'hui")
                                    .arg(hours < 0 ? QString() : QStringLiteral("+"))
                                    .arg(hours));
}

void LayoutDialog::showAccount() {
    account_ = true;
    refresh();
}

void LayoutDialog::offerToForget() {
    forgetButton_->setVisible(true);
}

bool LayoutDialog::canLoad() const {
    const auto is = [](PreviewRow::Kind kind) {
        return [kind](const PreviewRow &row) { return row.kind == kind; };
    };
    return recognised_ && std::any_of(rows_.begin(), rows_.end(), is(PreviewRow::Kind::Reading)) &&
           std::none_of(rows_.begin(), rows_.end(), is(PreviewRow::Kind::Refused));
}

void LayoutDialog::chooseFromControls(QObject *changed) {
    const auto fieldOf = [](const QComboBox *combo) { return combo->currentData().toInt(); };
    if (changed == separator_) {
        choices_.separator = static_cast<char>(separator_->currentData().toInt());
        // Field numbers counted with another separator mean other fields.
        choices_.timestampField.reset();
        choices_.valueField.reset();
        choices_.tnField.reset();
        choices_.txField.reset();
    } else if (changed == firstLine_) {
        choices_.firstDataLine = firstLine_->value();
    } else if (changed == timestampField_) {
        choices_.timestampField = timestampField_->value();
    } else if (changed == dateOrder_) {
        choices_.dateOrder = static_cast<DateOrder>(dateOrder_->currentData().toInt());
    } else if (changed == column_ || (changed == twoColumns_ && !twoColumns_->isChecked())) {
        choices_.valueField = fieldOf(column_);
        choices_.tnField.reset();
        choices_.txField.reset();
    } else if (changed == twoColumns_ || changed == tnColumn_ || changed == txColumn_) {
        choices_.valueField.reset();
        choices_.tnField = fieldOf(tnColumn_);
        choices_.txField = fieldOf(txColumn_);
    } else if (changed == offset_ || changed == offsetHours_) {
        const auto item = static_cast<OffsetItem>(offset_->currentData().toInt());
        // A number of hours starts from the computer's, the one the file was read with.
        if (changed == offset_ && item == OffsetItem::Hours && !choices_.offsetHours &&
            computerHours_) {
            const QSignalBlocker quiet(offsetHours_);
            offsetHours_->setValue(*computerHours_);
        }
        choices_.offsetChosen = item != OffsetItem::File;
        choices_.offsetLocalByDate = item == OffsetItem::Zone;
        choices_.offsetHours.reset();
        if (item == OffsetItem::Hours)
            choices_.offsetHours = offsetHours_->value();
    } else if (changed == unit_) {
        choices_.unit = static_cast<WrittenUnit>(unit_->currentData().toInt());
    }
    refresh();
}

void LayoutDialog::refresh() {
    refreshing_ = true;
    const Recognition recognition = Recognise(text_.lines(), text_.encoding(), choices_, today_);
    recognised_ = recognition.outcome == Recognition::Outcome::Recognised;
    rows_.clear();
    if (recognised_) {
        layout_ = recognition.layout;
        rows_ = PreviewRows(text_.lines(), layout_, kPreviewRowCount);
        showLayout();
    }
    showPreview();
    showFileText();
    if (account_ && recognised_) {
        // The whole file read under the choices, for the rows it passes over.
        LayoutReadFacts facts;
        const auto scratch = std::make_unique<ProgramTables>();
        ReadWithLayout(text_.lines(), layout_, *scratch, facts);
        const std::string account = LayoutExplanation(layout_, facts, computerHours_);
        setExplanation(QString::fromStdString(account.substr(0, account.rfind('\n'))));
    }
    refreshing_ = false;
}

std::vector<std::string> LayoutDialog::firstDataFields() const {
    std::vector<std::string> values;
    const auto first = static_cast<std::size_t>(layout_.firstDataLine - 1);
    if (first < text_.lines().size()) {
        FieldSplitter splitter(layout_.separator);
        const auto &fields = splitter.split(text_.lines()[first]);
        values.assign(fields.begin(), fields.end());
    }
    if (values.size() < layout_.titles.size())
        values.resize(layout_.titles.size());
    return values;
}

void LayoutDialog::fillFieldList(QComboBox *combo,
                                 const std::vector<std::string> &firstValues) const {
    combo->clear();
    for (std::size_t i = 0; i < firstValues.size(); ++i) {
        const auto field = static_cast<std::int32_t>(i) + 1;
        // Its number, its title, and what it holds: a file without titles is chosen by its values.
        QString text = QString::number(field);
        for (const std::string &part : {TitleOf(layout_, field), firstValues[i]})
            if (!part.empty())
                text += QStringLiteral(" – ") + QString::fromStdString(part);
        combo->addItem(text, QVariant(field));
    }
}

void LayoutDialog::showLayout() {
    if (separator_->findData(QVariant(int{layout_.separator})) >= 0)
        SelectData(separator_, QVariant(int{layout_.separator}));
    else
        separator_->setEditText(QString(QLatin1Char(layout_.separator)));
    firstLine_->setValue(static_cast<int>(layout_.firstDataLine));
    timestampField_->setValue(layout_.timestampField);
    SelectData(dateOrder_, QVariant(static_cast<int>(layout_.dateOrder)));
    dateOrder_->setEnabled(HasDatePieces(layout_.timestampKind));

    const std::vector<std::string> firstValues = firstDataFields(); // once, for the three lists
    const auto fields = static_cast<std::int32_t>(firstValues.size());
    for (QComboBox *combo : {column_, tnColumn_, txColumn_})
        fillFieldList(combo, firstValues);
    const bool two = layout_.tnField != 0;
    twoColumns_->setChecked(two);
    if (two) {
        SelectData(tnColumn_, QVariant(layout_.tnField));
        SelectData(txColumn_, QVariant(layout_.valueField));
        SelectData(column_, QVariant(layout_.tnField));
    } else {
        SelectData(column_, QVariant(layout_.valueField));
        SelectData(tnColumn_, QVariant(layout_.valueField));
        SelectData(txColumn_, QVariant(std::min(layout_.valueField + 1, fields)));
    }
    column_->setEnabled(!two);
    tnColumn_->setEnabled(two);
    txColumn_->setEnabled(two);

    OffsetItem offset = fileHasOffset_ ? OffsetItem::File : OffsetItem::Computer;
    if (choices_.offsetChosen)
        offset = choices_.offsetLocalByDate ? OffsetItem::Zone
                 : choices_.offsetHours     ? OffsetItem::Hours
                                            : OffsetItem::Computer;
    SelectData(offset_, QVariant(static_cast<int>(offset)));
    if (choices_.offsetHours)
        offsetHours_->setValue(*choices_.offsetHours);
    offsetHours_->setEnabled(offset == OffsetItem::Hours);

    const WrittenUnit unit =
        layout_.unit == WrittenUnit::None ? WrittenUnit::Celsius : layout_.unit;
    SelectData(unit_, QVariant(static_cast<int>(unit)));
}

void LayoutDialog::showFileText() {
    // The line before the data and a few above, greyed: where the data starts is seen.
    constexpr std::int64_t kLinesAbove = 3;
    constexpr std::size_t kMostColumns = 40;
    const char separator = choices_.separator.value_or(layout_.separator);
    const std::int64_t firstData = choices_.firstDataLine.value_or(layout_.firstDataLine);
    const std::int64_t from = std::max<std::int64_t>(1, firstData - kLinesAbove);
    const std::int64_t to =
        std::min<std::int64_t>(static_cast<std::int64_t>(text_.lines().size()),
                               firstData + static_cast<std::int64_t>(kPreviewRowCount) - 1);
    FieldSplitter splitter(separator);
    std::vector<std::vector<std::string>> cells;
    std::size_t columns = 0;
    for (std::int64_t line = from; line <= to; ++line) {
        const auto &fields = splitter.split(text_.lines()[static_cast<std::size_t>(line) - 1]);
        cells.emplace_back(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                fields.size(), kMostColumns)));
        columns = std::max(columns, cells.back().size());
    }
    fileText_->clear();
    fileText_->setColumnCount(static_cast<int>(columns));
    fileText_->setRowCount(static_cast<int>(cells.size()));
    // Each column by its number and title, and what it is read as.
    const std::int32_t stampFrom = layout_.timestampField;
    const std::int32_t stampTo = stampFrom + TimestampWidth(layout_.timestampKind) - 1;
    for (std::size_t c = 0; c < columns; ++c) {
        const auto field = static_cast<std::int32_t>(c) + 1;
        QString header = QString::number(field);
        if (const std::string title = TitleOf(layout_, field); !title.empty())
            header += QStringLiteral(" – ") + QString::fromStdString(title);
        if (recognised_) {
            if (field >= stampFrom && field <= stampTo)
                header += QStringLiteral("\n[horodatage]");
            else if (layout_.tnField != 0 && field == layout_.tnField)
                header += QStringLiteral("\n[Tn]");
            else if (field == layout_.valueField)
                header += layout_.tnField != 0 ? QStringLiteral("\n[Tx]")
                                               : QStringLiteral("\n[température]");
        }
        fileText_->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(header));
    }
    const QBrush above = palette().brush(QPalette::Disabled, QPalette::Text);
    for (std::size_t r = 0; r < cells.size(); ++r) {
        const std::int64_t line = from + static_cast<std::int64_t>(r);
        fileText_->setVerticalHeaderItem(static_cast<int>(r),
                                         new QTableWidgetItem(QString::number(line)));
        for (std::size_t c = 0; c < cells[r].size(); ++c) {
            auto *item = new QTableWidgetItem(QString::fromStdString(cells[r][c]));
            if (line < firstData)
                item->setForeground(above);
            fileText_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    fileText_->resizeColumnsToContents();
}

void LayoutDialog::showPreview() {
    const bool two = recognised_ && layout_.tnField != 0;
    QStringList headers = {QStringLiteral("Ligne"), QStringLiteral("Date et heure")};
    if (two)
        headers << QStringLiteral("Tn (°C)") << QStringLiteral("Tx (°C)");
    else
        headers << QStringLiteral("Valeur (°C)");
    preview_->clear();
    preview_->setColumnCount(static_cast<int>(headers.size()));
    preview_->setHorizontalHeaderLabels(headers);
    preview_->setRowCount(static_cast<int>(rows_.size()));
    const QBrush passedOver = palette().brush(QPalette::Disabled, QPalette::Text);
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const PreviewRow &row = rows_[static_cast<std::size_t>(r)];
        auto put = [&](int column, const QString &text) {
            auto *item = new QTableWidgetItem(text);
            if (row.kind != PreviewRow::Kind::Reading)
                item->setForeground(passedOver);
            preview_->setItem(r, column, item);
        };
        put(0, QString::number(row.line));
        switch (row.kind) {
        case PreviewRow::Kind::Reading:
            put(1, ShownTime(row.time));
            put(2, ShownValue(row.value, decimalSeparator_));
            if (two && row.maximum)
                put(3, ShownValue(*row.maximum, decimalSeparator_));
            break;
        case PreviewRow::Kind::NoValue:
            put(1, ShownTime(row.time));
            put(2, QStringLiteral("sans valeur : passée"));
            break;
        case PreviewRow::Kind::Empty:
            put(1, QStringLiteral("ligne vide : passée"));
            break;
        case PreviewRow::Kind::Refused:
            put(1, QString::fromUtf8(LineFaultText(row.fault).data(),
                                     static_cast<qsizetype>(LineFaultText(row.fault).size())));
            break;
        }
    }
    preview_->resizeColumnsToContents();
    preview_->horizontalHeader()->setStretchLastSection(true); // undone by the resize

    QString status;
    const auto refused = std::find_if(rows_.begin(), rows_.end(), [](const PreviewRow &row) {
        return row.kind == PreviewRow::Kind::Refused;
    });
    if (refused != rows_.end())
        status = QStringLiteral("Avec ces choix, le fichier serait refusé à la ligne %1.")
                     .arg(refused->line);
    else if (!canLoad())
        status = QStringLiteral("Aucune ligne ne se lit avec ces choix.");
    status_->setText(status);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(canLoad());
}

} // namespace pelk
