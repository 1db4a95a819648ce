#include "TableRow.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "TakeField.h"

namespace tavrel {

static_assert(std::is_trivially_copyable_v<TableRow>, "rows move as plain pointers");

namespace {

constexpr std::size_t kHeader = 2 * sizeof(std::uint32_t);
constexpr std::uint32_t kOnHeap = 0x80000000u;  // in the first header word, above the count
constexpr std::uint32_t kMaxCells = 0x7FFFFFFFu;

std::uint32_t Load32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint16_t Load16(const char* p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool IsWide(std::uint64_t bytes) {
    return bytes > 0xFFFF;
}

// A row's block, laid out for `count` cells holding `bytes` bytes: the header written, the cell
// ends and the text to fill in.
struct Layout {
    char* block;
    char* offsets;
    char* text;
    bool wide;

    void SetEnd(std::size_t i, std::uint32_t end) const {
        if (wide) {
            std::memcpy(offsets + 4 * i, &end, 4);
        } else {
            const auto end16 = static_cast<std::uint16_t>(end);
            std::memcpy(offsets + 2 * i, &end16, 2);
        }
    }
};

Layout LayOut(std::size_t count, std::uint64_t bytes, RowArena* arena) {
    if (bytes > TableRow::kMaxRowBytes || count > kMaxCells)
        throw std::length_error("row too long");
    const bool wide = IsWide(bytes);
    const std::size_t offsetSize = wide ? 4 : 2;
    const std::size_t size = kHeader + count * offsetSize + bytes;
    char* block = arena ? arena->Allocate(size) : static_cast<char*>(std::malloc(size));
    if (!block) throw std::bad_alloc();
    const std::uint32_t head = static_cast<std::uint32_t>(count) | (arena ? 0 : kOnHeap);
    const auto bytes32 = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &head, 4);
    std::memcpy(block + 4, &bytes32, 4);
    char* offsets = block + kHeader;
    return Layout{block, offsets, offsets + count * offsetSize, wide};
}

}  // namespace

// Lays out a row of `count` cells holding `bytes` bytes; `next()` gives the cells in order.
template <typename NextCell>
TableRow TableRow::Build(std::size_t count, std::uint64_t bytes, RowArena* arena, NextCell next) {
    if (count == 0) return TableRow();
    const Layout row = LayOut(count, bytes, arena);
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view cell = next();
        if (!cell.empty()) std::memcpy(row.text + end, cell.data(), cell.size());
        end += static_cast<std::uint32_t>(cell.size());
        row.SetEnd(i, end);
    }
    return TableRow(row.block);
}

TableRow TableRow::Make(std::span<const std::string_view> cells, RowArena* arena) {
    std::size_t count = cells.size();
    while (count > 0 && cells[count - 1].empty())
        --count;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i)
        bytes += cells[i].size();
    std::size_t i = 0;
    return Build(count, bytes, arena, [&] { return cells[i++]; });
}

TableRow TableRow::FromLine(std::string_view line, char separator, std::size_t maxCells,
                            RowArena* arena, std::size_t* fields) {
    if (line.size() > 0xFFFFFFFEu) throw std::length_error("line too long");
    // First pass, a byte at a time (a header of millions of empty fields is mostly
    // separators): the fields taken, and the cells kept (not the empty ones at the end).
    std::size_t taken = 0;
    std::size_t kept = 0;
    std::size_t keptEnd = 0;  // where the last kept cell ends in the line
    std::size_t start = 0;
    const auto field = [&](std::size_t end) {
        ++taken;
        if (end > start) {
            kept = taken;
            keptEnd = end;
        }
        start = end + 1;
    };
    for (std::size_t i = 0; i < line.size() && taken < maxCells; ++i) {
        if (line[i] == separator) field(i);
    }
    if (start < line.size() && taken < maxCells) field(line.size());
    if (fields) *fields = taken;
    if (kept == 0) return TableRow();
    std::vector<std::uint32_t> ends;  // only up to the last kept cell
    ends.reserve(kept);
    for (std::size_t i = 0; i < keptEnd && ends.size() < kept; ++i) {
        if (line[i] == separator) ends.push_back(static_cast<std::uint32_t>(i));
    }
    ends.push_back(static_cast<std::uint32_t>(keptEnd));
    return FromFieldEnds(line, ends, arena, separator);
}

