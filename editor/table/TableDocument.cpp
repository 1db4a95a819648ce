#include "TableDocument.h"

namespace tavrel {

void TableDocument::SetCell(int row, int column, std::string_view text) {
    if (row < 0 || row >= table_.RowCount() || !table_.ColumnExists(column)) return;
    table_.SetCell(row, column, text);
    if (listener_) listener_->CellsChanged(row, row, column, column);
}

void TableDocument::InsertRows(int at, const std::vector<TableRow>& rows) {
    if (rows.empty()) return;
    if (at < 0 || at > table_.RowCount()) at = table_.RowCount();
    const int count = static_cast<int>(rows.size());
    if (listener_) listener_->BeforeRowsInserted(at, at + count - 1);
    table_.InsertRows(at, rows);
    if (listener_) listener_->AfterRowsInserted();
}

void TableDocument::InsertBlankRow(int at) {
    InsertRows(at, {TableRow()});
}

void TableDocument::DeleteRow(int row) {
    if (row < 0 || row >= table_.RowCount()) return;
    if (listener_) listener_->BeforeRowsRemoved(row, row);
    table_.DeleteRow(row);
    if (listener_) listener_->AfterRowsRemoved();
}

void TableDocument::Reset(const std::function<void(GridTable&)>& change) {
    if (listener_) listener_->BeforeReset();
    change(table_);
    if (listener_) listener_->AfterReset();
}

void TableDocument::CellsChanged(int first, int last, int firstColumn, int lastColumn) {
    if (listener_ && first <= last && firstColumn <= lastColumn) {
        listener_->CellsChanged(first, last, firstColumn, lastColumn);
    }
}

}  // namespace tavrel
