#include "LineReader.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tavrel {

LineReader::LineReader(base::FileLayer& files, int fd, std::size_t chunkSize)
    : files_(files), fd_(fd), capacity_(chunkSize > 0 ? chunkSize : 1) {
    buffer_ = static_cast<char*>(std::malloc(capacity_));
    if (!buffer_) throw std::bad_alloc();
}

LineReader::~LineReader() {
    std::free(buffer_);
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* base = buffer_;
        const void* lf = std::memchr(base + scanned_, '\n', end_ - scanned_);
        if (lf) {
            const std::size_t at = static_cast<const char*>(lf) - base;
            std::size_t length = at - begin_;
            if (length > 0 && base[at - 1] == '\r') --length;
            line = std::string_view(base + begin_, length);
            begin_ = scanned_ = at + 1;
            return true;
        }
        scanned_ = end_;
        if (atEnd_) {
            if (begin_ == end_) return false;
            line = std::string_view(base + begin_, end_ - begin_);
            begin_ = scanned_ = end_;
            return true;
        }
        if (!Fill()) return false;
    }
}

// Moves the unfinished line to the front, grows the buffer when the line fills it, reads more.
bool LineReader::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
        end_ -= begin_;
        scanned_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        char* grown = static_cast<char*>(std::realloc(buffer_, capacity_ * 2));
        if (!grown) throw std::bad_alloc();
        buffer_ = grown;
        capacity_ *= 2;
    }
    const std::int64_t n = files_.Read(fd_, buffer_ + end_, capacity_ - end_);
    if (n < 0) {
        failed_ = true;
        return false;
    }
    if (n == 0) atEnd_ = true;
    end_ += static_cast<std::size_t>(n);
    return true;
}

}  // namespace tavrel
