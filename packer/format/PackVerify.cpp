// CPackFile::VerifyMembers: what the checksum does not cover. The checksum sums only the integers
// of the tables, so a member that does not inflate, records swapped between members, or bytes
// added after the trailer all leave it intact; this check finds them.
#include "PackFile.h"

namespace brisko {
namespace {

std::string Number(std::uint64_t n) {
    return std::to_string(n);
}

Status OutOfPlace(const std::string& path, const PackEntry& entry, std::uint64_t expected,
                  bool first) {
    const char* pattern =
        first ? "The member %1 of %2 is out of place: its data starts at %3 in the data area "
                "instead of at 0."
              : "The member %1 of %2 is out of place: its data starts at %3 in the data area "
                "instead of right behind the member before it.";
    std::string text = Format(pattern, std::string(entry.Name()), path, Number(entry.dataOffset));
    if (!first) text.insert(text.size() - 1, " (at " + Number(expected) + ")");
    return Status::Error(Status::DAMAGED_MEMBER, text);
}

Status NoData(const std::string& path, const PackEntry& entry) {
    return Status::Error(Status::DAMAGED_MEMBER,
                         Format("The member %1 of %2 holds no data: its compression failed when "
                                "the pack was written.",
                                std::string(entry.Name()), path));
}

Status PackDamaged(const std::string& path, const std::string& reason) {
    return Status::Error(Status::NOT_A_PACK, Format("%1 is damaged: %2.", path, reason));
}

}  // namespace

std::vector<Status> CPackFile::VerifyMembers() const {
    std::vector<Status> problems;
    Buffer data;
    Buffer compressed;
    // A member is out of place when its data starts neither where the writer puts it (behind the
    // sizes of all members before it) nor right behind the member before it: so a gap, or one
    // record moved, names only the member where the order breaks.
    std::uint64_t total = 0;
    std::uint64_t previousEnd = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const PackEntry& entry = entries_[i];
        if (entry.dataOffset != total && entry.dataOffset != previousEnd) {
            problems.push_back(OutOfPlace(path_, entry, previousEnd, i == 0));
        }
        previousEnd = std::uint64_t{entry.dataOffset} + entry.compressedSize;
        total += entry.compressedSize;
        if (entry.compressedSize == 0) {
            problems.push_back(NoData(path_, entry));
            continue;
        }
        Status status = ReadMember(entry, data, compressed);
        if (!status.ok()) problems.push_back(std::move(status));
    }
    const std::uint64_t end = DataAreaStart(entries_.size()) + total;
    if (trailerOffset_ != end) {
        problems.push_back(
            PackDamaged(path_, Format("its trailer offset is %1, but its members end at %2",
                                      Number(trailerOffset_), Number(end))));
    }
    const std::uint64_t length = std::uint64_t{trailerOffset_} + kWordSize;
    if (fileSize_ > length) {
        problems.push_back(
            PackDamaged(path_, Format("%1 bytes follow its trailer", Number(fileSize_ - length))));
    }
    return problems;
}

}  // namespace brisko
