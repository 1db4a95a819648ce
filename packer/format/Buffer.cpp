#include "Buffer.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace brisko {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void Buffer::Free::operator()(char* p) const {
    std::free(p);
}

void Buffer::Resize(std::size_t size) {
    if (size > capacity_) {
        Release();
        if (size > Limit()) throw std::bad_alloc();
        const bool huge = size >= kHugePage;
        const std::size_t rounded = huge ? (size + kHugePage - 1) & ~(kHugePage - 1) : size;
        if (rounded < size) throw std::bad_alloc();  // no such size
        char* p = static_cast<char*>(huge ? std::aligned_alloc(kHugePage, rounded)
                                          : std::malloc(rounded ? rounded : 1));
        if (!p) throw std::bad_alloc();
#ifdef __linux__
        if (huge) ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
        data_.reset(p);
        capacity_ = rounded;
    }
    size_ = size;
}

}  // namespace brisko
