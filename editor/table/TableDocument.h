// The open table as the editor holds it: the grid table, which file it came from and whether it
// changed since, and the rows deleted so far. Every change to the table goes through here, so a
// view of it (the grid) is told before and after each one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "GridTable.h"

namespace tavrel {

// The open table: which file, how it was read, and whether it changed since.
struct TableState {
    std::string filePath;    // empty when no table is open
    int columnCount = 0;     // columns the last load made (header fields and blank margin)
    int loadedRowCount = 0;  // data lines the last load read
    bool modified = false;   // the table differs from its file
};

// What a view of the table hears of its changes.
class TableListener {
public:
    virtual ~TableListener() = default;
    virtual void BeforeRowsInserted(int first, int last) = 0;
    virtual void AfterRowsInserted() = 0;
    virtual void BeforeRowsRemoved(int first, int last) = 0;
    virtual void AfterRowsRemoved() = 0;
    virtual void CellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn) = 0;
    virtual void BeforeReset() = 0;
    virtual void AfterReset() = 0;
};

class TableDocument {
public:
    const GridTable& Table() const { return table_; }
    void SetListener(TableListener* listener) { listener_ = listener; }

    TableState state;
    // The deleted rows, last deleted last: the index each had and its cells. Both always hold
    // the same number of entries; nothing but the row commands changes them.
    std::vector<int> deletedRowIndexes;
    std::vector<SavedRow> deletedRowTexts;

    // Changes of the table; none of them sets `state.modified`.
    void SetCell(int row, int column, std::string_view text);
    // Inserts copies of `rows` at `at`, in order, in one step; an index past the end appends.
    void InsertRows(int at, const std::vector<TableRow>& rows);
    void InsertBlankRow(int at);
    void DeleteRow(int row);
    // Replaces the whole table (a load, or the columns set up before one).
    void Reset(const std::function<void(GridTable&)>& change);
    // For changing many cells at once: the table itself, and then one word to the view about the
    // rows first..last and columns firstColumn..lastColumn that may have changed.
    GridTable& CellsToChange() { return table_; }
    void CellsChanged(int first, int last, int firstColumn, int lastColumn);

private:
    GridTable table_;
    TableListener* listener_ = nullptr;
};

}  // namespace tavrel
