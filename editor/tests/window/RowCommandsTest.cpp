// The row commands in the window: which row they act on, the selection after them, the open
// edit, and the clipboard.
#include <QItemSelectionModel>
#include <QSignalSpy>

#include "EditorFixture.h"
#include "QtCp1252.h"

namespace tavrel::test {
namespace {

// Three columns and six data rows (with the margin, 13 columns and 16 rows).
const std::string kTable =
    "A,B,C,\r\n"
    "0a,0b,0c,\r\n"
    "1a,1b,1c,\r\n"
    "2a,2b,2c,\r\n"
    "3a,3b,3c,\r\n"
    "4a,4b,4c,\r\n"
    "5a,5b,5c,\r\n";
constexpr int kRows = 16;

class RowsTest : public EditorFixture {
protected:
    void SetUp() override {
        Open(Table("t.csv", kTable));
        window->resize(900, 600);
    }
    // Selects exactly these rows, with no edit open.
    void Select(std::initializer_list<int> rows) {
        window->SetRowSelected(-1, false);
        for (const int row : rows)
            window->SetRowSelected(row, true);
    }
    std::vector<int> SelectedRows() const {
        std::vector<int> rows;
        for (int r = 0; r < window->Table().RowCount(); ++r) {
            if (window->Grid().selectionModel()->isRowSelected(r)) rows.push_back(r);
        }
        return rows;
    }
    std::string Column0() const {
        std::string column;
        for (int r = 0; r < 7; ++r)
            column += Cell(r, 0) + "|";
        return column;
    }
};

struct RowCase {
    const char* name;
    int command;
    std::vector<int> selectedBefore;
    const char* column0After;  // column 0 of rows 0 to 6
    std::vector<int> selectedAfter;
    bool modified;
};

class RowCommandCases : public RowsTest, public testing::WithParamInterface<RowCase> {};

TEST_P(RowCommandCases, ActOnTheFirstSelectedRow) {
    const RowCase& c = GetParam();
    platform.clipboard = "p\tq\t";
    window->SetRowSelected(-1, false);
    for (const int row : c.selectedBefore)
        window->SetRowSelected(row, true);
    window->OnCommand(c.command);
    EXPECT_EQ(Column0(), c.column0After);
    EXPECT_EQ(SelectedRows(), c.selectedAfter);
    EXPECT_EQ(window->State().modified, c.modified);
    EXPECT_TRUE(platform.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowCommandCases,
    testing::Values(
        RowCase{
            "InsertSelectsTheBlankRow", ID_INSERT_ROW, {2, 4}, "0a|1a||2a|3a|4a|5a|", {2, 5}, true},
        RowCase{"InsertAtTheTop", ID_INSERT_ROW, {0}, "|0a|1a|2a|3a|4a|5a|", {0}, true},
        RowCase{"DeleteSelectsTheRowMovedUp", ID_DELETE_ROW, {1}, "0a|2a|3a|4a|5a|||", {1}, true},
        RowCase{"DeleteTheLastRowSelectsNone",
                ID_DELETE_ROW,
                {kRows - 1},
                "0a|1a|2a|3a|4a|5a||",
                {},
                true},
        RowCase{"PasteAboveAndSelectIt", ID_PASTE_ROW, {3}, "0a|1a|2a|p|3a|4a|5a|", {3}, true},
        RowCase{"CutRemovesTheRow", ID_CUT_ROW, {0, 5}, "1a|2a|3a|4a|5a|||", {0, 4}, true},
        RowCase{"CopyChangesNothing", ID_COPY_ROW, {2}, "0a|1a|2a|3a|4a|5a||", {2}, false},
        RowCase{"NoRowNoInsert", ID_INSERT_ROW, {}, "0a|1a|2a|3a|4a|5a||", {}, false},
        RowCase{"NoRowNoDelete", ID_DELETE_ROW, {}, "0a|1a|2a|3a|4a|5a||", {}, false},
        RowCase{"NoRowNoPaste", ID_PASTE_ROW, {}, "0a|1a|2a|3a|4a|5a||", {}, false},
        RowCase{"NoRowNoCut", ID_CUT_ROW, {}, "0a|1a|2a|3a|4a|5a||", {}, false},
        RowCase{
            "UndoWithEmptyHistory", ID_UNDO_DELETE_ROW, {1}, "0a|1a|2a|3a|4a|5a||", {1}, false}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST_F(RowsTest, UndoPutsTheRowBackSelectedWithoutARowSelected) {
    Select({5});
    window->OnCommand(ID_DELETE_ROW);
    Select({3});
    window->OnCommand(ID_DELETE_ROW);
    Select({});
    window->OnCommand(ID_UNDO_DELETE_ROW);  // the row deleted from 3 first
    EXPECT_EQ(Column0(), "0a|1a|2a|3a|4a|||");
    EXPECT_EQ(SelectedRows(), std::vector<int>{3});
    Select({0, 1});
    window->OnCommand(ID_UNDO_DELETE_ROW);
    EXPECT_EQ(Column0(), "0a|1a|2a|3a|4a|5a||");
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 5})) << "row 0 deselected, row 1 kept";
    EXPECT_TRUE(window->Document().deletedRowIndexes.empty());
}

TEST_F(RowsTest, CopyRowPutsTabEndedFieldsOnTheClipboardAndLeavesTheEditOpen) {
    ClickCell(2, 1);
    GridKey(Qt::Key_Z);  // typed, not stored
    window->Grid().setFocus();
    GridKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform.clipboard, "2a\t2b\t2c\t");
    EXPECT_TRUE(window->EditOpen());
    EXPECT_EQ(EditorText(), "z");
    EXPECT_FALSE(window->State().modified);

