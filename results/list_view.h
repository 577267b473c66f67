// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Our own report-style list view model: column headers, rows of cells that each carry a text and
/// a tag, row selection, a sort state, and the two row colours. The Qt window and pelk-cli both
/// show this one model; the Qt side only draws it. Rows are numbered from 1 in display order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelk {

enum class Alignment { Left, Center, Right };

struct ColumnHeader {
    std::string Text;
    std::int32_t Index = 0; ///< 1-based position of the column
    std::string Tag;
    int widthPixels = 0; ///< at 96 dots per inch
    Alignment alignment = Alignment::Left;
};

/// One cell: the text shown and a tag of its own; a tip shown on hovering, and whether the text
/// is drawn muted (a value not to be taken at face value). Tip and muting stay with the cell
/// when rows move.
struct ListCell {
    std::string Text;
    std::string Tag;
    std::string ToolTip;
    bool Muted = false;
};

/// A row. Cell 0 is the row's own Text and Tag (the first column); cell n is the sub-item shown in
/// column n + 1.
class ListItem {
  public:
    explicit ListItem(std::size_t columnCount, std::string text);

    std::string &Text() { return cells_.at(0).Text; }
    const std::string &Text() const { return cells_.at(0).Text; }
    std::string &Tag() { return cells_.at(0).Tag; }
    const std::string &Tag() const { return cells_.at(0).Tag; }

    /// The text of sub-item n (column n + 1), n from 1; throws std::out_of_range past the columns.
    std::string &SubItems(std::size_t n);
    const std::string &SubItems(std::size_t n) const;
    /// The cell of sub-item n, n from 1.
    ListCell &ListSubItems(std::size_t n);

    /// Cell of 0-based column c: the row itself for c = 0, else sub-item c.
    ListCell &cell(std::size_t c) { return cells_.at(c); }
    const ListCell &cell(std::size_t c) const { return cells_.at(c); }

    /// Number of cells, the row's own included.
    std::size_t cellCount() const { return cells_.size(); }

    bool Selected = false;

  private:
    friend class ListView; // grows the cells when a column is added after the row

    std::vector<ListCell> cells_;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

/// Told of every change a view must draw. A suspended-drawing bracket is told as one layout
/// change: layoutAboutToChange when the outermost bracket opens, nothing while it is open (rows
/// added, moved or written inside it included), layoutChanged when it closes.
class ListViewObserver {
  public:
    virtual ~ListViewObserver() = default;
    virtual void rowAboutToBeAdded(std::int32_t position) = 0; ///< 1-based
    virtual void rowAdded() = 0;
    virtual void layoutAboutToChange() = 0; ///< rows will move or many cells change
    virtual void layoutChanged() = 0;
    virtual void cellChanged(std::int32_t row, std::int32_t column) = 0; ///< 1-based, 0-based
    virtual void appearanceChanged() = 0;                                ///< shading or visibility
    /// A column was appended (outside a bracket). Columns are normally all added before the
    /// first row and before a view is attached.
    virtual void columnsChanged() {}
};

inline constexpr int kReportView = 3;

class ListView {
  public:
    ListView() = default;
    ListView(const ListView &) = delete;
    ListView &operator=(const ListView &) = delete;

    void setObserver(ListViewObserver *observer);

    // Columns -------------------------------------------------------------------------------
    /// Appends a column; its Index is its 1-based position.
    void addColumn(std::string text, std::string tag, int widthPixels, Alignment alignment);
    std::int32_t columnCount() const;
    /// Header by 1-based number; throws std::out_of_range outside 1..columnCount().
    const ColumnHeader &ColumnHeaders(std::int32_t number) const;

    // Rows ----------------------------------------------------------------------------------
    std::int32_t Count() const;
    /// Row by 1-based display position; throws std::out_of_range outside 1..Count().
    ListItem &Item(std::int32_t position);
    const ListItem &Item(std::int32_t position) const;
    /// Inserts a row at 1-based `position` (1..Count()+1) with `text` in the first column.
    ListItem &Add(std::int32_t position, std::string text);

    /// Writes one cell's text and tells the observer; never moves rows. Writes through the
    /// references that Item() returns are not told: make them inside a suspended-drawing bracket.
    void setCellText(std::int32_t row, std::int32_t column, std::string text);

    // Sort state ----------------------------------------------------------------------------
    std::int16_t SortKey() const;   ///< 0-based column
    std::int16_t SortOrder() const; ///< 0 ascending, 1 descending
    bool Sorted() const;
    /// Throws std::out_of_range for a column outside 0..columnCount() - 1.
    void setSortKey(std::int16_t column);
    void setSortOrder(std::int16_t order); ///< any value other than 0 or 1 throws out_of_range
    /// Writing true orders the rows once, stably, by the texts of column SortKey in SortOrder,
    /// comparing plain character codes (a prefix first). Later cell writes never move rows, and
    /// neither do writes of SortKey or SortOrder: only writing Sorted = true sorts. A new list
    /// sorts by column 0, ascending, and is not sorted.
    void setSorted(bool sorted);

    // Drawing -------------------------------------------------------------------------------
    /// The bracket of a change that must be drawn once, whole: the outermost suspend tells
    /// layoutAboutToChange, the matching resume tells layoutChanged, and nothing is told in
    /// between. Brackets may nest; a resume without a suspend does nothing.
    void suspendDrawing();
    void resumeDrawing();
    bool drawingSuspended() const;

    // Appearance ----------------------------------------------------------------------------
    int View = kReportView;
    bool Visible() const;
    void setVisible(bool visible);
    /// The two alternating row colours, first row first; none until shading is applied.
    void setRowShading(Rgb firstRow, Rgb secondRow);
    /// Colour of the row at 1-based display position, when the list is shaded: the first colour
    /// at odd positions, the second at even ones, whichever item stands there.
    std::optional<Rgb> rowColor(std::int32_t position) const;

    /// Grows by one at every change; lets a view tell whether it is up to date.
    std::uint64_t version() const;

  private:
    struct Shading {
        Rgb firstRow;
        Rgb secondRow;
    };

    void changed() { ++version_; }
    bool telling() const { return observer_ != nullptr && suspendDepth_ == 0; }

    ListViewObserver *observer_ = nullptr;
    std::vector<ColumnHeader> columns_;
    // Rows are held by pointer so that a ListItem reference stays with its row across sorts.
    std::vector<std::unique_ptr<ListItem>> rows_;
    std::int16_t sortKey_ = 0;
    std::int16_t sortOrder_ = 0;
    bool sorted_ = false;
    int suspendDepth_ = 0;
    bool visible_ = true;
    std::optional<Shading> shading_;
    std::uint64_t version_ = 0;
};

} // namespace pelk
