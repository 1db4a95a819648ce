// The open table of the editor: ordered columns (title, width in pixels) and ordered rows of
// 8-bit text cells. It is the only copy of the data; the grid view shows it as it stands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "RowList.h"
#include "TableRow.h"

namespace tavrel {

class GridTable {
public:
    // Column title as the save writes it: the platform's header buffer holds 1023 characters.
    static constexpr std::size_t kMaxTitleLength = 1023;

    GridTable() = default;
    ~GridTable();
    GridTable(GridTable&& other) noexcept;
    GridTable& operator=(GridTable&& other) noexcept;
    GridTable(const GridTable&) = delete;
    GridTable& operator=(const GridTable&) = delete;

    // Columns.
    int ColumnCount() const { return static_cast<int>(widths_.size()); }
    bool ColumnExists(int i) const { return i >= 0 && i < ColumnCount(); }
    // Inserts a column at i; an index past the end (or negative) appends. Cells move right.
    void InsertColumn(int i, std::string_view title, int width);
    // Removes column i and its cells; the columns to the right move left.
    void DeleteColumn(int i);
    // Appends a column for every field of a header line, all `width` wide, in one step, with room
    // for `spare` more columns appended later (a load's blank margin) without moving them all.
    void AppendColumnsFromLine(std::string_view line, int width, int spare = 0);
    // The full title as loaded or set; the save cuts it to kMaxTitleLength.
    std::string_view ColumnTitle(int i) const;
    int ColumnWidth(int i) const;
    // Widths are kept from 0 to kMaxColumnWidth pixels.
    void SetColumnWidth(int i, int width);
    static constexpr int kMaxColumnWidth = 0xFFFF;
    // Columns a header line may give; fields past it are not read.
    static constexpr std::size_t kMaxColumns = 0x7FFFFFFF;

    // Rows.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void DeleteAllRows();
    // Removes row i; the rows below move up. An index out of range does nothing.
    void DeleteRow(int i);
    // Inserts a row of empty cells at i; an index past the end (or negative) appends.
    void InsertRow(int i);
    // Inserts a row holding a copy of `cells` at i (as InsertRow); cells past the last column
    // are not stored.
    void InsertRow(int i, const TableRow& cells);
    // Inserts copies of several rows at i, in order, moving the rows below once.
    void InsertRows(int i, const std::vector<TableRow>& rows);
    // Appends a row whose first cells are given; cells past the last column are not stored.
    void AppendRow(const std::vector<std::string_view>& cells);
    // Appends the row of a line split already (TableRow::FromFieldEnds), cut to the columns.
    void AppendRowFromFieldEnds(std::string_view line, std::span<const std::uint32_t> ends);

    // Cells. A cell of a row or column that does not exist is empty and is never stored.
    void SetCell(int row, int column, std::string_view text);
    // The cell's text; the view stays valid until that row is changed or removed.
    std::string_view Cell(int row, int column) const;
    // The row's stored cells (cells right of them are empty), for whole-row readers.
    const TableRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    // The used extent that a save writes: the columns up to the last one with a title or a
    // non-empty cell, and the rows up to the last one with a non-empty cell in those columns.
    // -1 when nothing qualifies.
    int SavedColumnCount() const;
    int SavedRowCount(int columns) const;

private:
    // Puts `fresh` in place of row `row`, releasing the old one.
    void ReplaceRow(std::size_t row, TableRow fresh);
    void ReplaceTitles(TableRow fresh);
    TableRow CopyForTable(const TableRow& cells) const;

    // The titles packed as one row (a header may hold millions of columns), and the widths.
    TableRow titles_;
    std::vector<std::uint16_t> widths_;
    RowList rows_;    // owned: released when removed or replaced
    RowArena arena_;  // the memory of the rows read from a file
};

}  // namespace tavrel
