// CPackFile::ExtractAll: writes every member below a target folder, on several threads, and
// checks the tables written against the pack's checksum. Nothing is written outside the target:
// the whole directory is checked first, folders are opened level by level without following
// links, and a member replaces a leftover file instead of writing through it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
PackStatus OpenMemberFolder(FileLayer& files, int target, const std::string& targetPath,
                            const std::string& relative, int& folder, std::string& leaf) {
    folder = target;
    std::size_t start = 0;
    for (std::size_t cut = relative.find(kHostSeparator); cut != std::string::npos;
         cut = relative.find(kHostSeparator, start)) {
        const std::string level = relative.substr(start, cut - start);
        const std::string shown = AsFolder(targetPath) + relative.substr(0, cut);
        if (files.MkdirAt(folder, level.c_str(), 0777) != 0 && errno != EEXIST) {
            const int error = errno;
            if (folder != target) CloseQuietly(files, folder);
            return FileError(PackStatus::CANNOT_OPEN, shown, error);
        }
        const int next =
            files.OpenAt(folder, level.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0);
        const int error = errno;
        if (folder != target) CloseQuietly(files, folder);
        if (next < 0) return FileError(PackStatus::CANNOT_OPEN, shown, error);
        folder = next;
        start = cut + 1;
    }
    leaf = relative.substr(start);
    return PackStatus::Ok();
}

// Creates the member file anew: a leftover file of that name is removed first, so that a hard
// link or a link in the target can never be written through.
int CreateMemberFile(FileLayer& files, int folder, const std::string& leaf) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    int fd = files.OpenAt(folder, leaf.c_str(), flags, 0666);
    if (fd < 0 && errno == EEXIST && ::unlinkat(folder, leaf.c_str(), 0) == 0) {
        fd = files.OpenAt(folder, leaf.c_str(), flags, 0666);
    }
    return fd;
}

// Reads back a member file just written, for the checksum of what is on disk.
PackStatus ReadBack(FileLayer& files, int folder, const std::string& leaf, const std::string& path,
                    Buffer& data) {
    int fd = files.OpenAt(folder, leaf.c_str(), O_RDONLY | O_NOFOLLOW, 0);
    if (fd < 0) return FileError(PackStatus::CANNOT_OPEN, path, errno);
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        data.Resize(static_cast<std::size_t>(st.st_size));
        ok = ReadFully(files, fd, data.data(), data.size());
    }
    CloseQuietly(files, fd);
    if (ok) return PackStatus::Ok();
    return PackStatus::Error(PackStatus::READ_FAILED,
                             Format("An unknown error occurred while accessing %1.", path));
}

// One member: read and inflate it, write it, and for a table read it back and sum it.
PackStatus ExtractMember(const CPackFile& pack, FileLayer& files, int target,
                         const std::string& targetPath, const PackEntry& entry, Buffer& data,
                         Buffer& compressed, TableContribution* sum) {
    PackStatus status = pack.ReadMember(entry, data, compressed);
    if (!status.ok()) return status;
    const std::string relative = MemberToHost(entry.Name());
    const std::string path = AsFolder(targetPath) + relative;
    int folder = -1;
    std::string leaf;
    status = OpenMemberFolder(files, target, targetPath, relative, folder, leaf);
    if (!status.ok()) return status;
    int fd = CreateMemberFile(files, folder, leaf);
    if (fd < 0) {
        status = FileError(PackStatus::CANNOT_OPEN, path, errno);
    } else if (!WriteFully(files, fd, data.data(), data.size()) || files.Close(fd) != 0) {
        status = FileError(PackStatus::WRITE_FAILED, path, errno);
        if (fd >= 0) CloseQuietly(files, fd);
        ::unlinkat(folder, leaf.c_str(), 0);  // no half-written member
    } else if (sum) {
        status = ReadBack(files, folder, leaf, path, data);
        if (status.ok()) sum->Add(data.view());
    }
    if (folder != target) CloseQuietly(files, folder);
    return status;
}

}  // namespace

bool CPackFile::ExtractAll(const std::string& targetFolder) {
    error_ = PackStatus::Ok();
    if (fd_ < 0) {
        error_ = FileError(PackStatus::READ_FAILED, path_, EBADF);
        return false;
    }
    error_ = CheckMemberNames();
    if (!error_.ok()) return false;

    // The target: one level is created when missing; a link is never followed into.
    const std::string targetPath = targetFolder.size() > 1 && targetFolder.back() == kHostSeparator
                                       ? targetFolder.substr(0, targetFolder.size() - 1)
                                       : targetFolder;
    struct stat st;
    if (::lstat(targetPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        error_ = PackStatus::Error(
            PackStatus::REFUSED,
            Format("The folder %1 is a symbolic link; nothing was extracted into it.", targetPath));
        return false;
    }
    if (IsRootFolder(targetPath)) {
        error_ = PackStatus::Error(
            PackStatus::REFUSED,
            Format("The folder %1 is the root folder; nothing was extracted into it.", targetPath));
        return false;
    }
    ::mkdir(targetPath.c_str(), 0777);
    const int target = files_.Open(targetPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0);
    if (target < 0) {
        error_ = FileError(PackStatus::CANNOT_OPEN, targetPath, errno);
        return false;
    }
    // What cannot be removed is overwritten below; a target named by "." or ".." is not emptied.
    if (MayEmptyFolder(targetPath)) DeleteFolderContentsAt(::dup(target));

    // Threads take the members in directory order; the calling thread adds their tables to the
    // checksum in that order as they come in.
    const std::size_t count = entries_.size();
    std::vector<std::unique_ptr<TableContribution>> sums(count);
    std::vector<char> done(count, 0);
    std::vector<PackStatus> failures(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished;
    const auto work = [&] {
        Buffer data;
        Buffer compressed;
        for (std::size_t i; !stop && (i = next++) < count;) {
            PackStatus status;
            std::unique_ptr<TableContribution> sum;
            try {
                if (IsTableName(entries_[i].Name())) sum = std::make_unique<TableContribution>();
                status = ExtractMember(*this, files_, target, targetPath, entries_[i], data,
                                       compressed, sum.get());
            } catch (const std::bad_alloc&) {
                status.kind = PackStatus::NO_MEMORY;
            }
            std::lock_guard<std::mutex> lock(mutex);
            if (!status.ok()) stop = true;
            failures[i] = std::move(status);
            sums[i] = std::move(sum);
            done[i] = 1;
            finished.notify_all();
        }
    };
    unsigned threadCount = threads_ ? threads_ : std::thread::hardware_concurrency();
    threadCount = static_cast<unsigned>(
        std::clamp<std::size_t>(threadCount, 1, std::max<std::size_t>(count, 1)));
    std::vector<std::thread> threads;
    for (unsigned k = 0; k < threadCount; ++k) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    if (threads.empty()) work();

    ChecksumState state = StartChecksum(created_);
    std::size_t applied = 0;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (applied < count) {
            finished.wait(lock, [&] { return done[applied] || stop; });
            if (stop) break;  // the failure is reported below
            if (sums[applied]) sums[applied]->ApplyTo(state);
            sums[applied].reset();
            ++applied;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    ::close(target);
    for (PackStatus& failure : failures) {
        if (!failure.ok()) {
            error_ = std::move(failure);
            if (error_.message.empty())
                error_.message = Format("Not enough memory to read %1.", path_);
            return false;
        }
    }
    return state.accumulator == storedChecksum_;
}

}  // namespace brisko
