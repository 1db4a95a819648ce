// One row of the grid table packed into a single block: a small header, the end offset of every
// cell (16-bit while the row's text is under 64 KiB, 32-bit beyond) and the cells' bytes back to
// back. A big table is then its text plus two to four bytes a cell.
//
// A TableRow is a plain handle, copied as a pointer, so that inserting or removing a row moves
// one pointer per row below it. Its owner (the grid table) releases it: rows made while reading
// a file live in the table's RowArena, rows made by an edit on the heap.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "RowArena.h"

namespace tavrel {

class TableRow {
public:
    // Largest text a row can hold (all its cells together).
    static constexpr std::uint64_t kMaxRowBytes = 0xFFFFFFFFu;

    TableRow() = default;  // a row without cells

    // Stores the cells in `arena`, or on the heap when it is null, dropping empty cells at the
    // end (a missing cell reads as empty). Throws std::bad_alloc or std::length_error.
    static TableRow Make(std::span<const std::string_view> cells, RowArena* arena = nullptr);
    // Stores the fields of a table line cut at `separator`, at most `maxCells` of them, without
    // a list of the fields on the way (a header may hold millions). `fields`, when given, gets
    // the number of fields taken from the line, empty ones at the end included.
    static TableRow FromLine(std::string_view line, char separator, std::size_t maxCells,
                             RowArena* arena = nullptr, std::size_t* fields = nullptr);
    // Stores the fields of a line whose separators lie at `ends` (field i runs from just after
    // separator i - 1 to ends[i]), as a loader that split the line already has them.
    static TableRow FromFieldEnds(std::string_view line, std::span<const std::uint32_t> ends,
                                  RowArena* arena, char separator = ',');
    // Frees a heap row; arena rows go with their arena.
    void Release();

    // Cells stored; every cell from this index on is empty. The last stored cell is never empty.
    int CellCount() const;
    // Any cell index; cells past CellCount() are empty.
    std::string_view Cell(int i) const;
    // True when one of the cells 0 .. columns - 1 is not empty.
    bool HasTextBefore(int columns) const;
    // Bytes of all cells together.
    std::uint32_t TextSize() const;
    // All cells' bytes back to back, and where cell i ends in them: for scanning a whole row.
    std::string_view Text() const;
    std::uint32_t CellEnd(int i) const { return End(i); }

    // New heap rows: this row with one cell set, one empty cell inserted, or one cell removed.
    TableRow WithCell(int i, std::string_view text) const;
    TableRow WithCellInserted(int i) const;
    TableRow WithCellRemoved(int i) const;

private:
    explicit TableRow(char* block) : block_(block) {}
    template <typename NextCell>
    static TableRow Build(std::size_t count, std::uint64_t bytes, RowArena* arena, NextCell next);
    std::uint32_t End(int i) const;
    std::uint32_t Count() const;

    // Header (flags and cell count, byte count), offsets, bytes; null for a row without cells.
    char* block_ = nullptr;
};

// A row's cells kept apart from any table (a deleted row waiting to be taken back): a heap copy
// that lives as long as this object.
class SavedRow {
public:
    SavedRow() = default;
    explicit SavedRow(const TableRow& row);
    ~SavedRow() { row_.Release(); }
    SavedRow(SavedRow&& other) noexcept : row_(other.row_) { other.row_ = TableRow(); }
    SavedRow& operator=(SavedRow&& other) noexcept;
    SavedRow(const SavedRow&) = delete;
    SavedRow& operator=(const SavedRow&) = delete;

    const TableRow& Row() const { return row_; }

private:
    TableRow row_;
};

}  // namespace tavrel
