#include "RowArena.h"

#ifndef _WIN32
#include <sys/mman.h>
#endif

#include <cstdlib>
#include <new>

namespace tavrel {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargestBlock = std::size_t{32} << 20;

}  // namespace

void RowArena::Free::operator()(char* p) const {
    std::free(p);
}

#ifdef _WIN32
// Windows has neither aligned_alloc nor transparent huge pages: plain blocks.
char* RowArena::NewBlock(std::size_t size) {
    char* p = static_cast<char*>(std::malloc(size));
    if (!p) throw std::bad_alloc();
    blocks_.emplace_back(p);
    return p;
}
#else
char* RowArena::NewBlock(std::size_t size) {
    const bool huge = size >= kHugePage;
    if (huge) size = (size + kHugePage - 1) & ~(kHugePage - 1);
    char* p = static_cast<char*>(huge ? std::aligned_alloc(kHugePage, size) : std::malloc(size));
    if (!p) throw std::bad_alloc();
    if (huge) ::madvise(p, size, MADV_HUGEPAGE);
    blocks_.emplace_back(p);
    return p;
}
#endif

char* RowArena::Allocate(std::size_t size) {
    size = (size + 7) & ~std::size_t{7};
    if (size > left_) {
        if (size > blockSize_ / 4) return NewBlock(size);  // a long row gets a block of its own
        // Blocks double up to 32 MiB, so small tables stay small and big ones take few blocks.
        next_ = NewBlock(blockSize_);
        left_ = blockSize_;
        if (blockSize_ < kLargestBlock) blockSize_ *= 2;
    }
    char* p = next_;
    next_ += size;
    left_ -= size;
    return p;
}

}  // namespace tavrel
