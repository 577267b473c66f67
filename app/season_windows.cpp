// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/season_windows.h"

#include "climate/locale_conversions.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

namespace pelk {
namespace {

constexpr QColor kTnColour{0, 90, 200};
constexpr QColor kTxColour{210, 30, 30};

// Noon of the day on the axis's clock, so that a point stands in the middle of its date.
qint64 AxisTime(std::int64_t day) {
    const CivilDateTime d = SplitDateTime(static_cast<double>(day));
    return QDateTime(QDate(d.year, d.month, d.day), QTime(12, 0)).toMSecsSinceEpoch();
}

QString PointText(const char *name, qreal axisTime, qreal value, char separator) {
    const QDate date = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(axisTime)).date();
    return date.toString(QStringLiteral("dd/MM/yyyy")) + " : " + name + " " +
           QString::fromStdString(NumberToText(static_cast<float>(value), separator));
}

// A season window's layout: its view above, its one button at the bottom right.
void LayOut(QWidget *window, QWidget *view, QPushButton *button) {
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(button);
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(view);
    layout->addLayout(buttons);
}

// The chart view that zooms the dates only: the wheel about the pointer, a dragged rectangle,
// and a double click back to every date.
class DateZoomView final : public QChartView {
  public:
    explicit DateZoomView(QChart *chart, QWidget *parent) : QChartView(chart, parent) {
        setRubberBand(QChartView::HorizontalRubberBand);
        setRenderHint(QPainter::Antialiasing);
    }

    void setFullRange(qreal from, qreal to) {
        from_ = from;
        to_ = to;
        resetZoom();
    }

    void resetZoom() {
        if (auto *axis = dateAxis())
            axis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(from_)),
                           QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(to_)));
    }

  protected:
    void wheelEvent(QWheelEvent *event) override {
        QDateTimeAxis *axis = dateAxis();
        if (axis == nullptr || event->angleDelta().y() == 0)
            return;
        const qreal factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
        const qreal at = chart()->mapToValue(event->position()).x();
        const qreal from = static_cast<qreal>(axis->min().toMSecsSinceEpoch());
        const qreal to = static_cast<qreal>(axis->max().toMSecsSinceEpoch());
        const qreal newFrom = std::max(from_, at - (at - from) * factor);
        const qreal newTo = std::min(to_, at + (to - at) * factor);
        if (newTo - newFrom > 3.6e6) // no closer than an hour
            axis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(newFrom)),
                           QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(newTo)));
        event->accept();
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override {
        resetZoom();
        event->accept();
    }

  private:
    QDateTimeAxis *dateAxis() const {
        const auto axes = chart()->axes(Qt::Horizontal);
        return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis *>(axes.constFirst());
    }

    qreal from_ = 0;
    qreal to_ = 0;
};

} // namespace

ChartWindow::ChartWindow(WindowServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName(QStringLiteral("chartWindow"));
    setWindowTitle(QStringLiteral("PELK – Graphique"));
    resize(760, 460);
    auto *chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    view_ = new DateZoomView(chart, this);
    view_->setObjectName(QStringLiteral("chartView"));
    auto *save = new QPushButton(QStringLiteral("Enregistrer l'image…"), this);
    save->setObjectName(QStringLiteral("saveImageButton"));
    connect(save, &QPushButton::clicked, this, &ChartWindow::saveImageAs);
    LayOut(this, view_, save);
}

QChart *ChartWindow::chart() const {
    return view_->chart();
}

void ChartWindow::showSeason(const SeasonChart &season, char separator) {
    QChart *chart = view_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    auto *dates = new QDateTimeAxis();
    dates->setFormat(QStringLiteral("dd/MM/yy"));
    dates->setTitleText(QStringLiteral("Date"));
    auto *degrees = new QValueAxis();
    degrees->setTitleText(QStringLiteral("°C"));
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(degrees, Qt::AlignLeft);

    qreal first = 0, last = 0, lowest = 0, highest = 0;
    bool any = false;
    auto attach = [&](QXYSeries *series, bool inLegend) {
        chart->addSeries(series);
        series->attachAxis(dates);
        series->attachAxis(degrees);
        for (QLegendMarker *marker : chart->legend()->markers(series))
            marker->setVisible(inLegend);
    };
    for (const auto &[line, name, colour] :
         {std::tuple{&season.tn, "Tn", kTnColour}, std::tuple{&season.tx, "Tx", kTxColour}}) {
        auto *hollow = new QScatterSeries();
        hollow->setName(QStringLiteral("%1 (fenêtre incomplète)").arg(name));
        hollow->setMarkerSize(7);
        hollow->setBrush(Qt::white);
        hollow->setPen(QPen(colour, 1.5));
        bool named = false;
        for (const std::span<const ChartPoint> run : line->runs()) {
            auto *stroke = new QLineSeries();
            stroke->setName(QString::fromLatin1(name));
            stroke->setPen(QPen(colour, 1.5));
            for (const ChartPoint &p : run) {
                const auto x = static_cast<qreal>(AxisTime(p.day));
                stroke->append(x, p.value);
                if (p.incomplete)
                    hollow->append(x, p.value);
                first = any ? std::min(first, x) : x;
                last = any ? std::max(last, x) : x;
                lowest = any ? std::min<qreal>(lowest, p.value) : p.value;
                highest = any ? std::max<qreal>(highest, p.value) : p.value;
                any = true;
            }
            connect(stroke, &QLineSeries::hovered, this, [name, separator](QPointF at, bool on) {
                if (on)
                    QToolTip::showText(QCursor::pos(), PointText(name, at.x(), at.y(), separator));
            });
            attach(stroke, !named);
            named = true;
        }
        connect(hollow, &QScatterSeries::hovered, this, [name, separator](QPointF at, bool on) {
            if (on)
                QToolTip::showText(QCursor::pos(), PointText(name, at.x(), at.y(), separator) +
                                                       QStringLiteral(" (fenêtre incomplète)"));
        });
        attach(hollow, hollow->count() > 0);
    }
    if (!any)
        return;
    // The freezing line, across every date.
    auto *zero = new QLineSeries();
    zero->setPen(QPen(Qt::gray, 1, Qt::DashLine));
    zero->append(first - 4.32e7, 0);
    zero->append(last + 4.32e7, 0);
    attach(zero, false);
    const qreal margin = std::max<qreal>(1, (highest - lowest) * 0.05);
    degrees->setRange(std::min<qreal>(lowest, 0) - margin, std::max<qreal>(highest, 0) + margin);
    degrees->applyNiceNumbers();
    static_cast<DateZoomView *>(view_)->setFullRange(first - 4.32e7, last + 4.32e7);
}

bool ChartWindow::saveImage(const QString &path) {
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(view_->size());
        svg.setViewBox(QRect(QPoint(0, 0), view_->size()));
        svg.setTitle(windowTitle());
        QPainter painter;
        if (!painter.begin(&svg))
            return false;
        view_->render(&painter);
        return painter.end();
    }
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
    LayOut(this, table_, copyButton);
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
            // The means of a month with too many days missing are shown, but marked.
            if (!complete && c >= 3 && c <= 5) {
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
                item->setForeground(QColor(105, 105, 105));
                item->setToolTip(QStringLiteral("Mois incomplet : %1 jours manquants")
                                     .arg(QString::fromStdString(
                                         row[static_cast<std::size_t>(lastColumn - 1)])));
            }
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
