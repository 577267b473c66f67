// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/list_view.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace pelk {
namespace {

// Plain character codes, taken as unsigned bytes; a text that is a prefix of another comes first.
bool ByteLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::size_t RowIndex(std::int32_t position, std::size_t count) {
    if (position < 1 || static_cast<std::size_t>(position) > count)
        throw std::out_of_range("list row out of range");
    return static_cast<std::size_t>(position - 1);
}

} // namespace

ListItem::ListItem(std::size_t columnCount, std::string text)
    : cells_(std::max<std::size_t>(columnCount, 1)) {
    cells_[0].Text = std::move(text);
}

std::string &ListItem::SubItems(std::size_t n) {
    return ListSubItems(n).Text;
}

const std::string &ListItem::SubItems(std::size_t n) const {
    if (n == 0)
        throw std::out_of_range("sub-items count from 1");
    return cells_.at(n).Text;
}

ListCell &ListItem::ListSubItems(std::size_t n) {
    // Sub-item 0 would be the row itself; the platform refuses it, and so do we.
    if (n == 0)
        throw std::out_of_range("sub-items count from 1");
    return cells_.at(n);
}

void ListView::setObserver(ListViewObserver *observer) {
    observer_ = observer;
}

void ListView::addColumn(std::string text, std::string tag, int widthPixels, Alignment alignment) {
    ColumnHeader header;
    header.Text = std::move(text);
    header.Index = static_cast<std::int32_t>(columns_.size() + 1);
    header.Tag = std::move(tag);
    header.widthPixels = widthPixels;
    header.alignment = alignment;
    columns_.push_back(std::move(header));
    // Every row has a cell for every column, so a later column gets an empty cell in each row.
    for (const auto &row : rows_)
        if (row->cells_.size() < columns_.size())
            row->cells_.resize(columns_.size());
    changed();
    if (telling())
        observer_->columnsChanged();
}

std::int32_t ListView::columnCount() const {
    return static_cast<std::int32_t>(columns_.size());
}

const ColumnHeader &ListView::ColumnHeaders(std::int32_t number) const {
    if (number < 1 || number > columnCount())
        throw std::out_of_range("column header out of range");
    return columns_[static_cast<std::size_t>(number - 1)];
}

std::int32_t ListView::Count() const {
    return static_cast<std::int32_t>(rows_.size());
}

ListItem &ListView::Item(std::int32_t position) {
    return *rows_[RowIndex(position, rows_.size())];
}

const ListItem &ListView::Item(std::int32_t position) const {
    return *rows_[RowIndex(position, rows_.size())];
}

ListItem &ListView::Add(std::int32_t position, std::string text) {
    const std::size_t index = RowIndex(position, rows_.size() + 1);
    auto row = std::make_unique<ListItem>(columns_.size(), std::move(text));
    ListItem &added = *row;
    const bool tell = telling();
    if (tell)
        observer_->rowAboutToBeAdded(position);
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
    changed();
    if (tell)
        observer_->rowAdded();
    return added;
}

void ListView::setCellText(std::int32_t row, std::int32_t column, std::string text) {
    if (column < 0)
        throw std::out_of_range("list column out of range");
    ListItem &item = Item(row);
    item.cell(static_cast<std::size_t>(column)).Text = std::move(text);
    changed();
    if (telling())
        observer_->cellChanged(row, column);
}

std::int16_t ListView::SortKey() const {
    return sortKey_;
}
std::int16_t ListView::SortOrder() const {
    return sortOrder_;
}
bool ListView::Sorted() const {
    return sorted_;
}

void ListView::setSortKey(std::int16_t column) {
    if (column < 0 || column >= columnCount())
        throw std::out_of_range("sort key out of range");
    sortKey_ = column;
    changed();
}

void ListView::setSortOrder(std::int16_t order) {
    if (order != 0 && order != 1)
        throw std::out_of_range("sort order is 0 or 1");
    sortOrder_ = order;
    changed();
}

void ListView::setSorted(bool sorted) {
    sorted_ = sorted;
    changed();
    if (!sorted)
        return;
    const bool tell = telling();
    if (tell)
        observer_->layoutAboutToChange();
    const auto column = static_cast<std::size_t>(sortKey_);
    // A row without the column's cell (never the case once columns precede rows) sorts as empty.
    auto keyOf = [column](const std::unique_ptr<ListItem> &row) -> std::string_view {
        return column < row->cellCount() ? std::string_view(row->cell(column).Text)
                                         : std::string_view();
    };
    if (sortOrder_ == 0)
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto &a, const auto &b) {
            return ByteLess(keyOf(a), keyOf(b));
        });
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto &a, const auto &b) {
            return ByteLess(keyOf(b), keyOf(a));
        });
    if (tell)
        observer_->layoutChanged();
}

void ListView::suspendDrawing() {
    if (suspendDepth_ == 0 && observer_ != nullptr)
        observer_->layoutAboutToChange();
    ++suspendDepth_;
}

void ListView::resumeDrawing() {
    if (suspendDepth_ == 0)
        return;
    --suspendDepth_;
    if (suspendDepth_ != 0)
        return;
    // Cells may have been written through references inside the bracket: count that as a change.
    changed();
    if (observer_ != nullptr)
        observer_->layoutChanged();
}

bool ListView::drawingSuspended() const {
    return suspendDepth_ > 0;
}

bool ListView::Visible() const {
    return visible_;
}

void ListView::setVisible(bool visible) {
    visible_ = visible;
    changed();
    if (telling())
        observer_->appearanceChanged();
}

void ListView::setRowShading(Rgb firstRow, Rgb secondRow) {
    shading_ = Shading{firstRow, secondRow};
    changed();
    if (telling())
        observer_->appearanceChanged();
}

std::optional<Rgb> ListView::rowColor(std::int32_t position) const {
    if (!shading_ || position < 1)
        return std::nullopt;
    return position % 2 == 1 ? shading_->firstRow : shading_->secondRow;
}

std::uint64_t ListView::version() const {
    return version_;
}

} // namespace pelk
