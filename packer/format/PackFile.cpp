#include "PackFile.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "ByteReader.h"
#include "MemberNames.h"
#include "MemberStream.h"
#include "PackStamp.h"

namespace brisko {
namespace {

Status Damaged(const std::string& path, const std::string& reason) {
    return Status::Error(Status::NOT_A_PACK, Format("%1 is damaged: %2.", path, reason));
}

Status DamagedMember(const std::string& path, const PackEntry& entry, const char* reason) {
    return Status::Error(Status::DAMAGED_MEMBER, Format("The member %1 of %2 is damaged: %3.",
                                                        std::string(entry.Name()), path, reason));
}

Status NoMemory(const std::string& path, const PackEntry& entry) {
    return Status::Error(Status::NO_MEMORY, Format("Not enough memory to read the member %1 of %2.",
                                                   std::string(entry.Name()), path));
}

std::string Number(std::uint64_t n) {
    return std::to_string(n);
}

}  // namespace

CPackFile::CPackFile(FileLayer& files) : files_(files) {}

CPackFile::~CPackFile() {
    Close();
}

void CPackFile::Close() {
    CloseQuietly(files_, fd_);
    entries_.clear();
    entries_.shrink_to_fit();
    storedChecksum_ = created_ = 0;
    trailerOffset_ = 0;
    fileSize_ = 0;
}

bool CPackFile::Fail(Status status) {
    Close();
    error_ = std::move(status);
    return false;
}

const PackEntry* CPackFile::GetEntry(std::int64_t index) const {
    if (index < 0 || static_cast<std::uint64_t>(index) >= entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

bool CPackFile::Open(const std::string& packPath) {
    Close();
    path_ = packPath;
    error_ = Status::Ok();
    fd_ = files_.Open(packPath, base::kRead | base::kPlainFile);
    if (fd_ < 0 && (errno == EINVAL || errno == EISDIR)) {
        return Fail(Status::Error(Status::NOT_A_PACK,
                                  Format("%1 is not a pack: it is not a plain file.", path_)));
    }
    if (fd_ < 0) return Fail(FileError(Status::CANNOT_OPEN, packPath, errno));
    FileInfo info;
    if (files_.StatOpen(fd_, info) != 0) {
        return Fail(FileError(Status::CANNOT_OPEN, packPath, errno));
    }
    Status status;
    try {
        status = LoadDirectory(info.size);
    } catch (const std::bad_alloc&) {
        status = Status::Error(Status::NO_MEMORY, Format("Not enough memory to read %1.", path_));
    }
    if (!status.ok()) return Fail(std::move(status));
    fileSize_ = info.size;
    PackStamp.SetChecksum(storedChecksum_);
    PackStamp.SetCreated(created_);
    return true;
}

// Reads the header, the directory and the trailer word, each only once it is known to lie inside
// the file, so that no field is trusted before it was checked.
Status CPackFile::LoadDirectory(std::uint64_t fileSize) {
    unsigned char header[kHeaderSize];
    if (fileSize < kHeaderSize) {
        return Status::Error(
            Status::NOT_A_PACK,
            Format("%1 is not a pack: it is too short to hold a pack header.", path_));
    }
    if (!ReadFully(files_, fd_, header, sizeof header, 0)) {
        return FileError(Status::READ_FAILED, path_, errno ? errno : EIO);
    }
    ByteReader reader(header, sizeof header);
    const std::uint32_t checksumLow = reader.U32();
    const std::uint32_t createdLow = reader.U32();
    const std::uint32_t count = reader.U32();
    trailerOffset_ = reader.U32();
    const std::uint64_t dataStart = DataAreaStart(count);
    if (dataStart + kWordSize > fileSize) {
        return Damaged(path_, Format("its directory of %1 members runs past the end of the file",
                                     Number(count)));
    }
    if (trailerOffset_ < dataStart || trailerOffset_ + std::uint64_t{kWordSize} > fileSize) {
        return Damaged(path_, Format("its trailer offset %1 lies outside its data area",
                                     Number(trailerOffset_)));
    }
    std::vector<unsigned char> directory(static_cast<std::size_t>(dataStart - kHeaderSize));
    unsigned char trailer[kWordSize];
    if (!ReadFully(files_, fd_, directory.data(), directory.size(), kHeaderSize) ||
        !ReadFully(files_, fd_, trailer, sizeof trailer, trailerOffset_)) {
        return FileError(Status::READ_FAILED, path_, errno ? errno : EIO);
    }
    entries_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        entries_.push_back(DecodeEntry(directory.data() + std::size_t{kEntrySize} * i));
        if (entries_.back().Name().size() == kNameFieldSize) {
            return Damaged(path_, Format("the name of member %1 has no end", Number(i + 1)));
        }
    }
    Status ranges = CheckDataRanges();
    if (!ranges.ok()) return ranges;
    ByteReader createdHigh(directory.data() + directory.size() - kWordSize, kWordSize);
    ByteReader checksumHigh(trailer, kWordSize);
    created_ = std::uint64_t{createdHigh.U32()} << 32 | createdLow;
    storedChecksum_ = std::uint64_t{checksumHigh.U32()} << 32 | checksumLow;
    return Status::Ok();
}

// Every member's bytes lie inside the data area, and no two members share a byte.
Status CPackFile::CheckDataRanges() const {
    const std::uint64_t areaSize = trailerOffset_ - DataAreaStart(entries_.size());
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < entries_.size(); ++i) {
        const PackEntry& e = entries_[i];
        if (std::uint64_t{e.dataOffset} + e.compressedSize > areaSize) {
            return Damaged(
                path_, Format("the data of member %1 lies outside the data area", Number(i + 1)));
        }
        if (e.compressedSize > 0) order.push_back(i);
    }
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return entries_[a].dataOffset < entries_[b].dataOffset ||
               (entries_[a].dataOffset == entries_[b].dataOffset && a < b);
    });
    for (std::size_t k = 1; k < order.size(); ++k) {
        const PackEntry& before = entries_[order[k - 1]];
        if (std::uint64_t{before.dataOffset} + before.compressedSize >
            entries_[order[k]].dataOffset) {
            const auto [a, b] = std::minmax(order[k - 1], order[k]);
            return Damaged(path_, Format("the data of members %1 and %2 overlap", Number(a + 1),
                                         Number(b + 1)));
        }
    }
    return Status::Ok();
}

