// Loading a table file into a fresh grid table.
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "CsvFile.h"
#include "LineReader.h"
#include "TakeField.h"

namespace tavrel {
namespace {

constexpr int kMaxIndex = std::numeric_limits<std::int32_t>::max() - kMarginRows - 1;

class Loader {
public:
    explicit Loader(const TextMeasure& measure) : measure_(measure) {
        for (const std::uint16_t a : measure.advance)
            maxAdvance_ = std::max(maxAdvance_, a);
    }

    // Takes one line: the header when it is the first, else a data row.
    void AddLine(std::string_view line, bool header);
    void Finish(int linesRead);
    LoadedTable& Result() { return result_; }

private:
    void Measure(std::size_t j, std::string_view field);
    void NarrowColumns();

    const TextMeasure& measure_;
    std::uint16_t maxAdvance_ = 0;
    LoadedTable result_;
    std::vector<std::uint64_t> widths_;  // widest text at each field position
    std::vector<std::string_view> cells_;
};

void Loader::Measure(std::size_t j, std::string_view field) {
    if (j == widths_.size()) widths_.push_back(0);
    std::uint64_t& widest = widths_[j];
    // A field that cannot be wider than the widest so far needs no measuring.
    if (field.size() * maxAdvance_ <= widest) return;
    widest = std::max(widest, measure_.Width(field));
}

void Loader::AddLine(std::string_view line, bool header) {
    GridTable& table = result_.table;
    if (!header && table.RowCount() >= kMaxIndex) throw std::length_error("too many rows");
    cells_.clear();
    for (std::size_t j = 0; !line.empty(); ++j) {
        const std::string_view field = TakeField(line, ',');
        Measure(j, field);
        if (header) {
            if (table.ColumnCount() >= kMaxIndex) throw std::length_error("too many columns");
            table.InsertColumn(static_cast<int>(j), field, kDefaultColumnWidth);
            ++result_.columnCount;
        } else if (static_cast<int>(j) < table.ColumnCount()) {
            cells_.push_back(field);  // fields past the header's columns are not kept
        }
    }
    if (!header) table.AppendRow(cells_);
}

// Columns start wide and are narrowed to 1.4 times their widest text, in single precision,
// rounded up to a whole pixel.
void Loader::NarrowColumns() {
    GridTable& table = result_.table;
    const int count = std::min<std::size_t>(widths_.size(), table.ColumnCount());
    for (int j = 0; j < count; ++j) {
        const float limit = 1.4f * static_cast<float>(widths_[static_cast<std::size_t>(j)]);
        if (static_cast<float>(table.ColumnWidth(j)) > limit) {
            table.SetColumnWidth(j, static_cast<int>(std::ceil(limit)));
        }
    }
}

void Loader::Finish(int linesRead) {
    result_.loadedRowCount = linesRead > 0 ? linesRead - 1 : 0;
    for (int i = 0; i < kMarginColumns; ++i) {
        result_.table.InsertColumn(result_.table.ColumnCount(), "", kDefaultColumnWidth);
        ++result_.columnCount;
    }
    for (int i = 0; i < kMarginRows; ++i)
        result_.table.InsertRow(result_.table.RowCount());
    NarrowColumns();
}

Status ReadLines(LineReader& reader, Loader& loader, const std::string& path) {
    std::string_view line;
    int lines = 0;
    while (reader.Next(line)) {
        loader.AddLine(line, lines == 0);
        ++lines;
    }
    if (reader.Failed()) {
        return Status::Error(Status::READ_FAILED,
                             base::Format("An unknown error occurred while accessing %1.", path));
    }
    loader.Finish(lines);
    return Status::Ok();
}

}  // namespace

Status LoadCsv(const std::string& path, const TextMeasure& measure, LoadedTable& out,
               FileLayer& files) {
    // Only a plain file: a pipe or a device could hang the open or feed the load forever.
    int fd = path.empty() ? -1 : files.Open(path, base::kRead | base::kPlainFile);
    if (fd < 0) return Status::Error(Status::CANNOT_OPEN, path);
    Status status;
    try {
        Loader loader(measure);
        LineReader reader(files, fd);
        status = ReadLines(reader, loader, path);
        if (status.ok()) out = std::move(loader.Result());
    } catch (const std::exception&) {  // out of memory, or past a row or line limit
        status = Status::Error(Status::TOO_LARGE, base::Format("%1 is too large to open.", path));
    }
    base::CloseQuietly(files, fd);
    return status;
}

}  // namespace tavrel
