#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace brisko {
namespace {

// Replacing a link would turn it into a plain file: write beside the file it names instead.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// A hidden name beside the target, so that a file left by a crash is never listed or packed.
std::string TempNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

AtomicFile::AtomicFile(FileLayer& files, const std::string& target)
    : files_(files), target_(ResolveLink(target)) {}

AtomicFile::~AtomicFile() {
    Abandon();
}

bool AtomicFile::Fail() {
    error_ = errno ? errno : EIO;
    Abandon();
    return false;
}

bool AtomicFile::Create() {
    if (target_.empty() || target_.back() == '/') {
        errno = target_.empty() ? ENOENT : EISDIR;
        return Fail();
    }
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        errno = EISDIR;
        return Fail();
    }
    for (unsigned attempt = 0; fd_ < 0; ++attempt) {
        temp_ = TempNameFor(target_, attempt);
        fd_ = files_.Open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100)) {
            temp_.clear();
            return Fail();
        }
    }
    if (exists) {
        // Keep the old file's permissions (and owner, where we may).
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) { /* not ours to give: keep our own */
        }
        ::fchmod(fd_, st.st_mode & 07777);
    }
    position_ = 0;
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

bool AtomicFile::WriteAt(const void* data, std::size_t size, off_t offset) {
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
    if (files_.Sync(fd_) != 0) return Fail();
    const int fd = fd_;
    fd_ = -1;
    if (files_.Close(fd) != 0) return Fail();
    if (files_.Rename(temp_.c_str(), target_.c_str()) != 0) return Fail();
    temp_.clear();
    return true;
}

void AtomicFile::Abandon() {
    CloseQuietly(files_, fd_);
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace brisko
