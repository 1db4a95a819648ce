// A reusable byte buffer that grows without clearing its bytes, for member data that is about to
// be overwritten by a read or by zlib anyway.
#pragma once

#include <cstddef>
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

    // Makes the size `size`; the bytes are undefined after a growth. Throws std::bad_alloc.
    void Resize(std::size_t size) {
        if (size > capacity_) {
            data_.reset();
            capacity_ = 0;
            data_.reset(new char[size]);
            capacity_ = size;
        }
        size_ = size;
    }
    // Frees the memory.
    void Release() {
        data_.reset();
        size_ = capacity_ = 0;
    }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace brisko
