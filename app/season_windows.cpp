// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/season_windows.h"

#include "app/season_chart.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#ifdef PELK_HAVE_SVG
#include <QSvgGenerator>
#endif
#include <QTableWidget>
#include <QVBoxLayout>

namespace pelk {
namespace {

// A season window's layout: its view above, its one button at the bottom right.
void LayOut(QWidget *window, QWidget *view, QPushButton *button, QLabel *note = nullptr) {
    auto *buttons = new QHBoxLayout();
    if (note != nullptr)
        buttons->addWidget(note, 1);
    buttons->addStretch();
    buttons->addWidget(button);
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(view);
    layout->addLayout(buttons);
}

} // namespace

ChartWindow::ChartWindow(WindowServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName(QStringLiteral("chartWindow"));
    setWindowTitle(QStringLiteral("PELK – Graphique"));
    resize(760, 460);
    view_ = new SeasonChartView(this);
    view_->setObjectName(QStringLiteral("chartView"));
    auto *save = new QPushButton(QStringLiteral("Enregistrer l'image…"), this);
    save->setObjectName(QStringLiteral("saveImageButton"));
    connect(save, &QPushButton::clicked, this, &ChartWindow::saveImageAs);
    LayOut(this, view_, save);
}

void ChartWindow::showSeason(const SeasonChart &season, char separator) {
    view_->setSeason(season, separator);
}

bool ChartWindow::saveImage(const QString &path) {
    const QRectF area(QPointF(0, 0), QSizeF(view_->size()));
    QPainter painter;
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        // A page of the chart's own size, one point a pixel.
        QPdfWriter pdf(path);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(area.size(), QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        pdf.setTitle(windowTitle());
        if (!painter.begin(&pdf))
            return false;
        view_->paintChart(painter, area);
        return painter.end();
    }
#ifdef PELK_HAVE_SVG
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(view_->size());
        svg.setViewBox(area);
        svg.setTitle(windowTitle());
        if (!painter.begin(&svg))
            return false;
        view_->paintChart(painter, area);
        return painter.end();
    }
#endif
    return view_->grab().save(path, "PNG");
}

void ChartWindow::saveImageAs() {
    if (const std::optional<QString> path = services_.chooseImageFile(this))
        if (!saveImage(*path))
            services_.showMessage(this,
                                  QStringLiteral("L'image n'a pas pu être enregistrée : ") + *path,
                                  QStringLiteral("PELK"), {});
}

SummaryWindow::SummaryWindow(WindowServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName(QStringLiteral("summaryWindow"));
    setWindowTitle(QStringLiteral("PELK – Bilan mensuel"));
    resize(900, 300);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("summaryTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    // Twenty columns: a compact face, so that a month's line fits a usual screen.
    QFont compact = table_->font();
    compact.setPointSizeF(compact.pointSizeF() * 0.85);
    table_->setFont(compact);
    table_->horizontalHeader()->setFont(compact);
    auto *copyButton = new QPushButton(QStringLiteral("Copier dans le presse papier"), this);
    copyButton->setObjectName(QStringLiteral("copySummaryButton"));
    connect(copyButton, &QPushButton::clicked, this, &SummaryWindow::copy);
    auto *rule = new QLabel(QString::fromUtf8(kMonthlyRuleText), this);
    rule->setObjectName(QStringLiteral("monthlyRule"));
    rule->setWordWrap(true);
    LayOut(this, table_, copyButton, rule);
}

void SummaryWindow::showSummary(const TextTable &table) {
    text_ = TabSeparatedText(table);
    table_->clear();
    table_->setColumnCount(static_cast<int>(table.titles.size()));
    table_->setRowCount(static_cast<int>(table.rows.size()));
    QStringList titles;
    for (const std::string &title : table.titles)
        titles << QString::fromStdString(title);
    table_->setHorizontalHeaderLabels(titles);
    const int lastColumn = static_cast<int>(table.titles.size()) - 1;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto &row = table.rows[static_cast<std::size_t>(r)];
        const bool complete = row.back() == "1";
        for (int c = 0; c < table_->columnCount(); ++c) {
            auto *item =
                new QTableWidgetItem(QString::fromStdString(row[static_cast<std::size_t>(c)]));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            // A month with too many days missing has no means: the empty cells say why.
            if (!complete && c >= 3 && c <= 5)
                item->setToolTip(
                    QStringLiteral("Pas de moyenne : %1 jours manquants. %2")
                        .arg(QString::fromStdString(row[static_cast<std::size_t>(lastColumn - 1)]),
                             QString::fromUtf8(kMonthlyRuleText)));
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    // Wide enough for every column, as far as the screen allows.
    const QMargins margins = layout()->contentsMargins();
    const int wanted = table_->horizontalHeader()->length() + 2 * table_->frameWidth() +
                       margins.left() + margins.right() + 2;
    const int room = screen() != nullptr ? screen()->availableGeometry().width() - 40 : wanted;
    resize(std::min(wanted, room), height());
}

void SummaryWindow::copy() {
    try {
        Clipboard &clipboard = services_.clipboard();
        clipboard.Clear();
        clipboard.SetText(text_);
    } catch (const std::exception &) {
        // the clipboard stays as it was; nothing else to do
    }
}

} // namespace pelk
