#include "PackWriter.h"

#include <cerrno>
#include <chrono>
#include <new>

#include "ByteReader.h"
#include "Checksum.h"
#include "HostPath.h"
#include "MemberCompressor.h"
#include "MemberNames.h"
#include "PackBase.h"
#include "PackEntry.h"
#include "PackFormat.h"
#include "PackStamp.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;

Status BadName(const std::string& message) {
    return Status::Error(Status::BAD_NAME, message);
}

// Every name fits the name field and can be extracted again without clashing with another.
Status CheckNames(const NameList& names, const std::string& baseFolder) {
    std::vector<std::string_view> views(names.begin(), names.end());
    for (const std::string& name : names) {
        PackEntry probe;
        if (!probe.SetName(name)) {
            return BadName(
                Format("The name %1 is too long for a pack: member names have at most "
                       "259 characters.",
                       HostJoin(baseFolder, name)));
        }
    }
    const NameClash clash = CheckMemberNames(views);
    const auto source = [&](std::size_t i) { return HostJoin(baseFolder, names[i]); };
    switch (clash.kind) {
        case NameClash::NONE:
            return Status::Ok();
        case NameClash::UNSAFE:
            return BadName(Format("The name \"%1\" cannot be packed: it %2.", names[clash.first],
                                  UnsafeNameReason(names[clash.first])));
        case NameClash::SAME_NAME:
            return BadName(Format("%1 and %2 differ only in letter case; a pack cannot hold both.",
                                  source(clash.first), source(clash.second)));
        case NameClash::FILE_AND_FOLDER:
            break;
    }
    return BadName(Format("%1 has the name of the folder of %2; a pack cannot hold both.",
                          source(clash.first), source(clash.second)));
}

// The directory as far as it is known before compressing: names and uncompressed sizes. Each
// member file must exist, be a plain file and stay below 2 GiB.
Status BuildDirectory(FileLayer& files, const NameList& names, const std::string& baseFolder,
                      std::vector<PackEntry>& entries, std::vector<MemberJob>& jobs) {
    entries.resize(names.size());
    jobs.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        MemberJob& job = jobs[i];
        job.sourcePath = SourcePath(baseFolder, names[i], files);
        FileInfo info;
        if (files.Stat(job.sourcePath, info) != 0) {
            return FileError(Status::CANNOT_OPEN, job.sourcePath, errno);
        }
        if (!info.IsFile()) {
            return Status::Error(Status::CANNOT_OPEN,
                                 Format("%1 is not a file that can be packed.", job.sourcePath));
        }
        if (info.size >= kMemberSizeLimit) {
            return Status::Error(
                Status::TOO_LARGE,
                Format("%1 is too large for a pack: a member must stay below 2 GiB.",
                       job.sourcePath));
        }
        job.size = static_cast<std::uint32_t>(info.size);
        job.table = IsTableName(names[i]);
        entries[i].SetName(names[i]);
        entries[i].uncompressedSize = job.size;
    }
    return Status::Ok();
}

// Header, directory and created-high word: provisional at first, final at the end.
std::vector<unsigned char> EncodeHead(std::uint64_t checksum, std::uint64_t created,
                                      std::uint32_t trailer,
                                      const std::vector<PackEntry>& entries) {
    std::vector<unsigned char> head(DataAreaStart(entries.size()));
    PutU32(&head[kChecksumLowOffset], static_cast<std::uint32_t>(checksum));
    PutU32(&head[kCreatedLowOffset], static_cast<std::uint32_t>(created));
    PutU32(&head[kMemberCountOffset], static_cast<std::uint32_t>(entries.size()));
    PutU32(&head[kTrailerOffsetOffset], trailer);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EncodeEntry(entries[i], &head[kHeaderSize + kEntrySize * i]);
    }
    PutU32(&head[DirectoryEnd(entries.size())], static_cast<std::uint32_t>(created >> 32));
    return head;
}

Status WriteError(const std::string& packPath, const AtomicFile& file) {
    return FileError(Status::WRITE_FAILED, packPath, file.Error());
}

Status TooLarge(const std::string& packPath) {
    return Status::Error(
        Status::TOO_LARGE,
        Format("The pack %1 would reach 4 GiB; a pack must stay below 4 GiB.", packPath));
}

class PackWrite {
public:
    PackWrite(const NameList& names, const std::string& packPath, const std::string& baseFolder,
              const PackWriteOptions& options, PackWritten* written)
        : names_(names),
          packPath_(packPath),
          baseFolder_(baseFolder),
          options_(options),
          files_(options.files ? *options.files : FileLayer::System()),
          file_(files_, packPath),
          written_(written) {}

    Status Run();

private:
    Status Append(std::size_t index, CompressedMember& member);
    Status Finish();

    const NameList& names_;
    const std::string& packPath_;
    const std::string& baseFolder_;
    const PackWriteOptions& options_;
    FileLayer& files_;
    AtomicFile file_;
    std::vector<PackEntry> entries_;
    std::vector<MemberJob> jobs_;
    std::uint64_t created_ = 0;
    ChecksumState checksum_;
    double writing_ = 0;
    PackWritten* written_;
};

