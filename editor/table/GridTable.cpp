#include "GridTable.h"

#include <algorithm>

namespace tavrel {
namespace {

const std::string kNoTitle;

}  // namespace

GridTable::~GridTable() {
    DeleteAllRows();
}

GridTable& GridTable::operator=(GridTable&& other) noexcept {
    if (this != &other) {
        DeleteAllRows();
        columns_ = std::move(other.columns_);
        rows_ = std::move(other.rows_);
        arena_ = std::move(other.arena_);
    }
    return *this;
}

void GridTable::DeleteAllRows() {
    for (TableRow& row : rows_)
        row.Release();
    rows_.clear();
}

void GridTable::ReplaceRow(std::size_t row, TableRow fresh) {
    rows_[row].Release();
    rows_[row] = fresh;
}

void GridTable::InsertColumn(int i, std::string_view title, int width) {
    if (i < 0 || i > ColumnCount()) i = ColumnCount();
    columns_.insert(columns_.begin() + i, Column{std::string(title), width});
    if (i == ColumnCount() - 1) return;  // appended: no row holds cells there yet
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].CellCount() > i) ReplaceRow(r, rows_[r].WithCellInserted(i));
    }
}

void GridTable::DeleteColumn(int i) {
    if (!ColumnExists(i)) return;
    columns_.erase(columns_.begin() + i);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].CellCount() > i) ReplaceRow(r, rows_[r].WithCellRemoved(i));
    }
}

const std::string& GridTable::ColumnTitle(int i) const {
    return ColumnExists(i) ? columns_[static_cast<std::size_t>(i)].title : kNoTitle;
}

int GridTable::ColumnWidth(int i) const {
    return ColumnExists(i) ? columns_[static_cast<std::size_t>(i)].width : 0;
}

void GridTable::SetColumnWidth(int i, int width) {
    if (ColumnExists(i)) columns_[static_cast<std::size_t>(i)].width = width;
}

void GridTable::DeleteRow(int i) {
    if (i < 0 || i >= RowCount()) return;
    rows_[static_cast<std::size_t>(i)].Release();
    rows_.erase(rows_.begin() + i);
}

void GridTable::InsertRow(int i) {
    if (i < 0 || i > RowCount()) i = RowCount();
    rows_.insert(rows_.begin() + i, TableRow());
}

void GridTable::AppendRow(const std::vector<std::string_view>& cells) {
    const std::size_t stored = std::min(cells.size(), columns_.size());
    rows_.push_back(TableRow::Make(std::span(cells.data(), stored), &arena_));
}

void GridTable::SetCell(int row, int column, std::string_view text) {
    if (row < 0 || row >= RowCount() || !ColumnExists(column)) return;
    const std::size_t r = static_cast<std::size_t>(row);
    if (rows_[r].Cell(column) == text) return;
    ReplaceRow(r, rows_[r].WithCell(column, text));
}

std::string_view GridTable::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    return rows_[static_cast<std::size_t>(row)].Cell(column);
}

int GridTable::SavedColumnCount() const {
    // Rows keep no empty cells at their end, so a row's last used column is its cell count - 1.
    int used = 0;
    for (const TableRow& row : rows_)
        used = std::max(used, row.CellCount());
    for (int c = ColumnCount() - 1; c >= used; --c) {
        if (!columns_[static_cast<std::size_t>(c)].title.empty()) return c + 1;
    }
    return used > 0 ? std::min(used, ColumnCount()) : -1;
}

int GridTable::SavedRowCount(int columns) const {
    for (int r = RowCount() - 1; r >= 0; --r) {
        if (rows_[static_cast<std::size_t>(r)].HasTextBefore(columns)) return r + 1;
    }
    return -1;
}

}  // namespace tavrel
