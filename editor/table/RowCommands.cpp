#include "RowCommands.h"

#include "TakeField.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tavrel {
namespace {

bool IsRow(const TableDocument& document, int row) {
    return row >= 0 && row < document.Table().RowCount();
}

// Drops one line end (CR LF, LF or CR) from the end of the text.
std::string_view WithoutLastLineEnd(std::string_view text) {
    // A CR before a dropped LF belongs to it; a CR alone is a line end of its own.
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return lines;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
}

// Rows made from the lines, their fields cut at tabs, owned until the end of the paste.
class PastedRows {
public:
    explicit PastedRows(const std::vector<std::string_view>& lines) {
        rows_.reserve(lines.size());
        for (const std::string_view line : lines) {
            rows_.push_back(TableRow::FromLine(line, '\t', GridTable::kMaxColumns));
        }
    }
    ~PastedRows() {
        for (TableRow& row : rows_)
            row.Release();
    }
    PastedRows(const PastedRows&) = delete;
    PastedRows& operator=(const PastedRows&) = delete;
    const std::vector<TableRow>& Rows() const { return rows_; }

private:
    std::vector<TableRow> rows_;
};

}  // namespace

bool InsertBlankRowAt(TableDocument& document, int row) {
    if (!IsRow(document, row)) return false;
    document.InsertBlankRow(row);
    document.state.modified = true;
    return true;
}

bool DeleteRowAt(TableDocument& document, int row) {
    if (!IsRow(document, row)) return false;
    // The whole row: every non-empty cell lies in the columns a save writes.
    SavedRow saved(document.Table().Row(row));
    document.deletedRowIndexes.push_back(row);
    document.deletedRowTexts.push_back(std::move(saved));
    document.DeleteRow(row);
    document.state.modified = true;
    return true;
}

int RestoreDeletedRow(TableDocument& document) {
    if (document.deletedRowIndexes.empty()) return -1;
    int at = document.deletedRowIndexes.back();
    const SavedRow saved = std::move(document.deletedRowTexts.back());
    document.deletedRowIndexes.pop_back();
    document.deletedRowTexts.pop_back();
    at = std::min(std::max(at, 0), document.Table().RowCount());
    document.InsertRows(at, {saved.Row()});
    document.state.modified = true;
    return at;
}

std::string RowClipboardText(const GridTable& table, int row) {
    std::string text;
    if (row < 0 || row >= table.RowCount()) return text;
    const int columns = table.SavedColumnCount();
    const TableRow& cells = table.Row(row);
    for (int c = 0; c < columns; ++c) {
        text.append(cells.Cell(c));
        text.push_back('\t');
    }
    return text;
}

PasteResult PasteRowsAt(TableDocument& document, int row, std::string_view text) {
    PasteResult result;
    if (!IsRow(document, row)) return result;
    const std::vector<std::string_view> lines = SplitLines(WithoutLastLineEnd(text));
    for (const std::string_view line : lines) {
        // Only the cells the table keeps matter; a comma past them is dropped with its field.
        std::string_view rest = line;
        for (int c = 0; !rest.empty() && c < document.Table().ColumnCount(); ++c) {
            if (TakeField(rest, '\t').find(',') != std::string_view::npos) {
                result.comma = true;
                return result;
            }
        }
    }
    if (lines.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() - 16 -
                                                document.Table().RowCount())) {
        return result;  // more rows than a table can hold
    }
    const PastedRows rows(lines);
    document.InsertRows(row, rows.Rows());
    document.state.modified = true;
    result.rows = static_cast<int>(lines.size());
    return result;
}

}  // namespace tavrel
