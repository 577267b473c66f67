// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The Tn/Tx chart, drawn with QPainter alone so that it builds wherever Qt Widgets does: each
/// line in its colour, broken where a window is empty, hollow markers where one is incomplete, a
/// dashed line at 0 °C, a date axis and a °C axis in the user's decimal separator, a legend.
/// Hovering a point tells its date and value; the wheel and a dragged rectangle zoom the dates,
/// a double click shows them all. What it draws is kept as plain values, which the tests read.
#pragma once

#include "results/season.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

class QPainter;
class QRubberBand;

namespace pelk {

inline constexpr QColor kTnColour{0, 90, 200};
inline constexpr QColor kTxColour{210, 30, 30};

/// One line as drawn, in days (a day's point at its noon) and degrees.
struct DrawnLine {
    QString name;
    QColor colour;
    std::vector<std::vector<QPointF>> strokes; ///< each drawn unbroken
    std::vector<QPointF> hollow;               ///< the incomplete windows' markers
};

/// A line of the legend: a stroke or a hollow marker in a colour, and its text.
struct LegendEntry {
    QColor colour;
    bool hollow = false;
    QString text;
};

/// A labelled place on an axis, in that axis's unit.
struct AxisTick {
    double at = 0;
    QString label;
};

class SeasonChartView final : public QWidget {
    Q_OBJECT

  public:
    explicit SeasonChartView(QWidget *parent = nullptr);

    void setSeason(const SeasonChart &season, char separator);

    // What it draws.
    const std::vector<DrawnLine> &lines() const { return lines_; }
    std::vector<LegendEntry> legend() const;
    /// The dates shown, in days, and every date of the season.
    double firstDateShown() const { return from_; }
    double lastDateShown() const { return to_; }
    double firstDate() const { return fullFrom_; }
    double lastDate() const { return fullTo_; }
    double lowestValue() const { return low_; }
    double highestValue() const { return high_; }
    std::vector<AxisTick> dateTicks() const;
    std::vector<AxisTick> valueTicks() const;

    /// Where a day and value stand on the widget, and the other way round for a date.
    QPointF placeOf(QPointF dayAndValue) const;
    double dateAt(double x) const;
    /// What hovering `position` tells: the nearest point's date and value, or nothing.
    QString textAt(QPointF position) const;

    void showDates(double from, double to);
    void showAllDates();
    /// The chart drawn into `area` of any paint device (the screen, an image, a PDF, an SVG).
    void paintChart(QPainter &painter, const QRectF &area) const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

  private:
    QRectF plotArea(const QRectF &area) const;
    QPointF placeIn(const QRectF &plot, QPointF dayAndValue) const;

    std::vector<DrawnLine> lines_;
    char separator_ = ',';
    double fullFrom_ = 0, fullTo_ = 1; // days
    double from_ = 0, to_ = 1;
    double low_ = -1, high_ = 1, valueStep_ = 1; // degrees
    QRubberBand *band_ = nullptr;
    int pressX_ = -1; // where a drag began, or -1
};

} // namespace pelk
