// The pack checksum: a 64-bit sum, seeded with the pack's creation time, over the integer fields
// of its table members. Each field adds ChecksumWeights[j] x value (the low 32 bits of the
// product, sign-extended); j runs over 0..24 and on across lines and table members.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "PackFormat.h"

namespace brisko {

// The outcomes of a checksum verification. The values are fixed.
enum ChecksumResult {
    CHECK_FAILED_ALL = 0,
    CHECK_MATCHED_FILE = 1,
    CHECK_MATCHED_VALUE = 2,
    CHECK_MATCHED_BOTH = 3,
};

// The text the user sees for each result ("Check failed all." for anything unknown).
const char* ChecksumResultText(int result);

// The result for a recomputed checksum, the checksum stored in the pack and the expected value.
ChecksumResult CompareChecksums(std::uint64_t computed, std::uint64_t stored,
                                std::uint64_t expected);

// True when a member counts as a table: its lower-cased name holds ".csv" anywhere.
bool IsTableName(std::string_view name);

// The running sum of one operation (one pack written, verified or extracted).
struct ChecksumState {
    std::uint64_t accumulator = 0;
    int weightIndex = 0;
};

// creation time + SeedOffset, modulo 2^64.
std::uint64_t ChecksumSeed(std::uint64_t created);
inline ChecksumState StartChecksum(std::uint64_t created) {
    return {ChecksumSeed(created), 0};
}

// Cuts the next line off the front of `source` into `line`, without its line end (LF, or CR LF;
// a CR not followed by LF stays in the line). Returns the line's length, or -1 when `source` is
// used up. The last line may end without LF.
std::ptrdiff_t ReadMemLine(std::string_view& source, std::string_view& line);

// Sets `value` to the leading integer of `line` (white space skipped, one optional sign, decimal
// digits wrapping in 32 bits; 0 when there are none), then cuts `line` after its first
// `separator`, or empties it when there is none or it is the last character. Returns `value`.
std::int32_t TakeIntField(std::string_view& line, char separator, std::int32_t& value);

// Feeds one table member's text, line by line and field by field.
void TableSum(std::string_view text, ChecksumState& state);

// What one table member adds to the checksum, worked out without knowing the weight index it
// will start at, so that members can be summed in any order or on several threads and then
// applied in member order. Applying gives exactly what TableSum gives.
class TableContribution {
public:
    // Feeds (more of) the member's text; a piece must end at a line end or at the member's end.
    void Add(std::string_view text);
    void ApplyTo(ChecksumState& state) const;

private:
    void AddWrapping(std::int32_t value);

    // Fields whose product never wraps add linearly: their sum per position modulo 25.
    std::array<std::uint64_t, kWeightCount> fieldSums_{};
    // Fields whose product may wrap, summed for every starting weight index.
    std::array<std::uint64_t, kWeightCount> wrappedSums_{};
    int fieldIndex_ = 0;  // fields seen so far, modulo 25
};

}  // namespace brisko
