#include "Checksum.h"

#include <cstring>

namespace brisko {
namespace {

// The largest field whose product with every weight stays inside 32 signed bits.
constexpr std::int32_t MaxLinearField() {
    std::int32_t largest = 0;
    for (std::int32_t weight : ChecksumWeights)
        largest = weight > largest ? weight : largest;
    return static_cast<std::int32_t>(0x7FFFFFFF / largest);
}
constexpr std::int32_t kMaxLinearField = MaxLinearField();

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The low 32 bits of weight x value, as a signed number widened to 64 bits.
std::uint64_t WeightedField(std::int32_t weight, std::int32_t value) {
    const std::uint32_t product =
        static_cast<std::uint32_t>(weight) * static_cast<std::uint32_t>(value);
    return static_cast<std::uint64_t>(
        static_cast<std::int64_t>(static_cast<std::int32_t>(product)));
}

// The leading integer of [p, end); `p` is left after the digits.
std::int32_t LeadingInt(const char*& p, const char* end) {
    while (p < end && IsBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    std::uint32_t value = 0;
    while (p < end && static_cast<unsigned char>(*p - '0') < 10) {
        value = value * 10 + static_cast<std::uint32_t>(*p++ - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

// The value of the `count` (1 to 8) decimal digits at the low end of `digits` (bytes already less
// '0', first digit lowest), eight at a time.
std::uint32_t DigitsValue(std::uint64_t digits, int count) {
    std::uint64_t v = (digits << (8 * (8 - count))) & 0x0F0F0F0F0F0F0F0Full;
    v = (v * 2561) >> 8 & 0x00FF00FF00FF00FFull;
    v = (v * 6553601) >> 16 & 0x0000FFFF0000FFFFull;
    return static_cast<std::uint32_t>((v * 42949672960001ull) >> 32);
}

// How many of the 8 bytes at `p` are decimal digits before the first that is not; `digits` gets
// the bytes less '0'. A borrow or carry only reaches bytes after the first non-digit.
int LeadingDigits(const char* p, std::uint64_t& digits) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    digits = bytes - 0x3030303030303030ull;
    const std::uint64_t nonDigits =
        (digits | (digits + 0x7676767676767676ull)) & 0x8080808080808080ull;
    return nonDigits ? __builtin_ctzll(nonDigits) / 8 : 8;
}

// LeadingInt for the bulk of a table, reading the digits eight at a time when eight bytes can be
// read (`limit` is the end of the whole text; the line's own end is a CR or LF, no digit, or
// `limit` itself). Gives exactly what LeadingInt gives.
std::int32_t LeadingIntFast(const char*& p, const char* end, const char* limit) {
    while (p < end && IsBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    std::uint32_t value = 0;
    if (limit - p >= 8) {
        std::uint64_t digits;
        const int count = LeadingDigits(p, digits);
        if (count > 0) value = DigitsValue(digits, count);
        p += count;
        if (count < 8) return static_cast<std::int32_t>(negative ? 0u - value : value);
    }
    while (p < end && static_cast<unsigned char>(*p - '0') < 10) {
        value = value * 10 + static_cast<std::uint32_t>(*p++ - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace

const char* ChecksumResultText(int result) {
    switch (result) {
        case CHECK_MATCHED_BOTH:
            return "Check matched file and passed in value.";
        case CHECK_MATCHED_FILE:
            return "Check matched file, but not passed in value.";
        case CHECK_MATCHED_VALUE:
            return "Check matched passed in value, but not file.";
        default:
            return "Check failed all.";
    }
}

ChecksumResult CompareChecksums(std::uint64_t computed, std::uint64_t stored,
                                std::uint64_t expected) {
    const bool fileMatch = computed == stored;
    if (stored == expected) return fileMatch ? CHECK_MATCHED_BOTH : CHECK_FAILED_ALL;
    if (fileMatch) return CHECK_MATCHED_FILE;
    return computed == expected ? CHECK_MATCHED_VALUE : CHECK_FAILED_ALL;
}

bool IsTableName(std::string_view name) {
    for (std::size_t i = 0; i + 4 <= name.size(); ++i) {
        if (name[i] == '.' && (name[i + 1] | 0x20) == 'c' && (name[i + 2] | 0x20) == 's' &&
            (name[i + 3] | 0x20) == 'v') {
            return true;
        }
    }
    return false;
}

std::uint64_t ChecksumSeed(std::uint64_t created) {
    return created + SeedOffset;
}

std::ptrdiff_t ReadMemLine(std::string_view& source, std::string_view& line) {
    if (source.empty()) return -1;
    const std::size_t lf = source.find('\n');
    if (lf == std::string_view::npos) {
        line = source;
        source = {};
    } else {
        line = source.substr(0, lf > 0 && source[lf - 1] == '\r' ? lf - 1 : lf);
        source.remove_prefix(lf + 1);
    }
    return static_cast<std::ptrdiff_t>(line.size());
}

std::int32_t TakeIntField(std::string_view& line, char separator, std::int32_t& value) {
    const char* p = line.data();
    value = LeadingInt(p, line.data() + line.size());
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos || at + 1 == line.size()) {
        line = {};
    } else {
        line.remove_prefix(at + 1);
    }
    return value;
}

void TableSum(std::string_view text, ChecksumState& state) {
    std::string_view line;
    while (ReadMemLine(text, line) >= 0) {
        while (!line.empty()) {
            std::int32_t value = 0;
            TakeIntField(line, ',', value);
            state.accumulator += WeightedField(ChecksumWeights[state.weightIndex], value);
            state.weightIndex = state.weightIndex + 1 == kWeightCount ? 0 : state.weightIndex + 1;
        }
    }
}

void TableContribution::AddWrapping(std::int32_t value) {
    for (int start = 0; start < kWeightCount; ++start) {
        const int j = (start + fieldIndex_) % kWeightCount;
        wrappedSums_[start] += WeightedField(ChecksumWeights[j], value);
    }
}

// The high bit of each byte of `word` that equals the byte repeated in `pattern`, and no other.
std::uint64_t BytesEqual(std::uint64_t word, std::uint64_t pattern) {
    const std::uint64_t x = word ^ pattern;
    const std::uint64_t y = (x & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full;
    return ~(y | x | 0x7F7F7F7F7F7F7F7Full);
}

// The same cutting as ReadMemLine and TakeIntField, found from the separators: every piece of a
// line that ends at a comma is a field, and the piece that ends the line is one unless it is
// empty (without the CR before its LF). The commas and line feeds are found eight bytes at a time.
// The sums and the index stay in locals while the bytes are read (the compiler cannot keep members
// in registers across stores that a char pointer might alias).
void TableContribution::Add(std::string_view text) {
    std::array<std::uint64_t, kWeightCount> sums = fieldSums_;
    int index = fieldIndex_;
    const char* const end = text.data() + text.size();
    const auto field = [&](const char* q, const char* fieldEnd) {
        std::int32_t value;
        std::uint64_t digits;
        int count;
        // Most fields are a plain number: read its digits at once.
        if (q < fieldEnd && static_cast<unsigned char>(*q - '0') < 10 && end - q >= 8 &&
            (count = LeadingDigits(q, digits)) < 8) {
            value = static_cast<std::int32_t>(DigitsValue(digits, count));
        } else {
            value = LeadingIntFast(q, fieldEnd, end);
        }
        if (value >= -kMaxLinearField && value <= kMaxLinearField) {
            sums[index] += static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
        } else {
            fieldIndex_ = index;
            AddWrapping(value);
        }
        index = index + 1 == kWeightCount ? 0 : index + 1;
    };
    const char* start = text.data();  // where the current piece begins
    const auto separator = [&](const char* at) {
        if (*at == ',') {
            field(start, at);
        } else {
            const char* lineEnd = at > start && at[-1] == '\r' ? at - 1 : at;
            if (lineEnd > start) field(start, lineEnd);
        }
        start = at + 1;
    };
    const char* p = text.data();
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        std::uint64_t found =
            BytesEqual(word, 0x2C2C2C2C2C2C2C2Cull) | BytesEqual(word, 0x0A0A0A0A0A0A0A0Aull);
        for (; found; found &= found - 1)
            separator(p + __builtin_ctzll(found) / 8);
    }
    for (; p < end; ++p) {
        if (*p == ',' || *p == '\n') separator(p);
    }
    if (start < end) field(start, end);  // the last line, without a line end
    fieldSums_ = sums;
    fieldIndex_ = index;
}

void TableContribution::ApplyTo(ChecksumState& state) const {
    const int start = state.weightIndex;
    std::uint64_t sum = wrappedSums_[start];
    for (int c = 0; c < kWeightCount; ++c) {
        sum +=
            static_cast<std::uint64_t>(ChecksumWeights[(start + c) % kWeightCount]) * fieldSums_[c];
    }
    state.accumulator += sum;
    state.weightIndex = (start + fieldIndex_) % kWeightCount;
}

}  // namespace brisko
