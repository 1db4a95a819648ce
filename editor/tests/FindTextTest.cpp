// Finding text in cells: letter case, where a search starts and wraps, and the search history.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FindText.h"

namespace tavrel {
namespace {

// Rows of cells over `columns` titled columns, with `blankRows` empty rows below.
GridTable Table(const std::vector<std::vector<std::string>>& rows, int columns = 6,
                int blankRows = 3) {
    GridTable table;
    for (int c = 0; c < columns; ++c)
        table.InsertColumn(c, "T" + std::to_string(c), 110);
    for (const auto& cells : rows) {
        std::vector<std::string_view> views(cells.begin(), cells.end());
        table.AppendRow(views);
    }
    for (int r = 0; r < blankRows; ++r)
        table.InsertRow(table.RowCount());
    return table;
}

TEST(CellMatcherTest, FoldsWindows1252LettersAndNothingElse) {
    struct Case {
        const char* text;
        const char* cell;
        bool found;
    };
    const Case cases[] = {
        {"abc", "XABCX", true},
        {"ABC", "xabcx", true},
        {"\xc9t\xc9", "l'\xe9t\xe9", true},  // "ÉTÉ" finds "été"
        {"\xe9", "\xc9", true},              // and the other way round
        {"\x9a", "\x8a", true},              // š finds Š
        {"\xff", "\x9f", true},              // ÿ finds Ÿ
        {"\xd7", "\xf7", false},             // × and ÷ are no letter pair
        {"ss", "\xdf", false},               // ß is one byte, not two
        {"a", "\xe0", false},                // no accent folding
        {"1,5", "x1,5", true},
        {"", "", true},  // an empty text is in every cell
        {"abcd", "abc", false},
        {"bcx", "abcabcx", true},  // a failed start is not skipped past
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CellMatcher(c.text).Matches(c.cell), c.found) << c.text << " in " << c.cell;
    }
}

TEST(CellMatcherTest, AMatchRunningOverACellsEndIsNoMatch) {
    GridTable table = Table({{"ab", "cd", "", "xabcdx"}});
    const TableRow& row = table.Row(0);
    EXPECT_EQ(CellMatcher("bc").FirstMatch(row, 0, 6), 3);
    EXPECT_EQ(CellMatcher("bc").FirstMatch(row, 0, 3), -1);
    EXPECT_EQ(CellMatcher("cd").FirstMatch(row, 0, 6), 1);
    EXPECT_EQ(CellMatcher("cd").FirstMatch(row, 2, 6), 3);
    EXPECT_EQ(CellMatcher("").FirstMatch(row, 4, 6), 4) << "empty cells hold the empty text";
    EXPECT_EQ(CellMatcher("").FirstMatch(row, 6, 6), -1);
}

struct FindCase {
    const char* name;
    std::string text;
    int startRow, startColumn;
    int row, column;  // -1: not found
};

class FindCases : public testing::TestWithParam<FindCase> {};

// Matches at (2, 3) and (2, 5) only; five data rows, three blank rows below.
TEST_P(FindCases, FindTheNextCellAndWrapOnce) {
    const FindCase& c = GetParam();
    const GridTable table = Table({{"a0", "b0"},
                                   {"a1", "b1"},
                                   {"a2", "b2", "", "XABCX", "", "abc"},
                                   {"a3"},
                                   {"a4", "", "", "", "", "last"}});
    const CellPosition found = FindNextCell(table, c.text, c.startRow, c.startColumn);
    EXPECT_EQ(found.row, c.row);
    EXPECT_EQ(found.column, c.column);
}

INSTANTIATE_TEST_SUITE_P(
    Find, FindCases,
    testing::Values(FindCase{"FromTheTop", "abc", 0, 0, 2, 3},
                    FindCase{"AfterTheFirstMatch", "abc", 2, 4, 2, 5},
                    FindCase{"WrapsToTheFirstMatch", "abc", 2, 6, 2, 3},
                    FindCase{"StartRowSearchedAgainInFull", "abc", 3, 0, 2, 3},
                    FindCase{"FromTheBlankMarginWraps", "abc", 7, 0, 2, 3},
                    FindCase{"StartColumnPastTheUsedOnes", "a2", 2, 9, 2, 0},
                    FindCase{"OnlyMatchFoundAgain", "last", 4, 6, 4, 5},
                    FindCase{"NotFound", "zzz", 1, 0, -1, -1},
                    FindCase{"EmptyTextFindsTheStartCell", "", 1, 1, 1, 1},
                    FindCase{"EmptyTextAfterTheLastUsedRowWraps", "", 6, 0, 0, 0},
                    FindCase{"NegativeStartIsTheTop", "a0", -1, 0, 0, 0}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(FindTest, OnlyTheUsedColumnsAreSearched) {
    GridTable table;
    table.InsertColumn(0, "", 110);
    table.InsertRow(0);
    EXPECT_FALSE(FindNextCell(table, "", 0, 0).Found()) << "no used column: nothing searched";

    GridTable wide = Table({{"a", "b"}}, 2);
    wide.InsertColumn(2, "", 110);
    wide.SetCell(1, 2, "hidden?");  // a blank row with text in a blank column: used
    EXPECT_EQ(FindNextCell(wide, "hidden", 0, 0).row, 1);
}

TEST(FindHistoryTest, TheNewTextGoesFirstAndCaseTwinsGo) {
    struct Case {
        const char* name;
        std::vector<std::string> history;
        std::string text;
        std::vector<std::string> expected;
    };
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("old" + std::to_string(i));
    std::vector<std::string> tenAfter{"new"};
    tenAfter.insert(tenAfter.end(), ten.begin(), ten.begin() + 9);
    const Case cases[] = {
        {"CaseTwinDropped", {"A", "B", "C"}, "b", {"b", "A", "C"}},
        {"EmptyEntriesSkipped", {"", "x", ""}, "y", {"y", "x"}},
        {"FullHistoryLosesTheOldest", ten, "new", tenAfter},
        {"EightBitCaseTwin", {"\xc9T\xc9", "z"}, "\xe9t\xe9", {"\xe9t\xe9", "z"}},
        {"SameTextAgain", {"abc", "def"}, "abc", {"abc", "def"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpdatedFindHistory(c.history, c.text), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace tavrel
