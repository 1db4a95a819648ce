// Writing the grid table back to its file, and the backup copy made before each load.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "CsvFile.h"

namespace tavrel {
namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 20;

class LineWriter {
public:
    explicit LineWriter(base::AtomicFile& file) : file_(file) {
        buffer_.reserve(kFlushSize + 4096);
    }

    // A field as long as the buffer goes out as it is, so that a huge cell is not copied again.
    void Field(std::string_view text) {
        if (text.size() >= kFlushSize) {
            ok_ = Flush() && file_.Write(text.data(), text.size()) && ok_;
        } else {
            buffer_.append(text);
        }
        buffer_.push_back(',');
    }
    // Ends the line; writes out the buffer when it is full. False when a write failed.
    bool EndLine() {
        buffer_.append("\r\n", 2);
        return (buffer_.size() < kFlushSize || Flush()) && ok_;
    }
    bool Flush() {
        ok_ = file_.Write(buffer_.data(), buffer_.size()) && ok_;
        buffer_.clear();
        return ok_;
    }

private:
    base::AtomicFile& file_;
    std::string buffer_;
    bool ok_ = true;  // no write has failed
};

bool WriteTable(const GridTable& table, int columns, int rows, LineWriter& out) {
    for (int c = 0; c < columns; ++c) {
        out.Field(table.ColumnTitle(c).substr(0, GridTable::kMaxTitleLength));
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

Status SaveCsv(const GridTable& table, const std::string& path, FileLayer& files, bool durable) {
    const int columns = table.SavedColumnCount();
    const int rows = table.SavedRowCount(columns);
    base::AtomicFile file(files, path, durable);
    if (!file.Create()) return Status::Error(Status::CANNOT_OPEN, base::kCouldNotOpenText);
    LineWriter out(file);
    if (!WriteTable(table, columns, rows, out) || !file.Commit()) {
        return base::FileError(Status::WRITE_FAILED, path, file.Error());
    }
    return Status::Ok();
}

namespace {

// True when the two files hold the same bytes. Reading both costs a fraction of writing the copy
// again, and reopening the table the backup already holds is what every start does.
bool SameBytes(FileLayer& files, const std::string& a, const std::string& b) {
    base::FileInfo infoA;
    base::FileInfo infoB;
    if (files.Stat(a, infoA) != 0 || files.Stat(b, infoB) != 0) return false;
    if (!infoA.IsFile() || !infoB.IsFile() || infoA.size != infoB.size) return false;
    int fdA = files.Open(a, base::kRead | base::kPlainFile);
    int fdB = files.Open(b, base::kRead | base::kPlainFile);
    bool same = fdA >= 0 && fdB >= 0;
    std::vector<char> chunkA(std::size_t{1} << 20);
    std::vector<char> chunkB(chunkA.size());
    for (std::uint64_t left = infoA.size; same && left > 0;) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, chunkA.size()));
        same = base::ReadFully(files, fdA, chunkA.data(), size) &&
               base::ReadFully(files, fdB, chunkB.data(), size) &&
               std::memcmp(chunkA.data(), chunkB.data(), size) == 0;
        left -= size;
    }
    if (same) {  // nothing more than the size said: the file did not grow meanwhile
        char extra;
        same = files.Read(fdA, &extra, 1) == 0;
    }
    base::CloseQuietly(files, fdA);
    base::CloseQuietly(files, fdB);
    return same;
}

}  // namespace

bool BackupTable(const std::string& source, const std::string& backupPath, FileLayer& files) {
    if (SameBytes(files, source, backupPath)) return true;
    // Not synced: the backup is a convenience, and a load must not wait for the disk.
    return base::CopyFile(files, source, backupPath, /*durable=*/false).ok();
}

}  // namespace tavrel
