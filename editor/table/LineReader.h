// Reads a table file line by line as the game writes it: a line ends at LF, one CR right before
// the LF belongs to the line end, a lone CR is data, and the last line may end without LF.
// Lines have no length limit; reading stops at the end of the data.
#pragma once

#include <string_view>
#include <vector>

#include "FileLayer.h"

namespace tavrel {

class LineReader {
public:
    LineReader(base::FileLayer& files, int fd, std::size_t chunkSize = std::size_t{1} << 20);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its line end; the view stays valid until the next call. False at
    // the end of the data, and on a read error (then Failed() is true).
    bool Next(std::string_view& line);
    bool Failed() const { return failed_; }

private:
    bool Fill();

    base::FileLayer& files_;
    int fd_;
    // Grown with realloc, which moves a big buffer's pages instead of copying them and leaves the
    // part not read into untouched: a line of many megabytes costs about its own size.
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;    // first byte of the line being read
    std::size_t scanned_ = 0;  // bytes before this hold no LF of the current line
    std::size_t end_ = 0;      // end of the bytes read so far
    bool atEnd_ = false;
    bool failed_ = false;
};

}  // namespace tavrel
