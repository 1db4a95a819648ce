#include "UnitLocations.h"

#include "LineReader.h"
#include "TakeField.h"

namespace tavrel {
namespace {

// Puts the line's first four fields into the location columns of `row`.
void SetLocations(GridTable& table, int row, std::string_view line) {
    for (int j = 0; j < kLocationFields; ++j)
        table.SetCell(row, kFirstLocationColumn + j, TakeField(line, ','));
}

// Reads the lines after the header into rows 0, 1, ...; returns the rows changed.
int ReadLocations(LineReader& reader, GridTable& table, int rowLimit) {
    std::string_view line;
    if (!reader.Next(line)) return 0;  // the header, whatever it holds
    int row = 0;
    while (reader.Next(line)) {
        if (line.empty()) continue;
        SetLocations(table, row, line);
        if (++row >= rowLimit) break;
    }
    return row;
}

}  // namespace

base::Status ImportUnitLocations(TableDocument& document, const std::string& path,
                                 base::FileLayer& files) {
    int fd = path.empty() ? -1 : files.Open(path, base::kRead | base::kPlainFile);
    if (fd < 0) return base::Status::Error(base::Status::CANNOT_OPEN, "Error opening file.");
    LineReader reader(files, fd);
    const int rows = ReadLocations(reader, document.CellsToChange(), document.state.loadedRowCount);
    base::CloseQuietly(files, fd);
    document.state.modified = true;
    document.CellsChanged(0, rows - 1, kFirstLocationColumn,
                          kFirstLocationColumn + kLocationFields - 1);
    if (reader.Failed()) {
        return base::Status::Error(
            base::Status::READ_FAILED,
            base::Format("An unknown error occurred while accessing %1.", path));
    }
    return base::Status::Ok();
}

}  // namespace tavrel
