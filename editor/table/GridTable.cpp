#include "GridTable.h"

#include <algorithm>

#include "TakeField.h"

namespace tavrel {
namespace {

std::uint16_t ClampWidth(int width) {
    return static_cast<std::uint16_t>(std::clamp(width, 0, GridTable::kMaxColumnWidth));
}

}  // namespace

GridTable::~GridTable() {
    DeleteAllRows();
    titles_.Release();
}

GridTable::GridTable(GridTable&& other) noexcept
    : titles_(other.titles_),
      widths_(std::move(other.widths_)),
      rows_(std::move(other.rows_)),
      arena_(std::move(other.arena_)) {
    other.titles_ = TableRow();
    other.rows_.clear();
}

GridTable& GridTable::operator=(GridTable&& other) noexcept {
    if (this != &other) {
        DeleteAllRows();
        ReplaceTitles(other.titles_);
        other.titles_ = TableRow();
        widths_ = std::move(other.widths_);
        rows_ = std::move(other.rows_);
        other.rows_.clear();
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

void GridTable::ReplaceTitles(TableRow fresh) {
    titles_.Release();
    titles_ = fresh;
}

void GridTable::InsertColumn(int i, std::string_view title, int width) {
    if (i < 0 || i > ColumnCount()) i = ColumnCount();
    // A title past the stored ones is appended for nothing: empty titles at the end are not kept.
    if (i < titles_.CellCount() || !title.empty()) {
        TableRow titles = titles_.WithCellInserted(i);
        ReplaceTitles(titles);
        if (!title.empty()) ReplaceTitles(titles_.WithCell(i, title));
    }
    widths_.insert(widths_.begin() + i, ClampWidth(width));
    if (i == ColumnCount() - 1) return;  // appended: no row holds cells there yet
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].CellCount() > i) ReplaceRow(r, rows_[r].WithCellInserted(i));
    }
}

void GridTable::DeleteColumn(int i) {
    if (!ColumnExists(i)) return;
    if (i < titles_.CellCount()) ReplaceTitles(titles_.WithCellRemoved(i));
    widths_.erase(widths_.begin() + i);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].CellCount() > i) ReplaceRow(r, rows_[r].WithCellRemoved(i));
    }
}

void GridTable::AppendColumnsFromLine(std::string_view line, int width, int spare) {
    if (ColumnCount() > 0) {  // after other columns: one by one
        for (std::string_view rest = line; !rest.empty();)
            InsertColumn(ColumnCount(), TakeField(rest, ','), width);
        return;
    }
    std::size_t fields = 0;
    ReplaceTitles(TableRow::FromLine(line, ',', kMaxColumns, nullptr, &fields));
    widths_.reserve(fields + static_cast<std::size_t>(std::max(spare, 0)));
    widths_.assign(fields, ClampWidth(width));
}

std::string_view GridTable::ColumnTitle(int i) const {
    return titles_.Cell(i);
}

int GridTable::ColumnWidth(int i) const {
    return ColumnExists(i) ? widths_[static_cast<std::size_t>(i)] : 0;
}

void GridTable::SetColumnWidth(int i, int width) {
    if (ColumnExists(i)) widths_[static_cast<std::size_t>(i)] = ClampWidth(width);
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

void GridTable::InsertRow(int i, const TableRow& cells) {
    InsertRows(i, {cells});
}

// A heap copy of `cells` cut to the table's columns.
TableRow GridTable::CopyForTable(const TableRow& cells) const {
    const int stored = std::min(cells.CellCount(), ColumnCount());
    std::vector<std::string_view> kept(static_cast<std::size_t>(std::max(stored, 0)));
    for (int c = 0; c < stored; ++c)
        kept[static_cast<std::size_t>(c)] = cells.Cell(c);
    return TableRow::Make(kept);
}

void GridTable::InsertRows(int i, const std::vector<TableRow>& rows) {
    if (i < 0 || i > RowCount()) i = RowCount();
    std::vector<TableRow> copies;
    copies.reserve(rows.size());
    try {
        for (const TableRow& row : rows)
            copies.push_back(CopyForTable(row));
        rows_.insert(rows_.begin() + i, copies.data(), copies.data() + copies.size());
    } catch (...) {
        for (TableRow& copy : copies)
            copy.Release();
        throw;
    }
}

void GridTable::AppendRow(const std::vector<std::string_view>& cells) {
    const std::size_t stored = std::min(cells.size(), widths_.size());
    rows_.push_back(TableRow::Make(std::span(cells.data(), stored), &arena_));
}

void GridTable::AppendRowFromFieldEnds(std::string_view line, std::span<const std::uint32_t> ends) {
    const std::size_t kept = std::min(ends.size(), widths_.size());
    rows_.push_back(TableRow::FromFieldEnds(line, ends.first(kept), &arena_));
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
    // Titles keep no empty ones at their end either.
    const int titled = std::min(titles_.CellCount(), ColumnCount());
    if (titled > used) return titled;
    return used > 0 ? std::min(used, ColumnCount()) : -1;
}

int GridTable::SavedRowCount(int columns) const {
    for (int r = RowCount() - 1; r >= 0; --r) {
        if (rows_[static_cast<std::size_t>(r)].HasTextBefore(columns)) return r + 1;
    }
    return -1;
}

}  // namespace tavrel
