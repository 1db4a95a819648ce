// The checksum and creation time of the pack most recently written by WritePackFile or opened by
// CPackFile::Open, for the commands that show or record them. One record for the whole process,
// used from the calling thread only.
#pragma once

#include <cstdint>

namespace brisko {

struct PackStampRecord {
    std::uint32_t checksumLow = 0;
    std::int32_t checksumHigh = 0;  // shown as a signed number
    std::uint32_t createdLow = 0;
    std::uint32_t createdHigh = 0;

    std::uint64_t Checksum() const;
    std::uint64_t Created() const;
    void SetChecksum(std::uint64_t value);
    void SetCreated(std::uint64_t value);
};

extern PackStampRecord PackStamp;

// A 64-bit value from the halves the catalog prints: low unsigned, high signed.
std::uint64_t JoinHalves(std::uint32_t low, std::int32_t high);

}  // namespace brisko
