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
    CloseQuietly(files, fd);
    if (ok) return Status::Ok();
    return Status::Error(Status::READ_FAILED,
                         Format("An unknown error occurred while accessing %1.", path));
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
    } else if (!WriteFully(files, fd, data.data(), data.size()) || files.Close(fd) != 0) {
        status = FileError(Status::WRITE_FAILED, path, errno);
        if (fd >= 0) CloseQuietly(files, fd);
        files.UnlinkAt(folder, leaf);  // no half-written member
    } else if (sum) {
        status = ReadBack(files, folder, leaf, path, data);
        if (status.ok()) sum->Add(data.view());
    }
    if (folder != target) CloseQuietly(files, folder);
    return status;
}

// The target folder, opened: created (one level) when missing, never a link or the root.
Status OpenTarget(FileLayer& files, const std::string& targetPath, int& fd) {
    FileInfo info;
    if (files.LinkStat(targetPath, info) == 0 && info.kind == base::FileKind::LINK) {
        return Status::Error(
            Status::REFUSED,
            Format("The folder %1 is a symbolic link; nothing was extracted into it.", targetPath));
    }
    if (IsRootFolder(targetPath, files)) {
        return Status::Error(
            Status::REFUSED,
            Format("The folder %1 is the root folder; nothing was extracted into it.", targetPath));
    }
    files.MakeFolder(targetPath);  // it may well exist
    fd = files.Open(targetPath, base::kRead | base::kFolder | base::kNoFollow);
    if (fd < 0) return FileError(Status::CANNOT_OPEN, targetPath, errno);
    return Status::Ok();
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
          failures_(count_) {}

    // The first failure in directory order, or OK with the tables added to `state`.
    Status Run(unsigned threads, ChecksumState& state);

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
    std::vector<Status> failures_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
};

void Extraction::Work() {
    Buffer data;
    Buffer compressed;
    for (std::size_t i; !stop_ && (i = next_++) < count_;) {
        const PackEntry& entry = *pack_.GetEntry(static_cast<std::int64_t>(i));
        Status status;
        std::unique_ptr<TableContribution> sum;
        try {
            if (IsTableName(entry.Name())) sum = std::make_unique<TableContribution>();
            status = ExtractMember(pack_, files_, target_, targetPath_, entry, data, compressed,
                                   sum.get());
        } catch (const std::bad_alloc&) {
            status.kind = Status::NO_MEMORY;  // the text is added by the caller
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (!status.ok()) stop_ = true;
        failures_[i] = std::move(status);
        sums_[i] = std::move(sum);
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

}  // namespace

bool CPackFile::ExtractAll(const std::string& targetFolder) {
    error_ = fd_ < 0 ? FileError(Status::READ_FAILED, path_, EBADF) : CheckMemberNames();
    if (!error_.ok()) return false;
    // Windows takes "/" between folders too.
    const bool trailing = targetFolder.back() == kHostSeparator || targetFolder.back() == '/';
    const std::string targetPath = targetFolder.size() > 1 && trailing
                                       ? targetFolder.substr(0, targetFolder.size() - 1)
                                       : targetFolder;
    int target = -1;
    error_ = OpenTarget(files_, targetPath, target);
    if (!error_.ok()) return false;
    // What cannot be removed is overwritten below; a target named by "." or ".." is not emptied.
    if (MayEmptyFolder(targetPath, files_)) {
        const int emptied = files_.OpenAt(target, ".", base::kRead | base::kFolder);
        if (emptied >= 0) DeleteFolderContentsAt(emptied, files_);
    }

    ChecksumState state = StartChecksum(created_);
    try {
        Extraction extraction(*this, files_, target, targetPath);
        error_ = extraction.Run(threads_, state);
    } catch (const std::bad_alloc&) {
        error_.kind = Status::NO_MEMORY;
    }
    CloseQuietly(files_, target);
    if (error_.kind == Status::NO_MEMORY && error_.message.empty()) {
        error_.message = Format("Not enough memory to extract %1.", path_);
    }
    return error_.ok() && state.accumulator == storedChecksum_;
}

}  // namespace brisko
