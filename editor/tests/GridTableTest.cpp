// The grid table's cell, row and column operations and the extent a save writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridTable.h"
#include "TakeField.h"

namespace tavrel {
namespace {

std::vector<std::string> RowTexts(const GridTable& table, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < table.ColumnCount(); ++c)
        cells.emplace_back(table.Cell(row, c));
    return cells;
}

GridTable ThreeByThree() {
    GridTable table;
    for (int c = 0; c < 3; ++c)
        table.InsertColumn(c, "T" + std::to_string(c), 110);
    for (int r = 0; r < 3; ++r) {
        table.InsertRow(r);
        for (int c = 0; c < 3; ++c)
            table.SetCell(r, c, std::to_string(r) + std::to_string(c));
    }
    return table;
}

TEST(TakeFieldTest, CutsFieldsAsTheGameWritesThem) {
    struct Case {
        const char* line;
        char separator;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"a,b,", ',', {"a", "b"}},        {"a,b", ',', {"a", "b"}},
        {"a,,b", ',', {"a", "", "b"}},    {"a,,", ',', {"a", ""}},
        {",,,", ',', {"", "", ""}},       {",", ',', {""}},
        {"\"x,y\"", ',', {"\"x", "y\""}}, {" a , b ", ',', {" a ", " b "}},
        {"a\tb,c\t", '\t', {"a", "b,c"}}, {"", ',', {}},
    };
    for (const Case& c : cases) {
        std::string_view line = c.line;
        std::vector<std::string> fields;
        while (!line.empty())
            fields.emplace_back(TakeField(line, c.separator));
        EXPECT_EQ(fields, c.fields) << "line: " << c.line;
    }
}

TEST(GridTableTest, CellsOfMissingRowsAndColumnsAreEmptyAndNotStored) {
    GridTable table = ThreeByThree();
    table.SetCell(3, 0, "x");
    table.SetCell(0, 3, "x");
    table.SetCell(-1, 0, "x");
    table.SetCell(0, -1, "x");
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.Cell(3, 0), "");
    EXPECT_EQ(table.Cell(0, 3), "");
    EXPECT_EQ(table.Cell(-1, -1), "");
}

TEST(GridTableTest, RowsInsertAndDeleteInPlace) {
    GridTable table = ThreeByThree();
    table.InsertRow(1);
    EXPECT_EQ(RowTexts(table, 1), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(RowTexts(table, 2), (std::vector<std::string>{"10", "11", "12"}));
    table.InsertRow(99);  // past the end appends
    EXPECT_EQ(table.RowCount(), 5);
    table.DeleteRow(0);
    EXPECT_EQ(RowTexts(table, 0), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(RowTexts(table, 2), (std::vector<std::string>{"20", "21", "22"}));
    table.DeleteRow(7);  // out of range: nothing
    EXPECT_EQ(table.RowCount(), 4);
    table.DeleteAllRows();
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.ColumnCount(), 3);
}

TEST(GridTableTest, ColumnsInsertAndDeleteMoveTheCells) {
    GridTable table = ThreeByThree();
    table.InsertColumn(1, "New", 50);
    EXPECT_EQ(table.ColumnTitle(1), "New");
    EXPECT_EQ(table.ColumnWidth(1), 50);
    EXPECT_EQ(RowTexts(table, 2), (std::vector<std::string>{"20", "", "21", "22"}));
    table.DeleteColumn(0);
    EXPECT_EQ(table.ColumnTitle(0), "New");
    EXPECT_EQ(RowTexts(table, 0), (std::vector<std::string>{"", "01", "02"}));
    while (table.ColumnExists(0))
        table.DeleteColumn(0);
    EXPECT_EQ(table.ColumnCount(), 0);
    EXPECT_EQ(table.Cell(0, 0), "");
}

TEST(GridTableTest, CellsKeepEveryByteAndAnyLength) {
    GridTable table = ThreeByThree();
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::string longText(70000, 'L');  // past the 16-bit offsets of short rows
    table.SetCell(0, 1, bytes);
    table.SetCell(1, 0, longText);
    table.SetCell(1, 2, "after");
    EXPECT_EQ(table.Cell(0, 0), "00");
    EXPECT_EQ(table.Cell(0, 1), bytes);
    EXPECT_EQ(table.Cell(0, 2), "02");
    EXPECT_EQ(table.Cell(1, 0), longText);
    EXPECT_EQ(table.Cell(1, 1), "11");
    EXPECT_EQ(table.Cell(1, 2), "after");
    table.SetCell(1, 0, "short again");
    EXPECT_EQ(RowTexts(table, 1), (std::vector<std::string>{"short again", "11", "after"}));
}

TEST(GridTableTest, SettingACellFromAnotherCellOfItsRow) {
    GridTable table = ThreeByThree();
    table.SetCell(0, 0, table.Cell(0, 2));
    EXPECT_EQ(RowTexts(table, 0), (std::vector<std::string>{"02", "01", "02"}));
}

TEST(GridTableTest, SavedExtentFindsTheLastUsedColumnAndRow) {
    GridTable table;
    EXPECT_EQ(table.SavedColumnCount(), -1);
    for (int c = 0; c < 6; ++c)
        table.InsertColumn(c, "", 110);
    for (int r = 0; r < 6; ++r)
        table.InsertRow(r);
    EXPECT_EQ(table.SavedColumnCount(), -1);
    EXPECT_EQ(table.SavedRowCount(-1), -1);

    table.SetCell(2, 3, "x");
    EXPECT_EQ(table.SavedColumnCount(), 4);
    EXPECT_EQ(table.SavedRowCount(4), 3);
    EXPECT_EQ(table.SavedRowCount(3), -1);  // nothing in the columns left of it

    table.SetCell(4, 0, "y");
    EXPECT_EQ(table.SavedRowCount(1), 5);
    table.SetCell(4, 0, "");  // emptied again: no longer used
    EXPECT_EQ(table.SavedRowCount(4), 3);

    table.InsertColumn(6, "Title", 110);  // a title alone makes a column saved
    EXPECT_EQ(table.SavedColumnCount(), 7);
    table.SetCell(2, 3, "");
    EXPECT_EQ(table.SavedColumnCount(), 7);
    EXPECT_EQ(table.SavedRowCount(7), -1);
}

}  // namespace
}  // namespace tavrel
