// Reading and writing the game's CSV tables: one line a row, the first line the column titles,
// fields separated by commas with no quoting, every field written followed by a comma, CR LF.
#pragma once

#include <cstdint>
#include <string>

#include "FileLayer.h"
#include "GridTable.h"
#include "Status.h"
#include "TextMeasure.h"

namespace tavrel {

using base::FileLayer;
using base::Status;

// What a load gives: the table with its blank margin, and the counts the editor keeps.
struct LoadedTable {
    GridTable table;
    int columnCount = 0;     // header fields plus the margin columns
    int loadedRowCount = 0;  // data lines read (lines minus the header)
    // Non-empty fields that lay past the header's columns, and the lines that held them: no
    // cell holds them, so the next save leaves them out.
    std::uint64_t droppedFields = 0;
    std::uint64_t droppedLines = 0;
};

// Columns start this wide and are only ever narrowed to fit their widest text.
constexpr int kDefaultColumnWidth = 110;
// Blank columns and rows added after the table, for typing new data beside and below it.
constexpr int kMarginColumns = 10;
constexpr int kMarginRows = 10;

// Reads the table at `path` (used as given). On success `out` is replaced; on any failure it is
// left as it was and the status carries the user's text: the path itself when the file cannot be
// opened, the read error text when a read fails part-way.
Status LoadCsv(const std::string& path, const TextMeasure& measure, LoadedTable& out,
               FileLayer& files = FileLayer::System());

// Writes the used extent of the table to `path` through a temporary file that replaces the old
// file only when complete and synced (`durable`). On failure the old file is unchanged; a file
// that cannot be opened for writing (a read-only table included) gives "Could not open file.".
Status SaveCsv(const GridTable& table, const std::string& path,
               FileLayer& files = FileLayer::System(), bool durable = true);

// Copies the table file at `source` over `backupPath`, the editor's one backup of the file as it
// was when last opened. A missing source gives no copy; the outcome only matters to tests.
bool BackupTable(const std::string& source, const std::string& backupPath,
                 FileLayer& files = FileLayer::System());

}  // namespace tavrel
