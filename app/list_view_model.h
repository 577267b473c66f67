// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Shows our own list view model (results/list_view.h) to a Qt item view. The adapter keeps no
/// copy of the rows: it answers every question from the list and turns the list's change
/// notices into the item-model signals, so what is drawn is always the list as it stands.
#pragma once

#include "results/list_view.h"

#include <QAbstractTableModel>
#include <QColor>

namespace pelk {

/// The text of a muted cell: grey enough to stand apart from black, dark enough to read on both
/// row colours (contrast above 4.5:1 on each).
inline constexpr QColor kMutedTextColor{105, 105, 105};

class ListViewModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    /// Observes `list` until destroyed; `list` must outlive the adapter.
    explicit ListViewModel(ListView &list, QObject *parent = nullptr);
    ~ListViewModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    ListView &list() { return list_; }
    const ListView &list() const { return list_; }

  Q_SIGNALS:
    /// The list's shading or visibility changed.
    void listAppearanceChanged();

  private:
    // Hears the list's notices; a member of its own, so that the notice names do not clash with
    // the item-model signals of the same names.
    class Notices final : public ListViewObserver {
      public:
        explicit Notices(ListViewModel &model) : model_(model) {}
        void rowAboutToBeAdded(std::int32_t position) override;
        void rowAdded() override;
        void layoutAboutToChange() override;
        void layoutChanged() override;
        void cellChanged(std::int32_t row, std::int32_t column) override;
        void appearanceChanged() override;
        void columnsChanged() override;

      private:
        ListViewModel &model_;
    };

    ListView &list_;
    Notices notices_{*this};
    int rowCountBeforeLayout_ = 0; // a layout change that also added rows is told as a reset
};

/// Qt's alignment flags for a column alignment, vertically centred.
Qt::Alignment QtAlignment(Alignment alignment);

} // namespace pelk
