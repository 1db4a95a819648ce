#include "PackEntry.h"

#include <cstring>

#include "ByteReader.h"

namespace brisko {

std::string_view PackEntry::Name() const {
    const void* end = std::memchr(name, 0, sizeof name);
    return std::string_view(name, end ? static_cast<const char*>(end) - name : sizeof name);
}

bool PackEntry::SetName(std::string_view text) {
    std::memset(name, 0, sizeof name);
    if (text.size() > kMaxNameLength || text.find('\0') != std::string_view::npos) return false;
    std::memcpy(name, text.data(), text.size());
    return true;
}

void EncodeEntry(const PackEntry& entry, unsigned char* to) {
    std::memcpy(to, entry.name, kNameFieldSize);
    PutU32(to + kEntryCompressedSizeOffset, entry.compressedSize);
    PutU32(to + kEntryDataOffsetOffset, entry.dataOffset);
    PutU32(to + kEntryUncompressedSizeOffset, entry.uncompressedSize);
}

PackEntry DecodeEntry(const unsigned char* from) {
    PackEntry entry;
    ByteReader reader(from, kEntrySize);
    reader.Bytes(entry.name, kNameFieldSize);
    entry.compressedSize = reader.U32();
    entry.dataOffset = reader.U32();
    entry.uncompressedSize = reader.U32();
    return entry;
}

}  // namespace brisko
