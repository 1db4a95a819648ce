// A reusable byte buffer that grows without clearing its bytes, for member data that is about to
// be overwritten by a read or by the compressor anyway. Large buffers ask the host for huge pages:
// a member of megabytes then costs a few page faults instead of thousands.
#pragma once

#include <atomic>
#include <cstddef>
#include <limits>
#include <memory>
#include <string_view>

namespace brisko {

class Buffer {
public:
    char* data() { return data_.get(); }
    const char* data() const { return data_.get(); }
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(data_.get()); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::string_view view() const { return std::string_view(data_.get(), size_); }

    // Makes the size `size`; the bytes are undefined after a growth. Throws std::bad_alloc and
    // then leaves the buffer empty (size and capacity 0) but valid: the old bytes are given up
    // before the new memory is taken, so that both are never held at once.
    void Resize(std::size_t size);
    // Frees the memory.
    void Release() {
        data_.reset();
        size_ = capacity_ = 0;
    }

    // The most bytes one buffer takes: a larger Resize fails as an allocation the system refuses
    // does. Tests lower it to make the memory for one member run out.
    static std::atomic<std::size_t>& Limit() {
        static std::atomic<std::size_t> limit{std::numeric_limits<std::size_t>::max()};
        return limit;
    }

private:
    struct Free {
        void operator()(char* p) const;
    };

    std::unique_ptr<char, Free> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace brisko
