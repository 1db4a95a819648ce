// The constants of the .zpk pack layout and of its checksum, shared by the reader, the writer,
// the extraction and the tests. A pack is: a 16-byte header (checksum low, created low, member
// count N, trailer offset T), N directory records, the created-high word, the compressed members
// back to back, and the checksum-high word at T, the last 4 bytes of the file. All integers are
// little-endian.
#pragma once

#include <array>
#include <cstdint>

namespace brisko {

// Header words, by byte offset.
constexpr std::uint32_t kChecksumLowOffset = 0;
constexpr std::uint32_t kCreatedLowOffset = 4;
constexpr std::uint32_t kMemberCountOffset = 8;
constexpr std::uint32_t kTrailerOffsetOffset = 12;
constexpr std::uint32_t kHeaderSize = 16;

// One directory record: the zero-terminated name, then compressed size, data offset (from the
// start of the data area) and uncompressed size.
constexpr std::uint32_t kEntrySize = 272;
constexpr std::uint32_t kNameFieldSize = 260;
constexpr std::uint32_t kMaxNameLength = kNameFieldSize - 1;
constexpr std::uint32_t kEntryCompressedSizeOffset = 260;
constexpr std::uint32_t kEntryDataOffsetOffset = 264;
constexpr std::uint32_t kEntryUncompressedSizeOffset = 268;

// The created-high word right behind the directory, and the checksum-high word at T.
constexpr std::uint32_t kWordSize = 4;

// Where the directory ends and the data area starts, for N members.
constexpr std::uint64_t DirectoryEnd(std::uint64_t count) {
    return kHeaderSize + kEntrySize * count;
}
constexpr std::uint64_t DataAreaStart(std::uint64_t count) {
    return DirectoryEnd(count) + kWordSize;
}

// Member data: one zlib stream per member. The classic streams are what zlib's compress2 gives at
// this level; the default ones are libdeflate's (MemberStream.h), in the same format.
constexpr int kCompressionLevel = 9;
// The writer's two work buffers start at this size and grow only for a larger member.
constexpr std::uint32_t kWorkBufferSize = 4u * 1024 * 1024;
// Sizes are 32-bit: a member stays below 2 GiB (its compression bound is worked out from the
// size taken as a signed number) and a pack below 4 GiB.
constexpr std::uint64_t kMemberSizeLimit = 0x80000000ull;
constexpr std::uint64_t kPackSizeLimit = 0x100000000ull;
// Deflate expands at most about 1032:1; an uncompressed size beyond this for a member's
// compressed size cannot be genuine.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kMaxInflateSlack = 1032;

// A member is a table, and counts for the checksum, when its lower-cased name holds this.
constexpr char kTableMark[] = ".csv";

// The checksum: seed = creation time + SeedOffset; every integer field of every table member
// adds ChecksumWeights[j] x value (low 32 bits, sign-extended), j running 0..24 and on across
// lines and members. These values are part of the format: every stored pack and every recorded
// catalog value depends on them, so they never change.
//
// All weights are odd, so a change to any one field always changes the sum (an odd factor is
// invertible modulo 2^32), and they differ from one another so that swapped fields show too.
// They are below 1000, so a product of a field up to +-2,153,945 never wraps in 32 bits.
constexpr int kWeightCount = 25;
constexpr std::array<std::int32_t, kWeightCount> ChecksumWeights = {
    101, 883, 409, 157, 733, 271, 971, 347, 613, 211, 827, 463, 139,
    997, 541, 317, 691, 229, 859, 383, 577, 127, 947, 433, 769,
};
constexpr std::uint64_t SeedOffset = 0x5A3C96E1B2D4F087ull;

// Creation times count 100-nanosecond intervals since 1601-01-01 UTC; this is 1970-01-01.
constexpr std::uint64_t kUnixEpochAsCreated = 116444736000000000ull;
constexpr std::uint64_t kCreatedTicksPerMillisecond = 10000;

}  // namespace brisko
