// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/season_chart.h"

#include "climate/date_time.h"
#include "climate/locale_conversions.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace pelk {
namespace {

constexpr double kNoon = 0.5;
constexpr double kHour = 1.0 / 24;
constexpr double kHoverPixels = 8;
constexpr double kMarkerRadius = 3.5;
const QString kIncomplete = QStringLiteral(" (fenêtre incomplète)");

// Room around the plot for the axes' labels and titles and, below, the legend.
constexpr double kLeftRoom = 52, kRightRoom = 16, kTopRoom = 22, kBottomRoom = 58;

// The round step (1, 2, 2.5 or 5 times a power of ten) nearest above `raw`.
double RoundStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double multiple : {1.0, 2.0, 2.5, 5.0})
        if (multiple * power >= raw * (1 - 1e-9))
            return multiple * power;
    return 10 * power;
}

QString DateText(double day, bool withTime) {
    const CivilDateTime t = SplitDateTime(day);
    return withTime ? QString::asprintf("%02d/%02d %02d:%02d", t.day, t.month, t.hour, t.minute)
                    : QString::asprintf("%02d/%02d/%02d", t.day, t.month, t.year % 100);
}

double FirstOfMonth(int year, int month) {
    return static_cast<double>(DayNumberFromCivil(year, month, 1));
}

} // namespace

SeasonChartView::SeasonChartView(QWidget *parent) : QWidget(parent) {
    setMouseTracking(true); // the hover text follows the pointer
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    band_ = new QRubberBand(QRubberBand::Rectangle, this);
}

void SeasonChartView::setSeason(const SeasonChart &season, char separator) {
    separator_ = separator;
    lines_.clear();
    bool any = false;
    double lowest = 0, highest = 0, first = 0, last = 0;
    for (const auto &[line, name, colour] :
         {std::tuple{&season.tn, "Tn", kTnColour}, std::tuple{&season.tx, "Tx", kTxColour}}) {
        DrawnLine drawn{QString::fromLatin1(name), colour, {}, {}};
        for (const std::span<const ChartPoint> run : line->runs()) {
            std::vector<QPointF> stroke;
            for (const ChartPoint &p : run) {
                const QPointF point(static_cast<double>(p.day) + kNoon, p.value);
                stroke.push_back(point);
                if (p.incomplete)
                    drawn.hollow.push_back(point);
                lowest = any ? std::min<double>(lowest, p.value) : p.value;
                highest = any ? std::max<double>(highest, p.value) : p.value;
                first = any ? std::min<double>(first, static_cast<double>(p.day)) : p.day;
                last = any ? std::max<double>(last, static_cast<double>(p.day)) : p.day;
                any = true;
            }
            drawn.strokes.push_back(std::move(stroke));
        }
        lines_.push_back(std::move(drawn));
    }
    // Every date, a day's width each; the values and 0 °C with a margin, on round steps.
    fullFrom_ = any ? first : 0;
    fullTo_ = any ? last + 1 : 1;
    const double margin = std::max(1.0, (std::max(highest, 0.0) - std::min(lowest, 0.0)) * 0.05);
    const double low = std::min(lowest, 0.0) - margin;
    const double high = std::max(highest, 0.0) + margin;
    valueStep_ = RoundStep((high - low) / 6);
    low_ = std::floor(low / valueStep_) * valueStep_;
    high_ = std::ceil(high / valueStep_) * valueStep_;
    showAllDates();
}

std::vector<LegendEntry> SeasonChartView::legend() const {
    std::vector<LegendEntry> entries;
    for (const DrawnLine &line : lines_)
        if (!line.strokes.empty())
            entries.push_back({line.colour, false, line.name});
    for (const DrawnLine &line : lines_)
        if (!line.hollow.empty())
            entries.push_back({line.colour, true, line.name + kIncomplete});
    return entries;
}

std::vector<AxisTick> SeasonChartView::valueTicks() const {
    std::vector<AxisTick> ticks;
    const auto count = static_cast<int>(std::lround((high_ - low_) / valueStep_));
    for (int i = 0; i <= count; ++i) {
        double value = low_ + i * valueStep_;
        if (std::abs(value) < valueStep_ * 1e-6)
            value = 0; // no "-0"
        ticks.push_back({value, QString::fromStdString(NumberToText(value, separator_))});
    }
    return ticks;
}

