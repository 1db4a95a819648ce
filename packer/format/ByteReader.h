// Little-endian reading from a byte range that never reads past its end: a read beyond it gives
// zeros and marks the reader as failed, so a header can be read field by field and checked once.
// Also the matching little-endian writing into a byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace brisko {

class ByteReader {
public:
    ByteReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t U32() {
        if (!Has(4)) return 0;
        const unsigned char* p = data_ + position_;
        position_ += 4;
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    }

    // Copies `size` bytes to `to` (zeros past the end).
    void Bytes(void* to, std::size_t size) {
        if (!Has(size)) {
            std::memset(to, 0, size);
            return;
        }
        std::memcpy(to, data_ + position_, size);
        position_ += size;
    }

    bool ok() const { return ok_; }
    std::size_t Position() const { return position_; }

private:
    bool Has(std::size_t size) {
        if (ok_ && size <= size_ - position_) return true;
        ok_ = false;
        return false;
    }

    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

inline void PutU32(unsigned char* to, std::uint32_t value) {
    to[0] = static_cast<unsigned char>(value);
    to[1] = static_cast<unsigned char>(value >> 8);
    to[2] = static_cast<unsigned char>(value >> 16);
    to[3] = static_cast<unsigned char>(value >> 24);
}

}  // namespace brisko
