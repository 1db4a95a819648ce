// CPackFile: an opened pack. Open checks the header and the directory against the file before it
// trusts them, and loads the directory; the members are then read and inflated on demand,
// verified against the pack's checksum, or extracted into a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Buffer.h"
#include "Checksum.h"
#include "ExtractFolder.h"
#include "PackBase.h"
#include "PackEntry.h"

namespace brisko {

struct ExtractOptions {
    // A target folder that holds something is emptied first (the pack creator's way), or
    // refused.
    ExistingFolder existing = ExistingFolder::EMPTY;
    // A failed extraction deletes what it wrote, and the target folder when it created it.
    bool removeOnFailure = false;
};

class CPackFile {
public:
    explicit CPackFile(FileLayer& files = FileLayer::System());
    ~CPackFile();
    CPackFile(const CPackFile&) = delete;
    CPackFile& operator=(const CPackFile&) = delete;

    // Releases what the object held, opens the pack and loads its directory. False when the file
    // cannot be opened or is no intact pack (a header, directory or trailer outside the file, a
    // name without its end, member data outside the data area or overlapping); Error() says
    // which, and the object is left empty. On success PackStamp holds the pack's checksum and
    // creation time, and the file stays open until Close, the next Open or the object's end.
    bool Open(const std::string& packPath);
    void Close();

    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(entries_.size()); }
    // The directory record at `index`, or nullptr when there is none.
    const PackEntry* GetEntry(std::int64_t index) const;

    // The member's uncompressed bytes in `data`. Fails, with `data` undefined, when they cannot
    // be read, or when its data is not one zlib stream of exactly its compressed size that
    // inflates to exactly its uncompressed size. Safe to call from several threads at once.
    Status ReadMember(const PackEntry& entry, Buffer& data) const;
    Status ReadMember(const PackEntry& entry, Buffer& data, Buffer& compressed) const;

    // Recomputes the checksum over the table members and compares it with the pack's stored
    // checksum and with `expected`. A table member that cannot be read gives CHECK_FAILED_ALL and
    // sets Error().
    ChecksumResult VerifyChecksum(std::uint64_t expected);
    ChecksumResult VerifyChecksum(std::uint32_t expectedLow, std::int32_t expectedHigh);

    // Makes `targetFolder` ready under the rules of PrepareExtractFolder (created when missing;
    // emptied first, or refused when it holds anything, as `options` say; never a link, the
    // root, or a folder holding this pack) and writes every member into it under its relative
    // path; true when the tables written give the stored checksum. False with Error() set when
    // the pack cannot be extracted safely or the folder is refused (nothing is touched), the
    // folder cannot be made ready, or a member cannot be read or written (the members written
    // so far stay unless `options` say otherwise). A member without data (compressed size 0) is
    // passed over: every other member is written, and Error() names each such member
    // (DAMAGED_MEMBER). False with Error() OK means the checksum did not match.
    bool ExtractAll(const std::string& targetFolder, const ExtractOptions& options = {});

    // The strict check of a pack: every member inflates to exactly its recorded size, and the
    // layout is the one the writer gives (data offsets back to back in directory order from 0,
    // the trailer right behind the last member, the file ending right behind the trailer). One
    // problem per entry, each naming its member (or the pack); empty for a sound pack.
    std::vector<Status> VerifyMembers() const;

    // Whether every member can be written below a folder: names that are safe and distinct
    // regardless of letter case. ExtractAll checks this before it touches the target.
    Status CheckMemberNames() const;

    // Threads that ExtractAll uses; 0 (the default) means one per core.
    void SetThreads(unsigned threads) { threads_ = threads; }

    // The outcome of the last Open, VerifyChecksum or ExtractAll that failed (OK otherwise).
    const Status& Error() const { return error_; }

    // What Open read: the pack's stored checksum and creation time, its trailer offset T.
    const std::string& Path() const { return path_; }
    std::uint64_t StoredChecksum() const { return storedChecksum_; }
    std::uint64_t Created() const { return created_; }
    std::uint32_t TrailerOffset() const { return trailerOffset_; }
    std::uint64_t FileSize() const { return fileSize_; }

private:
    bool Fail(Status status);
    Status LoadDirectory(std::uint64_t fileSize);
    Status CheckDataRanges() const;
    void RemoveExtracted(const ExtractFolder& target);

    FileLayer& files_;
    int fd_ = -1;
    std::string path_;
    std::vector<PackEntry> entries_;
    std::uint64_t storedChecksum_ = 0;
    std::uint64_t created_ = 0;
    std::uint32_t trailerOffset_ = 0;
    std::uint64_t fileSize_ = 0;
    unsigned threads_ = 0;
    Status error_;
};

}  // namespace brisko
