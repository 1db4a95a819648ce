// Reading game tables: bytes in, columns, cells, counts and column widths out.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <string>
#include <vector>

#include "CsvFile.h"
#include "LineReader.h"
#include "TestFiles.h"

namespace tavrel {
namespace {

namespace test = base::test;

using Rows = std::vector<std::vector<std::string>>;

struct LoadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> titles;
    Rows rows;  // the data rows; a row lists its cells up to the last one that matters
};

const TextMeasure kTenPixels = TextMeasure::Uniform(10);

LoadedTable Load(const test::TempDir& dir, const std::string& bytes) {
    const std::string path = dir.File("table.csv");
    test::WriteFile(path, bytes);
    LoadedTable loaded;
    const Status status = LoadCsv(path, kTenPixels, loaded);
    EXPECT_TRUE(status.ok()) << status.message;
    return loaded;
}

class LoadCases : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadCases, GivesTheColumnsAndCells) {
    const LoadCase& c = GetParam();
    test::TempDir dir;
    const LoadedTable loaded = Load(dir, c.bytes);
    const GridTable& table = loaded.table;
    const int titles = static_cast<int>(c.titles.size());
    const int rows = static_cast<int>(c.rows.size());

    ASSERT_EQ(loaded.columnCount, titles + kMarginColumns);
    ASSERT_EQ(table.ColumnCount(), titles + kMarginColumns);
    ASSERT_EQ(loaded.loadedRowCount, rows);
    ASSERT_EQ(table.RowCount(), rows + kMarginRows);
    for (int i = 0; i < table.ColumnCount(); ++i) {
        EXPECT_EQ(table.ColumnTitle(i), i < titles ? c.titles[i] : "") << "title " << i;
    }
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int col = 0; col < table.ColumnCount(); ++col) {
            std::string expected;
            if (r < rows && col < static_cast<int>(c.rows[r].size())) expected = c.rows[r][col];
            EXPECT_EQ(table.Cell(r, col), expected) << "cell " << r << "," << col;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Csv, LoadCases,
    testing::Values(
        LoadCase{"TrailingComma", "A,B,\r\n1,2,\r\n", {"A", "B"}, {{"1", "2"}}},
        LoadCase{"NoTrailingComma", "A,B\r\n1,2\r\n", {"A", "B"}, {{"1", "2"}}},
        LoadCase{"EmptyFieldInside", "A,B,C\r\n1,,3\r\n", {"A", "B", "C"}, {{"1", "", "3"}}},
        LoadCase{"TwoCommasAtEnd", "a,,\r\n", {"a", ""}, {}},
        LoadCase{"OnlyCommas", ",,,\r\n,,,\r\n", {"", "", ""}, {{}}},
        LoadCase{"QuotesArePlain", "A,B\r\n\"x,y\"\r\n", {"A", "B"}, {{"\"x", "y\""}}},
        LoadCase{"SpacesKept", " A , B \r\n 1 ,\r\n", {" A ", " B "}, {{" 1 "}}},
        LoadCase{
            "FieldsPastHeaderDropped", "A,B,C\r\n1,2,3,4\r\n", {"A", "B", "C"}, {{"1", "2", "3"}}},
        LoadCase{"ShortRow", "A,B,C\r\n1\r\n", {"A", "B", "C"}, {{"1"}}},
        LoadCase{"EmptyLines", "A,\r\n1,\r\n\r\n2,\r\n\r\n\r\n", {"A"}, {{"1"}, {}, {"2"}, {}, {}}},
        LoadCase{"EmptyFile", "", {}, {}}, LoadCase{"HeaderOnly", "A,B,\r\n", {"A", "B"}, {}},
        LoadCase{"LfOnly", "A,B\n1,2\n3,4\n", {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        LoadCase{"LoneCrIsData", "A,B\r\n1\r2,3\r\n", {"A", "B"}, {{"1\r2", "3"}}},
        LoadCase{"OneCrBelongsToLineEnd", "A\r\r\n", {"A\r"}, {}},
        LoadCase{"CrAtEndOfData", "A,\r\n1\r", {"A"}, {{"1\r"}}},
        LoadCase{"NoFinalLineEnd", "A,B\r\n1,2", {"A", "B"}, {{"1", "2"}}},
        LoadCase{"EightBitBytes",
                 "N\xe9,\xff\r\n\x80\x9d,\x81\r\n",
                 {"N\xe9", "\xff"},
                 {{"\x80\x9d", "\x81"}}},
        LoadCase{"NulByteKept", std::string("A\0B,C\r\n", 7), {std::string("A\0B", 3), "C"}, {}},
        LoadCase{"EmptyHeaderDropsData", "\r\n1,2,\r\n", {}, {{}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(CsvLoadTest, ColumnWidthsNarrowToTheirWidestText) {
    test::TempDir dir;
    // Every byte is 10 pixels wide: a column ends at the smaller of 110 and ceil(1.4 w).
    const LoadedTable loaded = Load(dir,
                                    "Name,B,,Long title,\r\n"
                                    "Rifle,12,,x,\r\n"
                                    "Tank,1234567,,y,past,the header\r\n");
    const GridTable& table = loaded.table;
    EXPECT_EQ(table.ColumnWidth(0), 70);   // "Rifle": 50 px
    EXPECT_EQ(table.ColumnWidth(1), 98);   // "1234567": 70 px
    EXPECT_EQ(table.ColumnWidth(2), 0);    // title and cells all empty
    EXPECT_EQ(table.ColumnWidth(3), 110);  // "Long title": 100 px, 140 is wider than the start
    EXPECT_EQ(table.ColumnWidth(4), 56);   // margin column with a dropped field "past"
    EXPECT_EQ(table.ColumnWidth(5), 110);  // "the header" is 100 px
    EXPECT_EQ(table.ColumnWidth(6), 110);  // margin column nothing was read into
    EXPECT_EQ(table.Cell(1, 4), "");       // the dropped fields are not cells
}

// A field with more bytes but narrower letters than the widest so far leaves the width alone.
TEST(CsvLoadTest, ANarrowerLongerFieldKeepsTheWidestWidth) {
    TextMeasure measure = TextMeasure::Uniform(2);
    measure.advance['W'] = 12;
    test::TempDir dir;
    const std::string path = dir.File("w.csv");
    test::WriteFile(path, "WWW,\r\niiiiiiii,\r\nWW,\r\n");
    LoadedTable loaded;
    ASSERT_TRUE(LoadCsv(path, measure, loaded).ok());
    EXPECT_EQ(loaded.table.ColumnWidth(0), 51);  // ceil(1.4 * 36)
}

TEST(CsvLoadTest, WidthsAtTheEdgeOfTheStartWidth) {
    struct Case {
        std::uint16_t advance;
        int expected;
    };
    // One-byte header, so the width list entry is the advance itself.
    const Case cases[] = {{0, 0}, {1, 2}, {5, 7}, {10, 14}, {78, 110}, {79, 110}, {200, 110}};
    test::TempDir dir;
    const std::string path = dir.File("w.csv");
    test::WriteFile(path, "x,\r\n");
    for (const Case& c : cases) {
        LoadedTable loaded;
        ASSERT_TRUE(LoadCsv(path, TextMeasure::Uniform(c.advance), loaded).ok());
        EXPECT_EQ(loaded.table.ColumnWidth(0), c.expected) << "advance " << c.advance;
    }
}

TEST(CsvLoadTest, LinesAcrossReadChunksAndLongerThanTheBuffer) {
    test::TempDir dir;
    const std::string longLine(100000, 'q');
    const std::string bytes = "A,B\r\n" + longLine + ",x\r\n" + "a\r\r\nb\r\n\r\nlast";
    const std::string path = dir.File("chunks.csv");
    test::WriteFile(path, bytes);
    // Read with tiny chunks so that every line end, and a CR right before a chunk edge, is split.
    for (std::size_t chunk : {1, 2, 3, 7, 64}) {
        const int fd = base::FileLayer::System().Open(path, base::kRead);
        ASSERT_GE(fd, 0);
        LineReader reader(base::FileLayer::System(), fd, chunk);
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
        base::FileLayer::System().Close(fd);
        EXPECT_FALSE(reader.Failed());
        EXPECT_EQ(lines, (std::vector<std::string>{"A,B", longLine + ",x", "a\r", "b", "", "last"}))
            << "chunk " << chunk;
    }
}

// Fails every read after the first `goodReads`.
class FailingReads : public base::FileLayer {
public:
    explicit FailingReads(int goodReads) : goodReads_(goodReads) {}
    std::int64_t Read(int fd, void* buffer, std::size_t size) override {
        if (goodReads_-- <= 0) {
            errno = EIO;
            return -1;
        }
        return FileLayer::Read(fd, buffer, size < 8 ? size : 8);
    }

private:
    int goodReads_;
};

TEST(CsvLoadTest, AReadErrorLeavesTheTableAsItWas) {
    test::TempDir dir;
    LoadedTable loaded = Load(dir, "Old,\r\nkeep,\r\n");
    const std::string path = dir.File("new.csv");
    test::WriteFile(path, "New,Columns,\r\n1,2,\r\n3,4,\r\n5,6,\r\n");
    FailingReads ops(2);
    const Status status = LoadCsv(path, kTenPixels, loaded, ops);
    EXPECT_EQ(status.kind, Status::READ_FAILED);
    EXPECT_EQ(status.message, "An unknown error occurred while accessing " + path + ".");
    EXPECT_EQ(loaded.table.ColumnTitle(0), "Old");
    EXPECT_EQ(loaded.table.Cell(0, 0), "keep");
    EXPECT_EQ(loaded.loadedRowCount, 1);
    EXPECT_EQ(loaded.columnCount, 11);
}

TEST(CsvLoadTest, AFileThatCannotBeOpenedIsReportedByItsPath) {
    test::TempDir dir;
    LoadedTable loaded = Load(dir, "Old,\r\n");
    for (const std::string& path : {dir.File("missing.csv"), dir.Path().string(), std::string()}) {
        const Status status = LoadCsv(path, kTenPixels, loaded);
        EXPECT_EQ(status.kind, Status::CANNOT_OPEN) << path;
        EXPECT_EQ(status.message, path);
    }
    EXPECT_EQ(loaded.table.ColumnTitle(0), "Old");
}

TEST(CsvLoadTest, FieldsPastTheHeaderAreCountedWithTheirLines) {
    struct Case {
        const char* name;
        std::string bytes;
        std::uint64_t fields, lines;
    };
    const Case cases[] = {
        {"None", "A,B,\r\n1,2,\r\n1,\r\n", 0, 0},
        {"OnTwoLines", "A,B\r\n1,2,3,4\r\n5\r\n6,7,8,\r\n", 3, 2},
        {"EmptyOnesLoseNothing", "A,B\r\n1,2,,,\r\n", 0, 0},
        {"EmptyAmongThem", "A\r\n1,,x,\r\n", 1, 1},
        {"NoHeaderFields", "\r\n1,2\r\n", 2, 1},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const LoadedTable loaded = Load(dir, c.bytes);
        EXPECT_EQ(loaded.droppedFields, c.fields) << c.name;
        EXPECT_EQ(loaded.droppedLines, c.lines) << c.name;
    }
}

// A header of a million empty fields: one column each, kept in a few bytes a column.
TEST(CsvLoadTest, AVeryWideHeaderGivesAColumnAField) {
    test::TempDir dir;
    const LoadedTable loaded =
        Load(dir, std::string(1000000, ',') + "T\r\n" + std::string(999999, ',') + "x,y\r\n");
    const GridTable& table = loaded.table;
    ASSERT_EQ(table.ColumnCount(), 1000001 + kMarginColumns);
    EXPECT_EQ(table.ColumnTitle(1000000), "T");
    EXPECT_EQ(table.ColumnTitle(5), "");
    EXPECT_EQ(table.Cell(0, 999999), "x");
    EXPECT_EQ(table.Cell(0, 1000000), "y");
    EXPECT_EQ(table.ColumnWidth(5), 0);
    EXPECT_EQ(table.ColumnWidth(1000000), 14);
    EXPECT_EQ(table.SavedColumnCount(), 1000001);
}

#ifndef _WIN32
TEST(CsvLoadTest, APipeIsRefusedWithoutHanging) {
    test::TempDir dir;
    const std::string path = dir.File("fifo.csv");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    LoadedTable loaded;
    EXPECT_EQ(LoadCsv(path, kTenPixels, loaded).kind, Status::CANNOT_OPEN);
    EXPECT_FALSE(BackupTable(path, dir.File("tavrel.bak")));
}
#endif

}  // namespace
}  // namespace tavrel
