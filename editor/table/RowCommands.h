// The row commands of the editor on the open table: insert a blank row, delete a row onto the
// history and take it back, and a row as clipboard text, out and in. Each works on one row, the
// grid's first selected row, and sets the table's changed state when it changes the table; the
// selection is the window's business.
#pragma once

#include <string>
#include <string_view>

#include "TableDocument.h"

namespace tavrel {

// Inserts a row of empty cells at `row`; false when `row` is no row.
bool InsertBlankRowAt(TableDocument& document, int row);

// Deletes `row`, keeping its index and cells on the history; false when `row` is no row.
bool DeleteRowAt(TableDocument& document, int row);

// Takes the last deleted row back, at its old index or at the end when the table is now shorter;
// cells past the table's columns are not stored. Returns where it went, -1 when the history is
// empty.
int RestoreDeletedRow(TableDocument& document);

// The row as clipboard text: the cell of each saved column followed by a tab, no line end.
std::string RowClipboardText(const GridTable& table, int row);

struct PasteResult {
    int rows = 0;        // rows inserted, from the row pasted at
    bool comma = false;  // a field held a comma, which no cell can keep: nothing was pasted
};

// Inserts the rows of a clipboard text above `row`, in one step: one row a line (a line ends at
// CR LF, LF or CR; one line end at the very end is dropped), its fields cut at tabs. An empty
// text pastes one blank row.
PasteResult PasteRowsAt(TableDocument& document, int row, std::string_view text);

}  // namespace tavrel
