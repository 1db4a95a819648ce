#include "MemberStream.h"

#include <zlib.h>

#include <memory>

#include "PackFormat.h"

#ifdef BRISKO_WITH_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace brisko {
namespace {

#ifdef BRISKO_WITH_LIBDEFLATE

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// One decompressor per thread, made on first use and freed when the thread ends.
libdeflate_decompressor* ThreadDecompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor;
    if (!decompressor) decompressor.reset(libdeflate_alloc_decompressor());
    return decompressor.get();
}

#endif

}  // namespace

#ifdef BRISKO_WITH_LIBDEFLATE

struct StreamCompressor::Deflater {
    libdeflate_compressor* compressor;
};

bool HaveLibdeflate() {
    return true;
}

StreamCompressor::StreamCompressor(bool classic, int level) : classic_(classic) {
    if (!classic_) deflater_ = new Deflater{libdeflate_alloc_compressor(level)};
}

StreamCompressor::~StreamCompressor() {
    if (deflater_) libdeflate_free_compressor(deflater_->compressor);
    delete deflater_;
}

std::size_t StreamCompressor::Bound(std::size_t size) const {
    if (classic_ || !deflater_->compressor) {
        return static_cast<std::size_t>(static_cast<double>(size) * 1.1 + 12);
    }
    return libdeflate_zlib_compress_bound(deflater_->compressor, size);
}

std::size_t StreamCompressor::Compress(const void* in, std::size_t size, void* out,
                                       std::size_t capacity) {
    if (!classic_) {
        if (!deflater_->compressor) return 0;  // it could not be made: out of memory
        return libdeflate_zlib_compress(deflater_->compressor, in, size, out, capacity);
    }
    uLongf length = capacity;
    const int z = compress2(static_cast<Bytef*>(out), &length, static_cast<const Bytef*>(in), size,
                            kCompressionLevel);
    return z == Z_OK ? length : 0;
}

InflateResult InflateMember(const void* in, std::size_t inSize, void* out, std::size_t outSize) {
    libdeflate_decompressor* decompressor = ThreadDecompressor();
    if (!decompressor) return InflateResult::NO_MEMORY;
    std::size_t consumed = 0;
    std::size_t produced = 0;
    switch (libdeflate_zlib_decompress_ex(decompressor, in, inSize, out, outSize, &consumed,
                                          &produced)) {
        case LIBDEFLATE_SUCCESS:
            break;
        case LIBDEFLATE_INSUFFICIENT_SPACE:
            return InflateResult::TOO_LONG;
        default:
            return InflateResult::BAD_DATA;
    }
    if (produced != outSize) return InflateResult::TOO_SHORT;
    if (consumed != inSize) return InflateResult::TRAILING;
    return InflateResult::OK;
}

#else  // zlib for everything

struct StreamCompressor::Deflater {};

bool HaveLibdeflate() {
    return false;
}

StreamCompressor::StreamCompressor(bool classic, int) : classic_(classic) {}

StreamCompressor::~StreamCompressor() = default;

std::size_t StreamCompressor::Bound(std::size_t size) const {
    return static_cast<std::size_t>(static_cast<double>(size) * 1.1 + 12);
}

std::size_t StreamCompressor::Compress(const void* in, std::size_t size, void* out,
                                       std::size_t capacity) {
    uLongf length = capacity;
    const int z = compress2(static_cast<Bytef*>(out), &length, static_cast<const Bytef*>(in), size,
                            kCompressionLevel);
    return z == Z_OK ? length : 0;
}

InflateResult InflateMember(const void* in, std::size_t inSize, void* out, std::size_t outSize) {
    uLongf produced = outSize;
    uLong consumed = inSize;
    switch (uncompress2(static_cast<Bytef*>(out), &produced, static_cast<const Bytef*>(in),
                        &consumed)) {
        case Z_OK:
            break;
        case Z_BUF_ERROR:  // the output is full: either more would follow, or the input ended
            return consumed == inSize ? InflateResult::BAD_DATA : InflateResult::TOO_LONG;
        case Z_MEM_ERROR:
            return InflateResult::NO_MEMORY;
        default:
            return InflateResult::BAD_DATA;
    }
    if (produced != outSize) return InflateResult::TOO_SHORT;
    if (consumed != inSize) return InflateResult::TRAILING;
    return InflateResult::OK;
}

#endif

}  // namespace brisko