std::vector<AxisTick> SeasonChartView::dateTicks() const {
    std::vector<AxisTick> ticks;
    const double span = to_ - from_;
    const double room = std::max(1.0, plotArea(QRectF(rect())).width() / 70); // labels that fit
    const double wanted = span / room;
    // Hours or days at a round step, else the first of every one, two, three, six or twelve
    // months.
    for (const double step : {kHour, 3 * kHour, 6 * kHour, 12 * kHour, 1.0, 2.0, 7.0, 14.0}) {
        if (step < wanted)
            continue;
        for (double at = std::ceil(from_ / step - 1e-9) * step; at <= to_ + 1e-9; at += step)
            ticks.push_back({at, DateText(at, step < 1)});
        return ticks;
    }
    int months = 12;
    for (const int m : {1, 2, 3, 6})
        if (m * 30.4 >= wanted) {
            months = m;
            break;
        }
    const CivilDateTime start = SplitDateTime(from_);
    int year = start.year, month = start.month;
    for (double at = FirstOfMonth(year, month); at <= to_;
         month = month % 12 + 1, year += month == 1 ? 1 : 0, at = FirstOfMonth(year, month))
        if (at >= from_ && (month - 1) % months == 0)
            ticks.push_back({at, DateText(at, false)});
    return ticks;
}

QRectF SeasonChartView::plotArea(const QRectF &area) const {
    return area.adjusted(kLeftRoom, kTopRoom, -kRightRoom, -kBottomRoom);
}

QPointF SeasonChartView::placeIn(const QRectF &plot, QPointF dayAndValue) const {
    return {plot.left() + (dayAndValue.x() - from_) / (to_ - from_) * plot.width(),
            plot.bottom() - (dayAndValue.y() - low_) / (high_ - low_) * plot.height()};
}

QPointF SeasonChartView::placeOf(QPointF dayAndValue) const {
    return placeIn(plotArea(QRectF(rect())), dayAndValue);
}

double SeasonChartView::dateAt(double x) const {
    const QRectF plot = plotArea(QRectF(rect()));
    return from_ + (x - plot.left()) / plot.width() * (to_ - from_);
}

QString SeasonChartView::textAt(QPointF position) const {
    if (!plotArea(QRectF(rect())).contains(position))
        return {};
    double nearest = kHoverPixels;
    QString text;
    auto consider = [&](const DrawnLine &line, QPointF point, bool hollow) {
        const QPointF offset = placeOf(point) - position;
        const double distance = std::hypot(offset.x(), offset.y());
        // A hollow marker stands on its stroke: at the same distance it tells more.
        if (distance < nearest || (hollow && distance <= nearest)) {
            nearest = distance;
            const CivilDateTime t = SplitDateTime(point.x());
            text = QString::asprintf("%02d/%02d/%04d : ", t.day, t.month, t.year) + line.name +
                   " " +
                   QString::fromStdString(NumberToText(static_cast<float>(point.y()), separator_)) +
                   (hollow ? kIncomplete : QString());
        }
    };
    for (const DrawnLine &line : lines_) {
        for (const auto &stroke : line.strokes)
            for (const QPointF &point : stroke)
                consider(line, point, false);
        for (const QPointF &point : line.hollow)
            consider(line, point, true);
    }
    return text;
}

void SeasonChartView::showDates(double from, double to) {
    from = std::max(from, fullFrom_);
    to = std::min(to, fullTo_);
    if (to - from < kHour) // no closer than an hour
        return;
    from_ = from;
    to_ = to;
    update();
}

void SeasonChartView::showAllDates() {
    from_ = fullFrom_;
    to_ = fullTo_;
    update();
}

