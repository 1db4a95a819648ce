#include "FindText.h"

#include <algorithm>
#include <cstring>

#include "Cp1252.h"

namespace tavrel {
namespace {

// The folding of every byte, made once.
const std::array<unsigned char, 256>& FoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = base::Cp1252Lower(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

unsigned char Fold(char c) {
    return FoldTable()[static_cast<unsigned char>(c)];
}

}  // namespace

CellMatcher::CellMatcher(std::string_view text) : folded_(base::Cp1252FoldCase(text)) {
    if (folded_.empty()) return;
    int count = 0;
    for (int b = 0; b < 256; ++b) {
        if (FoldTable()[static_cast<std::size_t>(b)] == static_cast<unsigned char>(folded_[0])) {
            starts_[static_cast<std::size_t>(b)] = true;
            startByte_ = b;
            ++count;
        }
    }
    if (count != 1) startByte_ = -1;
}

bool CellMatcher::MatchesAt(const char* at) const {
    for (std::size_t i = 1; i < folded_.size(); ++i) {
        if (Fold(at[i]) != static_cast<unsigned char>(folded_[i])) return false;
    }
    return true;
}

std::size_t CellMatcher::Next(std::string_view bytes, std::size_t from) const {
    const std::size_t length = folded_.size();
    if (bytes.size() < length) return std::string_view::npos;
    const std::size_t last = bytes.size() - length;  // the last place the text can start
    const char* data = bytes.data();
    for (std::size_t at = from; at <= last; ++at) {
        if (startByte_ >= 0) {
            const void* hit = std::memchr(data + at, startByte_, last + 1 - at);
            if (!hit) return std::string_view::npos;
            at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        } else if (!starts_[static_cast<unsigned char>(data[at])]) {
            continue;
        }
        if (MatchesAt(data + at)) return at;
    }
    return std::string_view::npos;
}

bool CellMatcher::Matches(std::string_view cell) const {
    return folded_.empty() || Next(cell, 0) != std::string_view::npos;
}

int CellMatcher::FirstMatch(const TableRow& row, int from, int to) const {
    from = std::max(from, 0);
    if (from >= to) return -1;
    if (folded_.empty()) return from;
    // One scan over the row's bytes; a place where the text runs over a cell's end is passed by.
    const int last = std::min(to, row.CellCount());
    if (from >= last) return -1;
    const std::string_view text = row.Text();
    std::size_t at = from == 0 ? 0 : row.CellEnd(from - 1);
    const std::string_view scanned = text.substr(0, row.CellEnd(last - 1));
    int column = from;
    while ((at = Next(scanned, at)) != std::string_view::npos) {
        while (row.CellEnd(column) <= at)
            ++column;
        if (at + folded_.size() <= row.CellEnd(column)) return column;
        ++at;
    }
    return -1;
}

CellPosition FindNextCell(const GridTable& table, std::string_view text, int startRow,
                          int startColumn) {
    const int columns = table.SavedColumnCount();
    if (columns <= 0) return {};
    const int rows = std::min(table.SavedRowCount(columns), table.RowCount());
    const CellMatcher matcher(text);
    startRow = std::max(startRow, 0);
    for (int r = startRow; r < rows; ++r) {
        const int c = matcher.FirstMatch(table.Row(r), r == startRow ? startColumn : 0, columns);
        if (c >= 0) return {r, c};
    }
    const int wrapTo = std::min(startRow, table.RowCount() - 1);
    for (int r = 0; r <= wrapTo; ++r) {
        const int c = matcher.FirstMatch(table.Row(r), 0, columns);
        if (c >= 0) return {r, c};
    }
    return {};
}

std::vector<std::string> UpdatedFindHistory(const std::vector<std::string>& history,
                                            const std::string& text) {
    std::vector<std::string> updated{text};
    const std::string folded = base::Cp1252FoldCase(text);
    for (const std::string& entry : history) {
        if (updated.size() >= kFindHistorySize) break;
        if (!entry.empty() && base::Cp1252FoldCase(entry) != folded) updated.push_back(entry);
    }
    return updated;
}

}  // namespace tavrel
