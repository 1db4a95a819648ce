// Memory for the rows of a loaded table, handed out from large blocks: one allocation per
// block instead of per row, and huge pages where the system offers them, so that reading a big
// table is not spent in the allocator. Rows are never returned one by one; the blocks go with
// the table.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace tavrel {

class RowArena {
public:
    RowArena() = default;
    RowArena(RowArena&&) noexcept = default;
    RowArena& operator=(RowArena&&) noexcept = default;

    // `size` bytes aligned for 32-bit values; throws std::bad_alloc when memory runs out.
    char* Allocate(std::size_t size);

private:
    char* NewBlock(std::size_t size);

    struct Free {
        void operator()(char* p) const;
    };

    std::vector<std::unique_ptr<char, Free>> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t blockSize_ = std::size_t{1} << 18;
};

}  // namespace tavrel
