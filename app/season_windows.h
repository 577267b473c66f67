// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The two windows that show the season at a glance, each opened on request over the current
/// results and refreshed when another file is loaded: the Tn/Tx chart and the monthly summary.
/// Both only draw what results/season.h works out.
#pragma once

#include "app/window_services.h"
#include "results/season.h"

#include <QWidget>

class QTableWidget;

namespace pelk {

class SeasonChartView;

/// "PELK – Graphique": Tn (blue) and Tx (red) per day on a date axis, broken where a window is
/// empty, hollow markers where it is incomplete, a line at 0 °C. Hovering a point tells its date
/// and value; the wheel and a dragged rectangle zoom the dates, a double click shows them all.
class ChartWindow final : public QWidget {
    Q_OBJECT

  public:
    /// `services` must outlive the window.
    ChartWindow(WindowServices &services, QWidget *parent = nullptr);

    void showSeason(const SeasonChart &season, char separator);
    /// The chart at the window's size, as PNG, PDF or (where Qt Svg is built in) SVG by the
    /// name's ending; false on failure.
    bool saveImage(const QString &path);
    /// Asks for a file name and saves there.
    void saveImageAs();

    SeasonChartView *chartView() const { return view_; }

  private:
    WindowServices &services_;
    SeasonChartView *view_ = nullptr;
};

/// "PELK – Bilan mensuel": the monthly summary as a read-only table, the means of an incomplete
/// month marked, and a button that copies the same text as pelk-cli --monthly.
class SummaryWindow final : public QWidget {
    Q_OBJECT

  public:
    SummaryWindow(WindowServices &services, QWidget *parent = nullptr);

    void showSummary(const TextTable &table);
    /// What the copy button puts on the clipboard.
    const std::string &text() const { return text_; }
    void copy();

    QTableWidget *table() const { return table_; }

  private:
    WindowServices &services_;
    QTableWidget *table_ = nullptr;
    std::string text_;
};

} // namespace pelk
