// Loading a table file into a fresh grid table.
#include <cmath>
#include <cstdint>
#include <cstring>
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

// The widest text measured at a field position, in pixels, kept in one byte a column: a column
// whose widest text reaches kWideEnough keeps its full width, so larger values need not be told
// apart.
constexpr std::uint64_t kWideEnough = 255;
static_assert(1.4f * kWideEnough > kDefaultColumnWidth);

class Loader {
public:
    explicit Loader(const TextMeasure& measure) : measure_(measure) {
        for (const std::uint16_t a : measure.advance)
            maxAdvance_ = std::max(maxAdvance_, a);
    }

    void AddHeader(std::string_view line);
    void AddRow(std::string_view line);
    void Finish(int linesRead);
    LoadedTable& Result() { return result_; }

private:
    void Measure(std::size_t j, std::string_view field);
    void NarrowColumns();

    const TextMeasure& measure_;
    std::uint16_t maxAdvance_ = 0;
    LoadedTable result_;
    std::size_t headerFields_ = 0;
    std::vector<std::uint8_t> widths_;  // widest text at each field position that has a column
    std::size_t measured_ = 0;          // positions some line had a field at
    std::vector<std::uint32_t> ends_;   // where the kept fields of a data line end
};

void Loader::Measure(std::size_t j, std::string_view field) {
    measured_ = std::max(measured_, j + 1);
    std::uint8_t& widest = widths_[j];
    // A field that cannot be wider than the widest so far needs no measuring.
    if (widest >= kWideEnough || field.size() * maxAdvance_ <= widest) return;
    const std::uint64_t width = std::min(kWideEnough, measure_.Width(field));
    if (width > widest) widest = static_cast<std::uint8_t>(width);
}

void Loader::AddHeader(std::string_view line) {
    GridTable& table = result_.table;
    table.AppendColumnsFromLine(line, kDefaultColumnWidth, kMarginColumns);
    headerFields_ = static_cast<std::size_t>(table.ColumnCount());
    if (headerFields_ >= static_cast<std::size_t>(kMaxIndex)) {
        throw std::length_error("too many columns");
    }
    result_.columnCount = table.ColumnCount();
    // Fields past the header are measured up to the margin columns they would widen.
    widths_.assign(headerFields_ + kMarginColumns, 0);
    for (int j = 0; j < table.ColumnCount(); ++j)
        Measure(static_cast<std::size_t>(j), table.ColumnTitle(j));
}

// One pass over the line's bytes cuts its fields (as TakeField does: a comma at the very end
// opens no further field), adds up their widths and notes where the kept ones end.
void Loader::AddRow(std::string_view line) {
    GridTable& table = result_.table;
    if (table.RowCount() >= kMaxIndex) throw std::length_error("too many rows");
    if (line.size() > std::numeric_limits<std::uint32_t>::max() - 1) {
        throw std::length_error("line too long");
    }
    ends_.clear();
    std::size_t dropped = 0;
    std::size_t start = 0;
    std::size_t j = 0;
    std::uint64_t width = 0;
    const auto field = [&](std::size_t end) {
        if (j < widths_.size()) {
            measured_ = std::max(measured_, j + 1);
            std::uint8_t& widest = widths_[j];
            if (width > widest) widest = static_cast<std::uint8_t>(std::min(kWideEnough, width));
        }
        if (j < headerFields_) {
            ends_.push_back(static_cast<std::uint32_t>(end));
        } else if (end > start) {
            ++dropped;  // no column holds it
        }
        ++j;
        start = end + 1;
        width = 0;
    };
    const auto& advance = measure_.advance;
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (bytes[i] == ',') {
            field(i);
        } else {
            width += advance[bytes[i]];
        }
    }
    if (start < line.size()) field(line.size());
    if (dropped > 0) {
        result_.droppedFields += dropped;
        ++result_.droppedLines;
    }
    table.AppendRowFromFieldEnds(line, ends_);
}

// Columns start wide and are narrowed to 1.4 times their widest text, in single precision,
// rounded up to a whole pixel.
void Loader::NarrowColumns() {
    GridTable& table = result_.table;
    const int count = std::min<std::size_t>(measured_, table.ColumnCount());
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
        if (lines == 0) {
            loader.AddHeader(line);
        } else {
            loader.AddRow(line);
        }
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
