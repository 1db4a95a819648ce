// One directory record of a pack (272 bytes on disk): the member's name relative to the packed
// folder, with "\" between folder levels, and where its compressed bytes lie.
#pragma once

#include <cstdint>
#include <string_view>

#include "PackFormat.h"

namespace brisko {

struct PackEntry {
    char name[kNameFieldSize] = {};      // zero-terminated; bytes after the zero are zeros
    std::uint32_t compressedSize = 0;    // bytes in the data area; 0 when there are none
    std::uint32_t dataOffset = 0;        // from the start of the data area
    std::uint32_t uncompressedSize = 0;  // size of the member file

    // The name up to its terminating zero (at most the whole field when there is none).
    std::string_view Name() const;
    // Sets the name; false (and the name left empty) when it has more than kMaxNameLength
    // characters or holds a zero byte.
    bool SetName(std::string_view text);
};

// The record's 272 bytes, little-endian, and back.
void EncodeEntry(const PackEntry& entry, unsigned char* to);
PackEntry DecodeEntry(const unsigned char* from);

}  // namespace brisko
