#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tavrel {
namespace {

// Replacing a link would turn it into a plain file: write beside the file it names instead.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// A hidden name beside the target, so that a temporary file left by a crash is never packed.
std::string TempNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

AtomicFile::AtomicFile(FileOps& ops, std::string target)
    : ops_(ops), target_(ResolveLink(target)) {}

AtomicFile::~AtomicFile() {
    Abandon();
}

bool AtomicFile::Fail() {
    error_ = errno;
    Abandon();
    return false;
}

bool AtomicFile::Create() {
    if (target_.empty()) {
        error_ = ENOENT;
        return false;
    }
    for (unsigned attempt = 0; fd_ < 0; ++attempt) {
        temp_ = TempNameFor(target_, attempt);
        fd_ = ops_.Open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100)) {
            temp_.clear();
            return Fail();
        }
    }
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = EISDIR;
            return Fail();
        }
        // Keep the old file's permissions (and owner, where we may).
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) { /* not ours to give: keep our own */
        }
        ::fchmod(fd_, st.st_mode & 07777);
    }
    return true;
}

bool AtomicFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ops_.Write(fd_, data, size);
        if (n < 0) return Fail();
        if (n == 0) {
            errno = ENOSPC;
            return Fail();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    if (ops_.Close(fd) != 0) return Fail();
    if (ops_.Rename(temp_.c_str(), target_.c_str()) != 0) return Fail();
    temp_.clear();
    return true;
}

void AtomicFile::Abandon() {
    if (fd_ >= 0) {
        ops_.Close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace tavrel
