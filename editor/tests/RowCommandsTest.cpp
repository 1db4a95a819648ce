// The row commands on the open table: blank rows, deleting and taking back, and rows as
// clipboard text, out and in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RowCommands.h"

namespace tavrel {
namespace {

using Cells = std::vector<std::string>;

// A table of `rows` rows over three titled columns and two blank ones; row r holds rN, cN...
TableDocument Document(int rows) {
    TableDocument document;
    document.Reset([rows](GridTable& t) {
        for (const char* title : {"A", "B", "C", "", ""})
            t.InsertColumn(t.ColumnCount(), title, 110);
        for (int r = 0; r < rows; ++r) {
            t.InsertRow(r);
            t.SetCell(r, 0, "r" + std::to_string(r));
            t.SetCell(r, 2, "c" + std::to_string(r));
        }
    });
    return document;
}

Cells Row(const TableDocument& document, int row) {
    Cells cells;
    for (int c = 0; c < document.Table().ColumnCount(); ++c)
        cells.emplace_back(document.Table().Cell(row, c));
    return cells;
}

TEST(RowCommandsTest, InsertBlankRowPushesTheRowDown) {
    TableDocument document = Document(3);
    EXPECT_FALSE(InsertBlankRowAt(document, -1));
    EXPECT_FALSE(InsertBlankRowAt(document, 3));
    EXPECT_FALSE(document.state.modified);
    EXPECT_TRUE(InsertBlankRowAt(document, 0));
    EXPECT_TRUE(document.state.modified);
    EXPECT_EQ(document.Table().RowCount(), 4);
    EXPECT_EQ(Row(document, 0), Cells(5, ""));
    EXPECT_EQ(Row(document, 1), (Cells{"r0", "", "c0", "", ""}));
}

TEST(RowCommandsTest, DeletedRowsComeBackLastFirstAtTheirIndex) {
    TableDocument document = Document(20);
    ASSERT_TRUE(DeleteRowAt(document, 3));
    ASSERT_TRUE(DeleteRowAt(document, 7));  // r8 by then
    EXPECT_TRUE(document.state.modified);
    EXPECT_EQ(document.deletedRowIndexes, (std::vector<int>{3, 7}));
    EXPECT_EQ(document.Table().RowCount(), 18);

    document.state.modified = false;
    EXPECT_EQ(RestoreDeletedRow(document), 7);
    EXPECT_TRUE(document.state.modified);
    EXPECT_EQ(Row(document, 7), (Cells{"r8", "", "c8", "", ""}));
    EXPECT_EQ(RestoreDeletedRow(document), 3);
    EXPECT_EQ(Row(document, 3), (Cells{"r3", "", "c3", "", ""}));
    for (int r = 0; r < 20; ++r)
        EXPECT_EQ(document.Table().Cell(r, 0), "r" + std::to_string(r));
    EXPECT_EQ(RestoreDeletedRow(document), -1);
    EXPECT_TRUE(document.deletedRowTexts.empty());
}

// A cell holding a comma (typed before the editor refused them, or in an older history) comes
// back whole: the row keeps its cells, not a comma-joined line.
TEST(RowCommandsTest, UndoGivesBackTheCellsExactly) {
    TableDocument document = Document(2);
    document.SetCell(1, 1, "1,5");
    document.SetCell(1, 3, "\t x ");
    const Cells before = Row(document, 1);
    ASSERT_TRUE(DeleteRowAt(document, 1));
    EXPECT_EQ(RestoreDeletedRow(document), 1);
    EXPECT_EQ(Row(document, 1), before);
}

TEST(RowCommandsTest, TheHistoryOutlivesTheTableItCameFrom) {
    TableDocument document = Document(50);
    ASSERT_TRUE(DeleteRowAt(document, 40));
    document.Reset([](GridTable& t) {  // another file, fewer rows and columns
        t = GridTable();
        t.InsertColumn(0, "X", 110);
        t.InsertColumn(1, "Y", 110);
        for (int r = 0; r < 5; ++r)
            t.InsertRow(r);
    });
    EXPECT_EQ(RestoreDeletedRow(document), 5);        // past the end: the row goes last
    EXPECT_EQ(Row(document, 5), (Cells{"r40", ""}));  // "c40" had no column to go to
}

TEST(RowCommandsTest, ClipboardTextHasATabAfterEveryField) {
    struct Case {
        const char* name;
        Cells cells;  // of row 0, over the three titled columns and two blank ones
        int row;
        std::string text;
    };
    const Case cases[] = {
        {"ThreeSavedColumns", {"A", "B", "", "", ""}, 0, "A\tB\t\t"},
        {"AMarginCellWidensEveryRow", {"1", "", "3", "", "m"}, 0, "1\t\t3\t\tm\t"},
        {"TabsAndCommasAsTheyAre", {"a\tb", "x,y", "", "", ""}, 0, "a\tb\tx,y\t\t"},
        {"NoRow", {"A", "", "", "", ""}, -1, ""},
    };
    for (const Case& c : cases) {
        TableDocument document = Document(1);
        for (int col = 0; col < 5; ++col)
            document.SetCell(0, col, c.cells[static_cast<std::size_t>(col)]);
        EXPECT_EQ(RowClipboardText(document.Table(), c.row), c.text) << c.name;
    }
    TableDocument untitled;
    untitled.Reset([](GridTable& t) {
        t.InsertColumn(0, "", 110);
        t.InsertRow(0);
    });
    EXPECT_EQ(RowClipboardText(untitled.Table(), 0), "") << "no saved column";
}

struct PasteCase {
    const char* name;
    std::string text;
    std::vector<Cells> rows;  // the rows pasted above row 1, in order
};

class PasteCases : public testing::TestWithParam<PasteCase> {};

TEST_P(PasteCases, InsertTheLinesAboveTheRow) {
    const PasteCase& c = GetParam();
    TableDocument document = Document(3);
    const PasteResult result = PasteRowsAt(document, 1, c.text);
    const int pasted = static_cast<int>(c.rows.size());
    ASSERT_EQ(result.rows, pasted);
    EXPECT_FALSE(result.comma);
    EXPECT_TRUE(document.state.modified);
    ASSERT_EQ(document.Table().RowCount(), 3 + pasted);
    for (int i = 0; i < pasted; ++i) {
        Cells expected = c.rows[static_cast<std::size_t>(i)];
        expected.resize(5);
        EXPECT_EQ(Row(document, 1 + i), expected) << "pasted row " << i;
    }
    EXPECT_EQ(document.Table().Cell(0, 0), "r0");
    EXPECT_EQ(document.Table().Cell(1 + pasted, 0), "r1");
}

INSTANTIATE_TEST_SUITE_P(
    Clipboard, PasteCases,
    testing::Values(PasteCase{"CopiedRow", "A\tB\t\t", {{"A", "B", ""}}},
                    PasteCase{"NoTabIsOneField", "whole text", {{"whole text"}}},
                    PasteCase{"EmptyTextIsABlankRow", "", {{}}},
                    PasteCase{"FieldsPastTheColumnsDropped",
                              "1\t2\t3\t4\t5\t6\t7",
                              {{"1", "2", "3", "4", "5"}}},
                    PasteCase{"TrailingCrLfDropped", "a\tb\r\n", {{"a", "b"}}},
                    PasteCase{"TrailingLfDropped", "a\tb\n", {{"a", "b"}}},
                    PasteCase{"TrailingCrDropped", "a\tb\r", {{"a", "b"}}},
                    PasteCase{"OnlyALineEndIsABlankRow", "\r\n", {{}}},
                    PasteCase{"SpreadsheetBlock",
                              "1\t2\r\n3\t4\r\n5\t6\r\n",
                              {{"1", "2"}, {"3", "4"}, {"5", "6"}}},
                    PasteCase{"MixedLineEnds", "a\nb\rc\r\nd", {{"a"}, {"b"}, {"c"}, {"d"}}},
                    PasteCase{"EmptyLineInsideKept", "a\r\n\r\nb\r\n", {{"a"}, {}, {"b"}}},
                    PasteCase{"EightBitBytesKept", "\xe9t\xe9\t\x80", {{"\xe9t\xe9", "\x80"}}}),
    [](const testing::TestParamInfo<PasteCase>& info) { return std::string(info.param.name); });

TEST(RowCommandsTest, PasteRefusesACommaInACellAndNeedsARow) {
    TableDocument document = Document(3);
    PasteResult result = PasteRowsAt(document, 1, "ok\t1,5\r\nnext");
    EXPECT_TRUE(result.comma);
    EXPECT_EQ(result.rows, 0);
    EXPECT_EQ(document.Table().RowCount(), 3);
    EXPECT_FALSE(document.state.modified);

    // A comma in a field past the last column goes with its field.
    result = PasteRowsAt(document, 1, "1\t2\t3\t4\t5\tdropped,too");
    EXPECT_FALSE(result.comma);
    EXPECT_EQ(result.rows, 1);

    document.state.modified = false;
    result = PasteRowsAt(document, -1, "x");
    EXPECT_EQ(result.rows, 0);
    EXPECT_FALSE(document.state.modified);
}

// The view hears of each command once, in one step.
TEST(RowCommandsTest, TheListenerHearsOfEachChangeOnce) {
    struct Recorder : TableListener {
        std::vector<std::string> heard;
        void BeforeRowsInserted(int first, int last) override {
            heard.push_back("insert " + std::to_string(first) + "-" + std::to_string(last));
        }
        void AfterRowsInserted() override { heard.push_back("inserted"); }
        void BeforeRowsRemoved(int first, int last) override {
            heard.push_back("remove " + std::to_string(first) + "-" + std::to_string(last));
        }
        void AfterRowsRemoved() override { heard.push_back("removed"); }
        void CellsChanged(int, int, int, int) override { heard.push_back("cells"); }
        void BeforeReset() override { heard.push_back("reset"); }
        void AfterReset() override { heard.push_back("was reset"); }
    };
    TableDocument document = Document(4);
    Recorder recorder;
    document.SetListener(&recorder);
    PasteRowsAt(document, 2, "a\nb\nc\n");
    DeleteRowAt(document, 0);
    RestoreDeletedRow(document);
    InsertBlankRowAt(document, 1);
    EXPECT_EQ(recorder.heard,
              (std::vector<std::string>{"insert 2-4", "inserted", "remove 0-0", "removed",
                                        "insert 0-0", "inserted", "insert 1-1", "inserted"}));
}

}  // namespace
}  // namespace tavrel