Status CPackFile::ReadMember(const PackEntry& entry, Buffer& data) const {
    Buffer compressed;
    return ReadMember(entry, data, compressed);
}

Status CPackFile::ReadMember(const PackEntry& entry, Buffer& data, Buffer& compressed) const {
    if (fd_ < 0) return FileError(Status::READ_FAILED, path_, EBADF);
    const std::uint64_t dataStart = DataAreaStart(entries_.size());
    if (dataStart + entry.dataOffset + entry.compressedSize > trailerOffset_) {
        return DamagedMember(path_, entry, "its data lies outside the data area");
    }
    const std::uint64_t most = entry.compressedSize * kMaxInflateRatio + kMaxInflateSlack;
    if (entry.uncompressedSize > most) {
        return DamagedMember(path_, entry, "its recorded size is more than its data can hold");
    }
    try {
        data.Resize(entry.uncompressedSize);
        compressed.Resize(entry.compressedSize);
    } catch (const std::bad_alloc&) {
        return NoMemory(path_, entry);
    }
    if (entry.compressedSize == 0) {
        if (entry.uncompressedSize == 0) return Status::Ok();
        return DamagedMember(path_, entry, "it holds no data");
    }
    if (!ReadFully(files_, fd_, compressed.data(), compressed.size(),
                   dataStart + entry.dataOffset)) {
        return FileError(Status::READ_FAILED, path_, errno ? errno : EIO);
    }
    switch (InflateMember(compressed.data(), compressed.size(), data.data(), data.size())) {
        case InflateResult::OK:
            return Status::Ok();
        case InflateResult::BAD_DATA:
            return DamagedMember(path_, entry, "its data does not inflate");
        case InflateResult::TOO_SHORT:
            return DamagedMember(path_, entry, "its data inflates to less than its recorded size");
        case InflateResult::TOO_LONG:
            return DamagedMember(path_, entry, "its data inflates to more than its recorded size");
        case InflateResult::TRAILING:
            return DamagedMember(path_, entry, "bytes follow the end of its data");
        case InflateResult::NO_MEMORY:
            break;
    }
    return NoMemory(path_, entry);
}

ChecksumResult CPackFile::VerifyChecksum(std::uint64_t expected) {
    error_ = Status::Ok();
    ChecksumState state = StartChecksum(created_);
    Buffer data;
    Buffer compressed;
    for (const PackEntry& entry : entries_) {
        if (!IsTableName(entry.Name())) continue;
        Status status = ReadMember(entry, data, compressed);
        if (!status.ok()) {
            error_ = std::move(status);
            return CHECK_FAILED_ALL;
        }
        TableSum(data.view(), state);
    }
    return CompareChecksums(state.accumulator, storedChecksum_, expected);
}

ChecksumResult CPackFile::VerifyChecksum(std::uint32_t expectedLow, std::int32_t expectedHigh) {
    return VerifyChecksum(std::uint64_t{static_cast<std::uint32_t>(expectedHigh)} << 32 |
                          expectedLow);
}

Status CPackFile::CheckMemberNames() const {
    std::vector<std::string_view> names;
    names.reserve(entries_.size());
    for (const PackEntry& entry : entries_)
        names.push_back(entry.Name());
    const NameClash clash = brisko::CheckMemberNames(names);
    const auto quoted = [&](std::size_t i) { return "\"" + std::string(names[i]) + "\""; };
    switch (clash.kind) {
        case NameClash::NONE:
            return Status::Ok();
        case NameClash::UNSAFE:
            return Status::Error(
                Status::BAD_NAME,
                Format("The pack %1 cannot be extracted safely: the member name %2 %3.", path_,
                       quoted(clash.first), UnsafeNameReason(names[clash.first])));
        case NameClash::SAME_NAME:
            return Status::Error(
                Status::BAD_NAME,
                Format("The pack %1 cannot be extracted safely: the members %2 and %3 would "
                       "overwrite each other.",
                       path_, quoted(clash.first), quoted(clash.second)));
        case NameClash::FILE_AND_FOLDER:
            break;
    }
    return Status::Error(
        Status::BAD_NAME,
        Format("The pack %1 cannot be extracted safely: the member %2 is also the folder of %3.",
               path_, quoted(clash.first), quoted(clash.second)));
}

}  // namespace brisko