Status PackWrite::Run() {
    if (names_.empty()) {
        return Status::Error(Status::NOTHING_TO_PACK,
                             Format("There are no files to pack into %1.", packPath_));
    }
    Status status = CheckNames(names_, baseFolder_);
    if (status.ok()) status = BuildDirectory(files_, names_, baseFolder_, entries_, jobs_);
    if (!status.ok()) return status;
    if (DataAreaStart(entries_.size()) + kWordSize >= options_.packSizeLimit) {
        return TooLarge(packPath_);
    }

    created_ = options_.created ? options_.created : CurrentCreatedTime();
    if (!file_.Create()) return FileError(Status::CANNOT_OPEN, packPath_, file_.Error());
    checksum_ = StartChecksum(created_);

    // The provisional directory: sizes as they are on disk, offsets as if nothing compressed.
    std::uint32_t offset = 0;
    for (PackEntry& entry : entries_) {
        entry.compressedSize = entry.uncompressedSize;
        entry.dataOffset = offset;
        offset += entry.uncompressedSize;
    }
    const std::vector<unsigned char> head =
        EncodeHead(checksum_.accumulator, created_, 0, entries_);
    if (!file_.Write(head.data(), head.size())) return WriteError(packPath_, file_);

    CompressOptions compress;
    compress.threads = options_.threads;
    compress.pendingLimit = options_.pendingLimit;
    compress.files = &files_;
    compress.packPath = packPath_;
    compress.classic = options_.zlib;
    compress.cache = options_.cache;
    compress.cacheUser = options_.cacheUser;
    CompressTimes times;
    status = CompressInOrder(
        jobs_, compress,
        [this](std::size_t index, CompressedMember& member) { return Append(index, member); },
        &times);
    if (status.ok()) status = Finish();
    if (options_.timings) {
        options_.timings->reading = times.reading;
        options_.timings->compressing = times.compressing;
        options_.timings->checksum = times.checksum;
        options_.timings->writing = writing_;
    }
    return status;
}

// Appends one compressed member behind the one before it and adds its table to the checksum.
Status PackWrite::Append(std::size_t index, CompressedMember& member) {
    Clock::time_point start = Clock::now();
    PackEntry& entry = entries_[index];
    entry.compressedSize = static_cast<std::uint32_t>(member.bytes.size());
    entry.dataOffset =
        index == 0 ? 0 : entries_[index - 1].dataOffset + entries_[index - 1].compressedSize;
    if (file_.Position() + member.bytes.size() + kWordSize >= options_.packSizeLimit) {
        return TooLarge(packPath_);
    }
    if (!file_.Write(member.bytes.data(), member.bytes.size())) {
        return WriteError(packPath_, file_);
    }
    if (jobs_[index].table) member.sum.ApplyTo(checksum_);
    writing_ += std::chrono::duration<double>(Clock::now() - start).count();
    if (options_.progress) options_.progress(index + 1, entries_.size());
    return Status::Ok();
}

// The checksum's high half at T, then the final header and directory over the provisional ones.
Status PackWrite::Finish() {
    const std::uint32_t trailer = static_cast<std::uint32_t>(file_.Position());
    unsigned char high[kWordSize];
    PutU32(high, static_cast<std::uint32_t>(checksum_.accumulator >> 32));
    const std::vector<unsigned char> head =
        EncodeHead(checksum_.accumulator, created_, trailer, entries_);
    if (!file_.Write(high, sizeof high) || !file_.WriteAt(head.data(), head.size(), 0) ||
        !file_.Commit()) {
        return WriteError(packPath_, file_);
    }
    // Only a complete pack gives its values.
    PackStamp.SetChecksum(checksum_.accumulator);
    PackStamp.SetCreated(created_);
    if (written_) {
        written_->checksum = checksum_.accumulator;
        written_->created = created_;
        written_->members = static_cast<std::uint32_t>(entries_.size());
        written_->uncompressedBytes = 0;
        for (const PackEntry& entry : entries_)
            written_->uncompressedBytes += entry.uncompressedSize;
        written_->packBytes = trailer + std::uint64_t{kWordSize};
    }
    return Status::Ok();
}

}  // namespace

std::uint64_t CurrentCreatedTime() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return kUnixEpochAsCreated + static_cast<std::uint64_t>(ms) * kCreatedTicksPerMillisecond;
}

Status WritePackFile(const NameList& names, const std::string& packPath,
                     const std::string& baseFolder, const PackWriteOptions& options,
                     PackWritten* written) {
    const Clock::time_point start = Clock::now();
    Status status;
    try {
        PackWrite write(names, packPath, baseFolder, options, written);
        status = write.Run();
    } catch (const std::bad_alloc&) {
        status =
            Status::Error(Status::NO_MEMORY, Format("Not enough memory to write %1.", packPath));
    }
    if (options.timings) {
        options.timings->total = std::chrono::duration<double>(Clock::now() - start).count();
    }
    return status;
}

}  // namespace brisko
