// WritePackFile: builds a pack from a list of member names relative to a base folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PackBase.h"
#include "PackFormat.h"

namespace brisko {

// An ordered, growable list of 8-bit names (member names, or bare file names).
using NameList = std::vector<std::string>;

// Where the time of a pack write went: wall seconds, and CPU seconds summed over the threads.
struct PackTimings {
    double total = 0;        // wall time of the whole write
    double reading = 0;      // reading the member files
    double compressing = 0;  // making the member streams
    double checksum = 0;     // summing the tables
    double writing = 0;      // appending the compressed members, on the writing thread
};

class StreamCache;

struct PackWriteOptions {
    unsigned threads = 0;                          // compressing threads; 0 = one per core
    std::size_t pendingLimit = 64u << 20;          // compressed bytes held ahead of the writer
    FileLayer* files = nullptr;                    // nullptr = the operating system
    std::uint64_t created = 0;                     // creation time to record; 0 = now
    PackTimings* timings = nullptr;                // filled in when given
    std::uint64_t packSizeLimit = kPackSizeLimit;  // a pack stays below this (tests lower it)
    // Members as zlib's compress2 gives them at level 9, instead of the faster libdeflate streams
    // (see MemberStream.h). Both inflate with zlib to the same bytes.
    bool zlib = false;
    // Called on the calling thread after each member is written: members done, members in all.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Streams already made in this batch of packs, reused for members of the same bytes.
    StreamCache* cache = nullptr;
    int cacheUser = 0;
};

// What a complete pack holds, as the writer wrote it.
struct PackWritten {
    std::uint64_t checksum = 0;
    std::uint64_t created = 0;
    std::uint32_t members = 0;
    std::uint64_t uncompressedBytes = 0;  // the members' sizes together
    std::uint64_t packBytes = 0;          // the pack file's size
};

// Writes the pack at `packPath` from `names` (members in list order, "\" between folder levels),
// each read from `baseFolder` + name. The pack is written beside its final place and moved there
// when complete: on any failure an old pack stays as it was and no partial file is left. Once the
// pack is complete, and only then, sets PackStamp to its checksum and creation time and, when
// `written` is given, tells them there too (for callers on other threads). An empty list writes
// nothing, leaves PackStamp alone and gives NOTHING_TO_PACK.
Status WritePackFile(const NameList& names, const std::string& packPath,
                     const std::string& baseFolder, const PackWriteOptions& options = {},
                     PackWritten* written = nullptr);

// The current UTC time as the pack records it: 100-nanosecond intervals since 1601-01-01, in
// whole milliseconds.
std::uint64_t CurrentCreatedTime();

}  // namespace brisko
