// Finding text in the table's cells as the editor's Find does, and the search history kept in the
// settings file. Letter case is folded as the platform folds the game's 8-bit texts ("É" finds
// "é"); every other byte is compared as it is, and the text may lie anywhere in a cell.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "GridTable.h"

namespace tavrel {

// The search text, folded once, matched against cells or against the cells of a whole row.
class CellMatcher {
public:
    explicit CellMatcher(std::string_view text);

    bool Matches(std::string_view cell) const;
    // The first of the columns from .. to - 1 whose cell holds the text; -1 when none. An empty
    // text is held by every cell.
    int FirstMatch(const TableRow& row, int from, int to) const;

private:
    // Where the text starts at or after `from` in `bytes`, up to `end`; npos when nowhere.
    std::size_t Next(std::string_view bytes, std::size_t from) const;
    bool MatchesAt(const char* at) const;

    std::string folded_;
    std::array<bool, 256> starts_{};  // bytes that fold to the text's first byte
    int startByte_ = -1;              // the one such byte, when there is only one
};

struct CellPosition {
    int row = -1;
    int column = -1;
    bool Found() const { return row >= 0; }
};

// The next cell holding `text` in the used extent of the table (the columns and rows a save
// writes): from (startRow, startColumn) to the end of the used rows, then once more from the top
// down to the start row, in full. Not found when the table has no used column.
CellPosition FindNextCell(const GridTable& table, std::string_view text, int startRow,
                          int startColumn);

// The search history ("find0" first) after a search for `text`: the text, then the earlier entries
// in their order without empty ones and without any that equals the text but for letter case, ten
// at most.
constexpr std::size_t kFindHistorySize = 10;
std::vector<std::string> UpdatedFindHistory(const std::vector<std::string>& history,
                                            const std::string& text);

}  // namespace tavrel
