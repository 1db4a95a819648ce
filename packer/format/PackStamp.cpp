#include "PackStamp.h"

namespace brisko {

PackStampRecord PackStamp;

std::uint64_t JoinHalves(std::uint32_t low, std::int32_t high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32 | low;
}

std::uint64_t PackStampRecord::Checksum() const {
    return JoinHalves(checksumLow, checksumHigh);
}

std::uint64_t PackStampRecord::Created() const {
    return static_cast<std::uint64_t>(createdHigh) << 32 | createdLow;
}

void PackStampRecord::SetChecksum(std::uint64_t value) {
    checksumLow = static_cast<std::uint32_t>(value);
    checksumHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32));
}

void PackStampRecord::SetCreated(std::uint64_t value) {
    createdLow = static_cast<std::uint32_t>(value);
    createdHigh = static_cast<std::uint32_t>(value >> 32);
}

}  // namespace brisko
