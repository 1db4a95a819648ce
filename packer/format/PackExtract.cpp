// CPackFile::ExtractAll: writes every member below a target folder, on several threads, and
// checks the tables written against the pack's checksum. Nothing is written outside the target:
// the whole directory is checked first, folders are opened level by level without following
// links, and a member replaces a leftover file instead of writing through it.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "ExtractFolder.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"

namespace brisko {
namespace {

// Opens (creating as needed) the folders of `relative` below `target`, one level at a time, never
// through a link. Gives the descriptor of the innermost folder (or `target` itself, not to be
// closed) and sets `leaf` to the file's own name.
Status OpenMemberFolder(FileLayer& files, int target, const std::string& targetPath,
                        const std::string& relative, int& folder, std::string& leaf) {
    folder = target;
    std::size_t start = 0;
    for (std::size_t cut = relative.find(kHostSeparator); cut != std::string::npos;
         cut = relative.find(kHostSeparator, start)) {
        const std::string level = relative.substr(start, cut - start);
        const std::string shown = AsFolder(targetPath) + relative.substr(0, cut);
        if (files.MakeFolderAt(folder, level) != 0 && errno != EEXIST) {
            const int error = errno;
            if (folder != target) CloseQuietly(files, folder);
            return FileError(Status::CANNOT_OPEN, shown, error);
        }
        const int next = files.OpenAt(folder, level, base::kRead | base::kFolder | base::kNoFollow);
        const int error = errno;
        if (folder != target) CloseQuietly(files, folder);
        if (next < 0) return FileError(Status::CANNOT_OPEN, shown, error);
        folder = next;
        start = cut + 1;
    }
    leaf = relative.substr(start);
    return Status::Ok();
}

// Creates the member file anew: a leftover file of that name is removed first, so that a hard
// link or a link in the target can never be written through.
int CreateMemberFile(FileLayer& files, int folder, const std::string& leaf) {
    const unsigned flags = base::kWrite | base::kCreate | base::kExclusive | base::kNoFollow;
    int fd = files.OpenAt(folder, leaf, flags);
    if (fd < 0 && errno == EEXIST && files.UnlinkAt(folder, leaf) == 0) {
        fd = files.OpenAt(folder, leaf, flags);
    }
    return fd;
}

// Writes the member's bytes and closes the file, once whatever happens: after a failed close
// the descriptor may already belong to another thread's file.
bool WriteMember(FileLayer& files, int fd, const Buffer& data) {
    if (!WriteFully(files, fd, data.data(), data.size())) {
        CloseQuietly(files, fd);
        return false;
    }
    return files.Close(fd) == 0;
}

// Reads back a member file just written, for the checksum of what is on disk.
Status ReadBack(FileLayer& files, int folder, const std::string& leaf, const std::string& path,
                Buffer& data) {
    int fd = files.OpenAt(folder, leaf, base::kRead | base::kNoFollow | base::kPlainFile);
    if (fd < 0) return FileError(Status::CANNOT_OPEN, path, errno);
    FileInfo info;
    bool ok = files.StatOpen(fd, info) == 0;
    if (ok) {
        data.Resize(static_cast<std::size_t>(info.size));
        ok = ReadFully(files, fd, data.data(), data.size());
    }
    const int error = errno;
    CloseQuietly(files, fd);
    if (ok) return Status::Ok();
    return FileError(Status::READ_FAILED, path, error ? error : EIO);
}

// One member: read and inflate it, write it, and for a table read it back and sum it.
Status ExtractMember(const CPackFile& pack, FileLayer& files, int target,
                     const std::string& targetPath, const PackEntry& entry, Buffer& data,
                     Buffer& compressed, TableContribution* sum) {
    Status status = pack.ReadMember(entry, data, compressed);
    if (!status.ok()) return status;
    const std::string relative = MemberToHost(entry.Name());
    const std::string path = AsFolder(targetPath) + relative;
    int folder = -1;
    std::string leaf;
    status = OpenMemberFolder(files, target, targetPath, relative, folder, leaf);
    if (!status.ok()) return status;
    int fd = CreateMemberFile(files, folder, leaf);
    if (fd < 0) {
        status = FileError(Status::CANNOT_OPEN, path, errno);
    } else if (!WriteMember(files, fd, data)) {
        status = FileError(Status::WRITE_FAILED, path, errno);
        files.UnlinkAt(folder, leaf);  // no half-written member
    } else if (sum) {
        status = ReadBack(files, folder, leaf, path, data);
        if (status.ok()) sum->Add(data.view());
    }
    if (folder != target) CloseQuietly(files, folder);
    return status;
}

// Extracts the members on several threads, which take them in directory order; the calling thread
// adds their tables to the checksum in that order as they come in.
class Extraction {
public:
    Extraction(const CPackFile& pack, FileLayer& files, int target, const std::string& targetPath)
        : pack_(pack),
          files_(files),
          target_(target),
          targetPath_(targetPath),
          count_(pack.GetCount()),
          sums_(count_),
          done_(count_, 0),
          skipped_(count_, 0),
          failures_(count_) {}

    // The first failure in directory order, or OK with the tables added to `state`.
    Status Run(unsigned threads, ChecksumState& state);
    // The members passed over because they hold no data, or OK.
    Status Skipped() const;

private:
    void Work();
    void SumInOrder(ChecksumState& state);