void SeasonChartView::paintChart(QPainter &painter, const QRectF &area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    const QRectF plot = plotArea(area);
    const QFontMetricsF metrics(painter.font());
    const QColor grid(225, 225, 225), ink(40, 40, 40);

    // The axes: grid lines at their ticks, labels outside the plot.
    painter.setPen(QPen(grid, 1));
    const std::vector<AxisTick> values = valueTicks();
    for (const AxisTick &tick : values) {
        const double y = placeIn(plot, {from_, tick.at}).y();
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(ink);
        painter.drawText(
            QRectF(area.left(), y - metrics.height() / 2, kLeftRoom - 6, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
    for (const AxisTick &tick : dateTicks()) {
        const double x = placeIn(plot, {tick.at, low_}).x();
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(ink);
        // Centred under its tick, but never cut at the chart's edges.
        const double width = metrics.horizontalAdvance(tick.label) + 4;
        const double left = std::clamp(x - width / 2, area.left(), area.right() - width);
        painter.drawText(QRectF(left, plot.bottom() + 3, width, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }
    painter.setPen(ink);
    painter.drawText(QRectF(area.left(), area.top() + 2, kLeftRoom - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignTop, QStringLiteral("°C"));
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + 3 + metrics.height(), plot.width(), metrics.height()),
        Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Date"));
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    // The freezing line, then the lines, inside the plot only.
    painter.setClipRect(plot);
    const double zero = placeIn(plot, {from_, 0}).y();
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), zero), QPointF(plot.right(), zero));
    for (const DrawnLine &line : lines_) {
        painter.setPen(QPen(line.colour, 1.5));
        for (const auto &stroke : line.strokes) {
            QPainterPath path;
            for (std::size_t i = 0; i < stroke.size(); ++i)
                i == 0 ? path.moveTo(placeIn(plot, stroke[i]))
                       : path.lineTo(placeIn(plot, stroke[i]));
            if (stroke.size() == 1) // a day alone is a dot
                painter.drawEllipse(placeIn(plot, stroke.front()), 1.5, 1.5);
            painter.drawPath(path);
        }
        painter.setBrush(Qt::white);
        for (const QPointF &point : line.hollow)
            painter.drawEllipse(placeIn(plot, point), kMarkerRadius, kMarkerRadius);
        painter.setBrush(Qt::NoBrush);
    }
    painter.setClipping(false);

    // The legend, on one line below the date axis.
    double x = plot.left();
    const double y = area.bottom() - metrics.height() / 2 - 4;
    for (const LegendEntry &entry : legend()) {
        painter.setPen(QPen(entry.colour, 1.5));
        if (entry.hollow) {
            painter.setBrush(Qt::white);
            painter.drawEllipse(QPointF(x + 9, y), kMarkerRadius, kMarkerRadius);
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.drawLine(QPointF(x, y), QPointF(x + 18, y));
        }
        painter.setPen(ink);
        painter.drawText(QPointF(x + 24, y + metrics.ascent() / 2 - 1), entry.text);
        x += 24 + metrics.horizontalAdvance(entry.text) + 18;
    }
    painter.restore();
}

void SeasonChartView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paintChart(painter, QRectF(rect()));
}

void SeasonChartView::wheelEvent(QWheelEvent *event) {
    event->accept();
    if (event->angleDelta().y() == 0)
        return;
    // About the date under the pointer: nearer on a turn away from the user.
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    const double at = dateAt(event->position().x());
    showDates(at - (at - from_) * factor, at + (to_ - at) * factor);
}

void SeasonChartView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressX_ = static_cast<int>(event->position().x());
    event->accept();
}

void SeasonChartView::mouseMoveEvent(QMouseEvent *event) {
    const QPointF at = event->position();
    if (pressX_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        const QRectF plot = plotArea(QRectF(rect()));
        const int x = static_cast<int>(at.x());
        band_->setGeometry(QRect(QPoint(std::min(pressX_, x), static_cast<int>(plot.top())),
                                 QPoint(std::max(pressX_, x), static_cast<int>(plot.bottom()))));
        band_->show();
        return;
    }
    const QString text = textAt(at);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(mapToGlobal(at.toPoint()), text, this);
}

void SeasonChartView::mouseReleaseEvent(QMouseEvent *event) {
    if (pressX_ < 0 || event->button() != Qt::LeftButton)
        return;
    const int x = static_cast<int>(event->position().x());
    band_->hide();
    // A click is no rectangle.
    if (std::abs(x - pressX_) > 4)
        showDates(dateAt(std::min(pressX_, x)), dateAt(std::max(pressX_, x)));
    pressX_ = -1;
}

void SeasonChartView::mouseDoubleClickEvent(QMouseEvent *event) {
    pressX_ = -1;
    showAllDates();
    event->accept();
}

} // namespace pelk
