#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <vector>

namespace base {
namespace {

#ifdef _WIN32
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
#else
bool IsSeparator(char c) {
    return c == '/';
}
#endif

// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && !IsSeparator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

// The folder, a dot and a short random part: short, so that a target whose own name is as long
// as the host allows still gets a temporary file, and hidden, so that a file left by a crash is
// never listed or packed.
std::string TemporaryName(const std::string& target) {
    static std::atomic<std::uint64_t> state{[] {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device() ^
               static_cast<std::uint64_t>(
                   std::chrono::steady_clock::now().time_since_epoch().count());
    }()};
    // One step of a 64-bit mixing function per name: the names differ within and across
    // processes.
    std::uint64_t x = state.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = FolderOf(target) + ".";
    for (int i = 0; i < 8; ++i) {
        name += kDigits[x % 36];
        x /= 36;
    }
    return name;
}

// A folder that allows no new file (as opposed to a full disk or a failing device).
bool FolderRefusesNewFiles(int error) {
    return error == EACCES || error == EPERM;
}

}  // namespace

AtomicFile::AtomicFile(FileLayer& files, const std::string& target, bool durable)
    : files_(files), target_(target), durable_(durable) {}

AtomicFile::~AtomicFile() {
    Abandon();
}

bool AtomicFile::Fail() {
    error_ = errno ? errno : EIO;
    Abandon();
    return false;
}

bool AtomicFile::Create() {
    if (target_.empty() || IsSeparator(target_.back())) {
        errno = target_.empty() ? ENOENT : EISDIR;
        return Fail();
    }
    // Replacing a link would turn it into a plain file: write beside the file it names instead.
    FileInfo info;
    if (files_.LinkStat(target_, info) == 0 && info.kind == FileKind::LINK) {
        const std::string resolved = files_.ResolvePath(target_);
        if (!resolved.empty()) target_ = resolved;
    }
    exists_ = files_.Stat(target_, old_) == 0;
    if (exists_) {
        if (!old_.IsFile()) {
            errno = old_.IsFolder() ? EISDIR : EINVAL;
            return Fail();
        }
        // A file the user may not write is refused here, before anything is written; opening it
        // for writing without emptying it changes nothing.
        int probe = files_.Open(target_, kWrite | kPlainFile);
        if (probe < 0) return Fail();
        CloseQuietly(files_, probe);
    }
    position_ = 0;
    if (CreateTemporary()) return true;
    const int error = errno;
    if (exists_ && FolderRefusesNewFiles(error)) return OpenDirect();
    errno = error;
    return Fail();
}

bool AtomicFile::CreateTemporary() {
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temp_ = TemporaryName(target_);
        fd_ = files_.Open(temp_, kWrite | kCreate | kExclusive | kNoFollow, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100)) {
            temp_.clear();
            return false;
        }
    }
    if (exists_) {
        // The old file's owner where we may give it (root may), and its permissions.
        if (files_.SetOwner(fd_, old_.owner, old_.group) != 0) { /* keep our own */
        }
        files_.SetPermissions(fd_, old_.permissions);
    }
    return true;
}

// The folder allows no temporary file, but the file itself may be written: write it in place.
// This is the one case in which a failed write loses the old bytes.
bool AtomicFile::OpenDirect() {
    fd_ = files_.Open(target_, kWrite | kTruncate | kPlainFile);
    if (fd_ < 0) return Fail();
    direct_ = true;
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    if (!WriteFully(files_, fd_, data, size)) return Fail();
    position_ += size;
    return true;
}

bool AtomicFile::WriteAt(const void* data, std::size_t size, std::uint64_t offset) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    return WriteFully(files_, fd_, data, size, offset) || Fail();
}

bool AtomicFile::Commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    if (durable_ && files_.Sync(fd_) != 0) return Fail();
    const int fd = fd_;
    fd_ = -1;
    if (files_.Close(fd) != 0) return Fail();
    if (direct_) return true;
    if (files_.Rename(temp_, target_) != 0) return Fail();
    temp_.clear();
    // The new file is in place whatever this gives; the sync only makes the move itself durable.
    if (durable_) files_.SyncFolder(FolderOf(target_));
    return true;
}

void AtomicFile::Abandon() {
    CloseQuietly(files_, fd_);
    if (!temp_.empty()) {
        const int saved = errno;
        files_.Unlink(temp_);
        errno = saved;
        temp_.clear();
    }
}

Status CopyFile(FileLayer& files, const std::string& from, const std::string& to, bool durable) {
    int in = files.Open(from, kRead | kPlainFile);
    if (in < 0) return FileError(Status::CANNOT_OPEN, from, errno);
    AtomicFile out(files, to, durable);
    Status status;
    if (!out.Create()) {
        status = FileError(Status::CANNOT_OPEN, to, out.Error());
    } else {
        std::vector<char> buffer(std::size_t{1} << 20);
        for (;;) {
            const std::int64_t n = files.Read(in, buffer.data(), buffer.size());
            if (n < 0) {
                status = FileError(Status::READ_FAILED, from, errno);
                break;
            }
            if (n == 0) {
                if (!out.Commit()) status = FileError(Status::WRITE_FAILED, to, out.Error());
                break;
            }
            if (!out.Write(buffer.data(), static_cast<std::size_t>(n))) {
                status = FileError(Status::WRITE_FAILED, to, out.Error());
                break;
            }
        }
    }
    CloseQuietly(files, in);
    return status;
}

}  // namespace base