    const CPackFile& pack_;
    FileLayer& files_;
    const int target_;
    const std::string& targetPath_;
    const std::size_t count_;
    std::vector<std::unique_ptr<TableContribution>> sums_;
    std::vector<char> done_;
    std::vector<char> skipped_;
    std::vector<Status> failures_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
};

// A member without data (its compression failed when the pack was written) is passed over, so
// that every other member is still written; the others stop the extraction at their failure.
bool HoldsNoData(const PackEntry& entry) {
    return entry.compressedSize == 0 && entry.uncompressedSize > 0;
}

Status NoMemoryFor(const PackEntry& entry, const std::string& packPath) {
    return Status::Error(Status::NO_MEMORY, Format("Not enough memory to extract %1 from %2.",
                                                   std::string(entry.Name()), packPath));
}

void Extraction::Work() {
    Buffer data;
    Buffer compressed;
    for (std::size_t i; !stop_ && (i = next_++) < count_;) {
        const PackEntry& entry = *pack_.GetEntry(static_cast<std::int64_t>(i));
        Status status;
        std::unique_ptr<TableContribution> sum;
        const bool skip = HoldsNoData(entry);
        try {
            if (!skip && IsTableName(entry.Name())) sum = std::make_unique<TableContribution>();
            if (!skip) {
                status = ExtractMember(pack_, files_, target_, targetPath_, entry, data, compressed,
                                       sum.get());
            }
        } catch (const std::bad_alloc&) {
            data.Release();
            compressed.Release();
            status = NoMemoryFor(entry, pack_.Path());
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (!status.ok()) stop_ = true;
        failures_[i] = std::move(status);
        sums_[i] = std::move(sum);
        skipped_[i] = skip;
        done_[i] = 1;
        finished_.notify_all();
    }
}

void Extraction::SumInOrder(ChecksumState& state) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < count_; ++i) {
        finished_.wait(lock, [&] { return done_[i] || stop_; });
        if (stop_) return;  // a failure: no checksum to tell
        if (sums_[i]) sums_[i]->ApplyTo(state);
        sums_[i].reset();
    }
}

Status Extraction::Run(unsigned threads, ChecksumState& state) {
    if (threads == 0) threads = std::thread::hardware_concurrency();
    threads = static_cast<unsigned>(
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(count_, 1)));
    std::vector<std::thread> workers;
    for (unsigned k = 0; k < threads; ++k) {
        try {
            workers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;
        }
    }
    if (workers.empty()) Work();
    SumInOrder(state);
    for (std::thread& worker : workers)
        worker.join();
    for (Status& failure : failures_) {
        if (!failure.ok()) return std::move(failure);
    }
    return Status::Ok();
}

// One line per member that held no data.
Status Extraction::Skipped() const {
    std::string text;
    for (std::size_t i = 0; i < count_; ++i) {
        if (!skipped_[i]) continue;
        if (!text.empty()) text += '\n';
        text += Format(
            "The member %1 of %2 holds no data: its compression failed when the pack "
            "was written.",
            std::string(pack_.GetEntry(static_cast<std::int64_t>(i))->Name()), pack_.Path());
    }
    return text.empty() ? Status::Ok() : Status::Error(Status::DAMAGED_MEMBER, text);
}

}  // namespace

bool CPackFile::ExtractAll(const std::string& targetFolder, const ExtractOptions& options) {
    error_ = fd_ < 0 ? FileError(Status::READ_FAILED, path_, EBADF) : CheckMemberNames();
    if (!error_.ok()) return false;
    ExtractFolder target;
    error_ = PrepareExtractFolder(targetFolder, path_, options.existing, files_, target);
    if (!error_.ok()) return false;

    ChecksumState state = StartChecksum(created_);
    Status skipped;
    try {
        Extraction extraction(*this, files_, target.fd, target.path);
        error_ = extraction.Run(threads_, state);
        if (error_.ok()) skipped = extraction.Skipped();
    } catch (const std::bad_alloc&) {
        error_ =
            Status::Error(Status::NO_MEMORY, Format("Not enough memory to extract %1.", path_));
    }
    if (!error_.ok() && options.removeOnFailure) RemoveExtracted(target);
    CloseQuietly(files_, target.fd);
    if (!error_.ok()) return false;
    error_ = std::move(skipped);
    return error_.ok() && state.accumulator == storedChecksum_;
}

// Deletes what a failed extraction wrote, and the target itself when it created it.
void CPackFile::RemoveExtracted(const ExtractFolder& target) {
    const int emptied = files_.OpenAt(target.fd, ".", base::kRead | base::kFolder);
    const bool empty = emptied >= 0 && EmptyOpenFolder(emptied, target.path, files_);
    if (!empty || !target.created) return;
    std::size_t start = target.path.size();  // of its own name
    while (start > 0 && !IsHostSeparator(target.path[start - 1]))
        --start;
    const std::string parent = start == 0 ? "." : target.path.substr(0, start);
    const std::string name = target.path.substr(start);
    int parentFd = files_.Open(parent, base::kRead | base::kFolder);
    if (parentFd < 0) return;
    files_.UnlinkAt(parentFd, name, true);
    CloseQuietly(files_, parentFd);
}

}  // namespace brisko
