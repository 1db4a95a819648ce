// Compresses the members of a pack on several threads and hands them back strictly in list
// order, so that the pack's bytes are those of compressing them one by one. The largest members
// start first (they decide how long the whole takes); members finished ahead of the writer are
// held only up to a byte limit, beyond which the threads take the members in list order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Buffer.h"
#include "Checksum.h"
#include "PackBase.h"

namespace brisko {

class StreamCache;

// One member to compress: its source file and the size it had when the directory was built.
struct MemberJob {
    std::string sourcePath;
    std::uint32_t size = 0;
    bool table = false;  // feeds the checksum
};

// A compressed member: one zlib stream (see MemberStream.h), and what the member adds to the
// checksum (nothing unless it is a table).
struct CompressedMember {
    Buffer bytes;
    TableContribution sum;
    Status status;
};

// CPU seconds spent, summed over all threads.
struct CompressTimes {
    double reading = 0;
    double compressing = 0;
    double checksum = 0;
};

struct CompressOptions {
    unsigned threads = 0;  // compressing threads, the calling one included; 0 = one per core
    std::size_t pendingLimit = 64u << 20;
    FileLayer* files = nullptr;
    std::string packPath;          // named in the error texts
    bool classic = false;          // zlib's compress2 at level 9
    StreamCache* cache = nullptr;  // streams already made in this batch, by content
    int cacheUser = 0;             // the number the cache knows this pack by
};

// Compresses every job and calls `deliver` for each, in list order, on the calling thread. Stops
// at the first member that fails or the first delivery that returns an error, and returns it.
Status CompressInOrder(const std::vector<MemberJob>& jobs, const CompressOptions& options,
                       const std::function<Status(std::size_t, CompressedMember&)>& deliver,
                       CompressTimes* times = nullptr);

}  // namespace brisko