TableRow TableRow::FromFieldEnds(std::string_view line, std::span<const std::uint32_t> ends,
                                 RowArena* arena, char separator) {
    std::size_t count = ends.size();
    const auto start = [&](std::size_t i) { return i == 0 ? 0 : std::size_t{ends[i - 1]} + 1; };
    while (count > 0 && ends[count - 1] == start(count - 1))
        --count;
    if (count == 0) return TableRow();
    // The kept fields are the line up to the last one's end less the separators between them,
    // so the text is copied in one pass that leaves the separators out, and cell i ends i bytes
    // before its field did.
    const std::size_t span = ends[count - 1];
    const std::uint64_t bytes = span - (count - 1);
    const Layout row = LayOut(count, bytes, arena);
    for (std::size_t i = 0; i < count; ++i)
        row.SetEnd(i, static_cast<std::uint32_t>(ends[i] - i));
    char* out = row.text;
    const char* in = line.data();
    for (std::size_t i = 0; i < span; ++i) {
        *out = in[i];
        out += in[i] != separator;
    }
    return TableRow(row.block);
}

void TableRow::Release() {
    if (block_ && (Load32(block_) & kOnHeap)) std::free(block_);
    block_ = nullptr;
}

std::uint32_t TableRow::Count() const {
    return block_ ? Load32(block_) & ~kOnHeap : 0;
}

int TableRow::CellCount() const {
    return static_cast<int>(Count());
}

std::uint32_t TableRow::TextSize() const {
    return block_ ? Load32(block_ + 4) : 0;
}

std::string_view TableRow::Text() const {
    if (!block_) return {};
    const char* text = block_ + kHeader + Count() * (IsWide(TextSize()) ? 4 : 2);
    return {text, TextSize()};
}

std::uint32_t TableRow::End(int i) const {
    const char* offsets = block_ + kHeader;
    return IsWide(TextSize()) ? Load32(offsets + 4 * static_cast<std::size_t>(i))
                              : Load16(offsets + 2 * static_cast<std::size_t>(i));
}

std::string_view TableRow::Cell(int i) const {
    if (!block_ || i < 0) return {};
    const std::uint32_t count = Count();
    if (static_cast<std::uint32_t>(i) >= count) return {};
    const std::uint32_t begin = i == 0 ? 0 : End(i - 1);
    const std::uint32_t end = End(i);
    const char* text = block_ + kHeader + count * (IsWide(TextSize()) ? 4 : 2);
    return {text + begin, end - begin};
}

bool TableRow::HasTextBefore(int columns) const {
    if (!block_ || columns <= 0) return false;
    const int count = CellCount();
    // Ends are cumulative, so the end of the last cell looked at tells whether any had text.
    return End((columns < count ? columns : count) - 1) > 0;
}

namespace {

std::vector<std::string_view> CellsOf(const TableRow& row, int atLeast) {
    const int count = row.CellCount();
    std::vector<std::string_view> cells(
        static_cast<std::size_t>(count > atLeast ? count : atLeast));
    for (int i = 0; i < count; ++i)
        cells[static_cast<std::size_t>(i)] = row.Cell(i);
    return cells;
}

}  // namespace

TableRow TableRow::WithCell(int i, std::string_view text) const {
    std::vector<std::string_view> cells = CellsOf(*this, i + 1);
    cells[static_cast<std::size_t>(i)] = text;
    return Make(cells);
}

TableRow TableRow::WithCellInserted(int i) const {
    std::vector<std::string_view> cells = CellsOf(*this, 0);
    if (static_cast<std::size_t>(i) < cells.size())
        cells.insert(cells.begin() + i, std::string_view());
    return Make(cells);
}

TableRow TableRow::WithCellRemoved(int i) const {
    std::vector<std::string_view> cells = CellsOf(*this, 0);
    if (static_cast<std::size_t>(i) < cells.size()) cells.erase(cells.begin() + i);
    return Make(cells);
}

SavedRow::SavedRow(const TableRow& row) {
    std::vector<std::string_view> cells(static_cast<std::size_t>(row.CellCount()));
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i] = row.Cell(static_cast<int>(i));
    row_ = TableRow::Make(cells);
}

SavedRow& SavedRow::operator=(SavedRow&& other) noexcept {
    if (this != &other) {
        row_.Release();
        row_ = other.row_;
        other.row_ = TableRow();
    }
    return *this;
}

}  // namespace tavrel
