// Copying unit placements from a unitlocs.csv into the units table.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "FaultyFiles.h"
#include "TestFiles.h"
#include "UnitLocations.h"

namespace tavrel {
namespace {

namespace test = base::test;

// A units table of `rows` rows and `columns` columns, cell (r, c) holding "r.c".
TableDocument Units(int rows, int columns = 14) {
    TableDocument document;
    document.Reset([&](GridTable& t) {
        for (int c = 0; c < columns; ++c)
            t.InsertColumn(c, "T" + std::to_string(c), 110);
        for (int r = 0; r < rows; ++r) {
            t.InsertRow(r);
            for (int c = 0; c < columns; ++c)
                t.SetCell(r, c, std::to_string(r) + "." + std::to_string(c));
        }
    });
    document.state.loadedRowCount = rows;
    return document;
}

std::string Locations(int lines, int from = 0) {
    std::string text = "dir,x,y,z,\r\n";
    for (int i = from; i < from + lines; ++i) {
        const std::string n = std::to_string(i);
        text += "d" + n + ",x" + n + ",y" + n + ",z" + n + ",extra,\r\n";
    }
    return text;
}

class UnitLocationsTest : public testing::Test {
protected:
    std::string File(const std::string& bytes) {
        const std::string path = dir.File("unitlocs.csv");
        test::WriteFile(path, bytes);
        return path;
    }
    test::TempDir dir;
};

TEST_F(UnitLocationsTest, FillsTheDirAndLocColumnsRowByRowUpToTheLoadedRows) {
    struct Case {
        const char* name;
        int sourceLines;
        int changedRows;
    };
    const Case cases[] = {{"MoreLinesThanRows", 60, 50}, {"FewerLines", 30, 30}};
    for (const Case& c : cases) {
        TableDocument units = Units(50 + 10);  // ten blank margin rows below
        units.state.loadedRowCount = 50;
        ASSERT_TRUE(ImportUnitLocations(units, File(Locations(c.sourceLines))).ok());
        EXPECT_TRUE(units.state.modified);
        for (int r = 0; r < 60; ++r) {
            const std::string n = std::to_string(r);
            const bool changed = r < c.changedRows;
            EXPECT_EQ(units.Table().Cell(r, 9), changed ? "d" + n : n + ".9") << c.name << r;
            EXPECT_EQ(units.Table().Cell(r, 12), changed ? "z" + n : n + ".12") << c.name << r;
            EXPECT_EQ(units.Table().Cell(r, 8), n + ".8");
            EXPECT_EQ(units.Table().Cell(r, 13), n + ".13") << "the extra field goes nowhere";
        }
    }
}

TEST_F(UnitLocationsTest, EmptyLinesAreSkippedAndShortLinesEmptyTheRest) {
    TableDocument units = Units(4);
    ASSERT_TRUE(ImportUnitLocations(units, File("h\r\n\r\na,b\r\n\r\n\r\nc,d,e,f\n1")).ok());
    EXPECT_EQ(units.Table().Cell(0, 9), "a");
    EXPECT_EQ(units.Table().Cell(0, 10), "b");
    EXPECT_EQ(units.Table().Cell(0, 11), "");
    EXPECT_EQ(units.Table().Cell(0, 12), "");
    EXPECT_EQ(units.Table().Cell(1, 9), "c");
    EXPECT_EQ(units.Table().Cell(1, 12), "f");
    EXPECT_EQ(units.Table().Cell(2, 9), "1");
    EXPECT_EQ(units.Table().Cell(2, 10), "");
    EXPECT_EQ(units.Table().Cell(3, 9), "3.9");
}

TEST_F(UnitLocationsTest, AHeaderOnlyTableStillTakesOneLine) {
    TableDocument units = Units(10);
    units.state.loadedRowCount = 0;
    ASSERT_TRUE(ImportUnitLocations(units, File(Locations(5))).ok());
    EXPECT_EQ(units.Table().Cell(0, 9), "d0");
    EXPECT_EQ(units.Table().Cell(1, 9), "1.9");
}

TEST_F(UnitLocationsTest, MissingColumnsAndRowsAreNotStored) {
    TableDocument narrow = Units(3, 5);
    ASSERT_TRUE(ImportUnitLocations(narrow, File(Locations(3))).ok());
    EXPECT_EQ(narrow.Table().ColumnCount(), 5);
    EXPECT_TRUE(narrow.state.modified) << "set even when no cell changed";

    TableDocument empty;
    ASSERT_TRUE(ImportUnitLocations(empty, File(Locations(3))).ok());
    EXPECT_EQ(empty.Table().RowCount(), 0);
}

TEST_F(UnitLocationsTest, AFileThatCannotBeOpenedChangesNothing) {
    TableDocument units = Units(3);
    for (const std::string& path : {dir.File("missing.csv"), dir.Path().string(), std::string()}) {
        const base::Status status = ImportUnitLocations(units, path);
        EXPECT_EQ(status.kind, base::Status::CANNOT_OPEN) << path;
        EXPECT_EQ(status.message, "Error opening file.");
    }
    EXPECT_FALSE(units.state.modified);
    EXPECT_EQ(units.Table().Cell(0, 9), "0.9");
}

TEST_F(UnitLocationsTest, AReadErrorEndsTheImportAndKeepsTheRowsBefore) {
    TableDocument units = Units(10);
    const std::string path = File(Locations(3));
    test::FaultyFiles files;
    files.FailNth(test::FileCall::READ, 2, EIO);  // the first read gives the whole file
    const base::Status status = ImportUnitLocations(units, path, files);
    EXPECT_EQ(status.kind, base::Status::READ_FAILED);
    EXPECT_EQ(status.message, "An unknown error occurred while accessing " + path + ".");
    EXPECT_TRUE(units.state.modified);
    EXPECT_EQ(units.Table().Cell(0, 9), "d0");
    EXPECT_EQ(units.Table().Cell(1, 9), "d1");
    EXPECT_EQ(files.Count(test::FileCall::CLOSE), 1u);
}

}  // namespace
}  // namespace tavrel
