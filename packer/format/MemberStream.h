// The one place that makes and reads the zlib streams of pack members. By default members are
// compressed with libdeflate, which writes the same zlib stream format (RFC 1950 around deflate)
// that the game inflates, several times faster than zlib and no larger than zlib's level 9; the
// classic streams are exactly what zlib's compress2 gives at level 9. Built without libdeflate
// (BRISKO_LIBDEFLATE off), zlib does everything.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brisko {

// The libdeflate level members are compressed at: the fastest whose packs are no larger than
// zlib's level 9 on the game's tables (bench/deflate-levels measures it).
constexpr int kFastCompressionLevel = 8;

// Whether the library was built with libdeflate.
bool HaveLibdeflate();

// Compresses members one after another on one thread; keeps its state between members.
class StreamCompressor {
public:
    // `classic`: compress2 at level 9. `level`: the libdeflate level otherwise.
    explicit StreamCompressor(bool classic, int level = kFastCompressionLevel);
    ~StreamCompressor();
    StreamCompressor(const StreamCompressor&) = delete;
    StreamCompressor& operator=(const StreamCompressor&) = delete;

    // The output capacity that Compress needs for `size` bytes.
    std::size_t Bound(std::size_t size) const;
    // Compresses `size` bytes into one zlib stream at `out`, which holds `capacity` bytes; the
    // stream's length, or 0 when it failed (out of memory, or too little room).
    std::size_t Compress(const void* in, std::size_t size, void* out, std::size_t capacity);

private:
    bool classic_;
    struct Deflater;
    Deflater* deflater_ = nullptr;
};

enum class InflateResult {
    OK,         // exactly `outSize` bytes, from exactly `inSize` bytes
    BAD_DATA,   // no valid zlib stream (or one cut short)
    TOO_SHORT,  // a valid stream of fewer bytes than recorded
    TOO_LONG,   // a stream of more bytes than recorded
    TRAILING,   // bytes follow the end of the stream
    NO_MEMORY,
};

// Inflates one member's stream of `inSize` bytes into exactly `outSize` bytes at `out`. Safe on
// several threads at once.
InflateResult InflateMember(const void* in, std::size_t inSize, void* out, std::size_t outSize);

}  // namespace brisko
