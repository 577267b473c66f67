// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/list_view_model.h"

#include <QBrush>
#include <QColor>

namespace pelk {

ListViewModel::ListViewModel(ListView &list, QObject *parent)
    : QAbstractTableModel(parent), list_(list) {
    list_.setObserver(&notices_);
}

ListViewModel::~ListViewModel() {
    list_.setObserver(nullptr);
}

int ListViewModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

int ListViewModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : list_.columnCount();
}

QVariant ListViewModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::int32_t position = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(
            list_.Item(position).cell(static_cast<std::size_t>(index.column())).Text);
    case Qt::ToolTipRole: {
        const std::string &tip =
            list_.Item(position).cell(static_cast<std::size_t>(index.column())).ToolTip;
        return tip.empty() ? QVariant() : QVariant(QString::fromStdString(tip));
    }
    case Qt::ForegroundRole:
        if (list_.Item(position).cell(static_cast<std::size_t>(index.column())).Muted)
            return QBrush(kMutedTextColor);
        return {};
    case Qt::BackgroundRole:
        if (const std::optional<Rgb> colour = list_.rowColor(position))
            return QBrush(QColor(colour->red, colour->green, colour->blue));
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(QtAlignment(list_.ColumnHeaders(index.column() + 1).alignment));
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= list_.columnCount())
        return {};
    const ColumnHeader &header = list_.ColumnHeaders(section + 1);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(header.Text);
    case Qt::TextAlignmentRole:
        // As in a report-style list, a header is aligned like its column.
        return QVariant::fromValue(QtAlignment(header.alignment));
    default:
        return {};
    }
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ListViewModel::Notices::rowAboutToBeAdded(std::int32_t position) {
    model_.beginInsertRows({}, position - 1, position - 1);
}

void ListViewModel::Notices::rowAdded() {
    model_.endInsertRows();
}

void ListViewModel::Notices::layoutAboutToChange() {
    model_.rowCountBeforeLayout_ = model_.list_.Count();
    Q_EMIT model_.layoutAboutToBeChanged();
}

void ListViewModel::Notices::layoutChanged() {
    Q_EMIT model_.layoutChanged();
    if (model_.list_.Count() != model_.rowCountBeforeLayout_) {
        model_.beginResetModel();
        model_.endResetModel();
    }
}

void ListViewModel::Notices::cellChanged(std::int32_t row, std::int32_t column) {
    const QModelIndex changed = model_.index(row - 1, column);
    Q_EMIT model_.dataChanged(changed, changed, {Qt::DisplayRole});
}

void ListViewModel::Notices::appearanceChanged() {
    const int rows = model_.list_.Count();
    const int columns = model_.list_.columnCount();
    if (rows > 0 && columns > 0)
        Q_EMIT model_.dataChanged(model_.index(0, 0), model_.index(rows - 1, columns - 1),
                                  {Qt::BackgroundRole});
    Q_EMIT model_.listAppearanceChanged();
}

void ListViewModel::Notices::columnsChanged() {
    // Only ever before the first row; a view simply asks again.
    model_.beginResetModel();
    model_.endResetModel();
}

Qt::Alignment QtAlignment(Alignment alignment) {
    switch (alignment) {
    case Alignment::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case Alignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace pelk
