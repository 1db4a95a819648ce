// The grid table's rows in order, one handle each. It grows with realloc, which moves a big
// list's pages instead of copying them: reading a table of millions of short lines then needs no
// second copy of the list on the way, and an insert that outgrows it does not stall.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "TableRow.h"

namespace tavrel {

class RowList {
public:
    static_assert(std::is_trivially_copyable_v<TableRow>, "rows move as plain bytes");

    RowList() = default;
    ~RowList() { std::free(rows_); }
    RowList(RowList&& other) noexcept { Take(other); }
    RowList& operator=(RowList&& other) noexcept {
        if (this != &other) {
            std::free(rows_);
            Take(other);
        }
        return *this;
    }
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    std::size_t size() const { return size_; }
    TableRow& operator[](std::size_t i) { return rows_[i]; }
    const TableRow& operator[](std::size_t i) const { return rows_[i]; }
    TableRow* begin() { return rows_; }
    TableRow* end() { return rows_ + size_; }
    const TableRow* begin() const { return rows_; }
    const TableRow* end() const { return rows_ + size_; }

    void clear() { size_ = 0; }
    void push_back(TableRow row) {
        Reserve(size_ + 1);
        rows_[size_++] = row;
    }
    // Inserts the rows first..last before `at`; the rows from `at` on move down.
    void insert(TableRow* at, const TableRow* first, const TableRow* last) {
        const std::size_t index = static_cast<std::size_t>(at - rows_);
        const std::size_t count = static_cast<std::size_t>(last - first);
        Reserve(size_ + count);
        std::memmove(rows_ + index + count, rows_ + index, (size_ - index) * sizeof(TableRow));
        if (count > 0) std::memcpy(rows_ + index, first, count * sizeof(TableRow));
        size_ += count;
    }
    void insert(TableRow* at, TableRow row) { insert(at, &row, &row + 1); }
    void erase(TableRow* at) {
        const std::size_t index = static_cast<std::size_t>(at - rows_);
        std::memmove(rows_ + index, rows_ + index + 1, (size_ - index - 1) * sizeof(TableRow));
        --size_;
    }

private:
    void Take(RowList& other) {
        rows_ = other.rows_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.rows_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    // Room for `wanted` rows, at least doubling, so that appending stays cheap.
    void Reserve(std::size_t wanted) {
        if (wanted <= capacity_) return;
        std::size_t capacity = capacity_ < 16 ? 16 : capacity_ * 2;
        if (capacity < wanted) capacity = wanted;
        void* grown = std::realloc(rows_, capacity * sizeof(TableRow));
        if (!grown) throw std::bad_alloc();
        rows_ = static_cast<TableRow*>(grown);
        capacity_ = capacity;
    }

    TableRow* rows_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace tavrel
