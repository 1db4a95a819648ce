#include "Buffer.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace brisko {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

#ifdef _WIN32
// Windows has neither an aligned_alloc that free() releases nor transparent huge pages.
constexpr bool kHugePages = false;

char* AllocateHuge(std::size_t) {
    return nullptr;
}
#else
constexpr bool kHugePages = true;

char* AllocateHuge(std::size_t size) {
    return static_cast<char*>(std::aligned_alloc(kHugePage, size));
}
#endif

}  // namespace

void Buffer::Free::operator()(char* p) const {
    std::free(p);
}

void Buffer::Resize(std::size_t size) {
    if (size > capacity_) {
        Release();
        if (size > Limit()) throw std::bad_alloc();
        const bool huge = kHugePages && size >= kHugePage;
        const std::size_t rounded = huge ? (size + kHugePage - 1) & ~(kHugePage - 1) : size;
        if (rounded < size) throw std::bad_alloc();  // no such size
        char* p =
            huge ? AllocateHuge(rounded) : static_cast<char*>(std::malloc(rounded ? rounded : 1));
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