    Open(Table("e.csv", "N,\r\n\xe9t\xe9 \x80,\r\n"));
    Select({0});
    window->OnCommand(ID_COPY_ROW);
    EXPECT_EQ(platform.clipboard, QString::fromUtf8("\u00e9t\u00e9 \u20ac\t"));
}

TEST_F(RowsTest, CommandsStoreAnOpenEditFirst) {
    ClickCell(4, 1);
    GridKey(Qt::Key_Q);
    Select({1});  // the selected row, not the edited one, is acted on
    window->OnCommand(ID_DELETE_ROW);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(3, 1), "q");
    EXPECT_EQ(Cell(1, 0), "2a");
}

TEST_F(RowsTest, CutThenPastePutsTheRowBackAndUndoAddsASecondCopy) {
    Select({2});
    window->OnCommand(ID_CUT_ROW);
    window->OnCommand(ID_PASTE_ROW);
    EXPECT_EQ(Column0(), "0a|1a|2a|3a|4a|5a||");
    EXPECT_EQ(Cell(2, 2), "2c");
    window->OnCommand(ID_UNDO_DELETE_ROW);
    EXPECT_EQ(Column0(), "0a|1a|2a|2a|3a|4a|5a|");
}

TEST_F(RowsTest, ASpreadsheetBlockPastesAsRowsInOneStep) {
    QSignalSpy inserted(window->Grid().model(), &QAbstractItemModel::rowsInserted);
    platform.clipboard = "x1\ty1\r\nx2\ty2\r\nx3\r\n";
    Select({1});
    window->OnCommand(ID_PASTE_ROW);
    EXPECT_EQ(Column0(), "0a|x1|x2|x3|1a|2a|3a|");
    EXPECT_EQ(Cell(2, 1), "y2");
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(window->FirstSelectedRow(), 1);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_TRUE(window->State().modified);
}

TEST_F(RowsTest, WhatTheClipboardHoldsDecidesThePaste) {
    struct Case {
        const char* name;
        QString clipboard;
        const char* column0After;
        bool modified;
        QString note;
    };
    const Case cases[] = {
        {"NoText", QString(), "0a|1a|2a|3a|4a|5a||", false, ""},
        {"EmptyTextIsABlankRow", QString(""), "0a||1a|2a|3a|4a|5a|", true, ""},
        {"ACommaIsRefused", "1,5\t2\r\n", "0a|1a|2a|3a|4a|5a||", false,
         "A cell cannot hold a comma: nothing was pasted."},
        {"OutsideTheCodePageIsAQuestionMark", QString::fromUtf8("\u2603\t\u00e9"),
         "0a|?|1a|2a|3a|4a|5a|", true, ""},
    };
    for (const Case& c : cases) {
        Open(Table("t.csv", kTable));
        platform.clipboard = c.clipboard;
        Select({1});
        window->OnCommand(ID_PASTE_ROW);
        EXPECT_EQ(Column0(), c.column0After) << c.name;
        EXPECT_EQ(window->State().modified, c.modified) << c.name;
        EXPECT_EQ(window->LastNote(), c.note) << c.name;
        EXPECT_EQ(SelectedRows(), std::vector<int>{1}) << c.name;
    }
}

// Deleting and taking back a row at the top of a big table is one model change each.
TEST_F(RowsTest, RowCommandsMoveTheViewOnce) {
    QSignalSpy removed(window->Grid().model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(window->Grid().model(), &QAbstractItemModel::modelReset);
    Select({0});
    window->OnCommand(ID_DELETE_ROW);
    window->OnCommand(ID_UNDO_DELETE_ROW);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
}

}  // namespace
}  // namespace tavrel::test
