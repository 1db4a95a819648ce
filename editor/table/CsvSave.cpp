// Writing the grid table back to its file, and the backup copy made before each load.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "CsvFile.h"

namespace tavrel {
namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 20;

class LineWriter {
public:
    explicit LineWriter(AtomicFile& file) : file_(file) { buffer_.reserve(kFlushSize + 4096); }

    void Field(std::string_view text) {
        buffer_.append(text);
        buffer_.push_back(',');
    }
    // Ends the line; writes out the buffer when it is full. False when a write failed.
    bool EndLine() {
        buffer_.append("\r\n", 2);
        return buffer_.size() < kFlushSize || Flush();
    }
    bool Flush() {
        const bool ok = file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

private:
    AtomicFile& file_;
    std::string buffer_;
};

bool WriteTable(const GridTable& table, int columns, int rows, LineWriter& out) {
    for (int c = 0; c < columns; ++c) {
        const std::string& title = table.ColumnTitle(c);
        out.Field(std::string_view(title).substr(0, GridTable::kMaxTitleLength));
    }
    if (!out.EndLine()) return false;
    for (int r = 0; r < rows; ++r) {
        const TableRow& row = table.Row(r);
        for (int c = 0; c < columns; ++c)
            out.Field(row.Cell(c));
        if (!out.EndLine()) return false;
    }
    return out.Flush();
}

}  // namespace

FileStatus SaveCsv(const GridTable& table, const std::string& path, FileOps& ops) {
    const int columns = table.SavedColumnCount();
    const int rows = table.SavedRowCount(columns);
    AtomicFile file(ops, path);
    if (!file.Create()) return FileStatus::Error(FileStatus::CANNOT_OPEN, "Could not open file.");
    LineWriter out(file);
    if (!WriteTable(table, columns, rows, out) || !file.Commit()) {
        return FileStatus::Error(FileStatus::WRITE_FAILED, WriteErrorText(path, file.Error()));
    }
    return FileStatus::Ok();
}

bool BackupTable(const std::string& source, const std::string& backupPath, FileOps& ops) {
    const int in = ops.Open(source.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (in < 0) return false;
    if (!IsPlainFile(in)) {
        ops.Close(in);
        return false;
    }
    AtomicFile out(ops, backupPath);
    bool ok = out.Create();
    std::vector<char> buffer(std::size_t{1} << 20);
    while (ok) {
        const ssize_t n = ops.Read(in, buffer.data(), buffer.size());
        if (n <= 0) {
            ok = n == 0 && out.Commit();
            break;
        }
        ok = out.Write(buffer.data(), static_cast<std::size_t>(n));
    }
    ops.Close(in);
    return ok;
}

}  // namespace tavrel
