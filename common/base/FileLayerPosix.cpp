// The file layer on a POSIX host.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "FileLayer.h"

namespace base {
namespace {

template <typename Call>
auto Retry(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

int HostFlags(unsigned flags) {
    int host = O_CLOEXEC;
    if ((flags & kRead) && (flags & kWrite)) {
        host |= O_RDWR;
    } else if (flags & kWrite) {
        host |= O_WRONLY;
    } else {
        host |= O_RDONLY;
    }
    if (flags & kCreate) host |= O_CREAT;
    if (flags & kExclusive) host |= O_EXCL;
    if (flags & kTruncate) host |= O_TRUNC;
    if (flags & kNoFollow) host |= O_NOFOLLOW;
    if (flags & kFolder) host |= O_DIRECTORY;
    // A pipe or a device would block the open or feed a read forever: open without waiting,
    // look, and refuse it.
    if (flags & kPlainFile) host |= O_NONBLOCK;
    return host;
}

// Refuses what is not a plain file and takes the waiting back for the one that is.
int CheckPlain(int fd, unsigned flags) {
    if (fd < 0 || !(flags & kPlainFile)) return fd;
    struct stat st;
    const bool described = ::fstat(fd, &st) == 0;
    if (!described || !S_ISREG(st.st_mode)) {
        const int error = !described ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void Describe(const struct stat& st, FileInfo& info) {
    if (S_ISREG(st.st_mode)) {
        info.kind = FileKind::FILE;
    } else if (S_ISDIR(st.st_mode)) {
        info.kind = FileKind::FOLDER;
    } else if (S_ISLNK(st.st_mode)) {
        info.kind = FileKind::LINK;
    } else {
        info.kind = FileKind::OTHER;
    }
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.device = static_cast<std::uint64_t>(st.st_dev);
    info.node = static_cast<std::uint64_t>(st.st_ino);
    info.links = static_cast<std::uint64_t>(st.st_nlink);
    info.permissions = st.st_mode & 07777;
    info.owner = st.st_uid;
    info.group = st.st_gid;
}

int Described(int result, const struct stat& st, FileInfo& info) {
    if (result == 0) Describe(st, info);
    return result;
}

}  // namespace

int FileLayer::Open(const std::string& path, unsigned flags, unsigned permissions) {
    const int fd = Retry([&] { return ::open(path.c_str(), HostFlags(flags), permissions); });
    return CheckPlain(fd, flags);
}

int FileLayer::OpenAt(int folder, const std::string& name, unsigned flags, unsigned permissions) {
    const int fd = Retry([&] {
        return ::openat(folder, name.c_str(), HostFlags(flags | kNoFollow), permissions);
    });
    return CheckPlain(fd, flags);
}

std::int64_t FileLayer::Read(int fd, void* buffer, std::size_t size) {
    return Retry([&] { return ::read(fd, buffer, size); });
}

std::int64_t FileLayer::ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    return Retry([&] { return ::pread(fd, buffer, size, static_cast<off_t>(offset)); });
}

std::int64_t FileLayer::Write(int fd, const void* data, std::size_t size) {
    return Retry([&] { return ::write(fd, data, size); });
}

std::int64_t FileLayer::WriteAt(int fd, const void* data, std::size_t size,
                                std::uint64_t offset) {
    return Retry([&] { return ::pwrite(fd, data, size, static_cast<off_t>(offset)); });
}

int FileLayer::Sync(int fd) {
    return Retry([&] { return ::fsync(fd); });
}

int FileLayer::Close(int fd) {
    return ::close(fd);
}

int FileLayer::Stat(const std::string& path, FileInfo& info) {
    struct stat st;
    return Described(::stat(path.c_str(), &st), st, info);
}

int FileLayer::LinkStat(const std::string& path, FileInfo& info) {
    struct stat st;
    return Described(::lstat(path.c_str(), &st), st, info);
}

int FileLayer::StatOpen(int fd, FileInfo& info) {
    struct stat st;
    return Described(::fstat(fd, &st), st, info);
}

int FileLayer::StatAt(int folder, const std::string& name, FileInfo& info) {
    struct stat st;
    return Described(::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW), st, info);
}

int FileLayer::ListFolder(int folder, std::vector<std::string>& names) {
    // The listing reads through a descriptor of its own, so that `folder` stays open and keeps
    // its position.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return -1;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        const int error = errno;
        ::close(listing);
        errno = error;
        return -1;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return error ? -1 : 0;
}

int FileLayer::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int FileLayer::Unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

int FileLayer::UnlinkAt(int folder, const std::string& name, bool isFolder) {
    return ::unlinkat(folder, name.c_str(), isFolder ? AT_REMOVEDIR : 0);
}

int FileLayer::MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777);
}

int FileLayer::MakeFolderAt(int folder, const std::string& name) {
    return ::mkdirat(folder, name.c_str(), 0777);
}

int FileLayer::SyncFolder(const std::string& path) {
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = Retry([&] { return ::fsync(fd); });
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}

int FileLayer::SetPermissions(int fd, unsigned permissions) {
    return ::fchmod(fd, static_cast<mode_t>(permissions));
}

int FileLayer::SetPermissionsAt(int folder, const std::string& name, unsigned permissions) {
    // Never through a link: Linux refuses to change a link itself, which is what is wanted.
    return ::fchmodat(folder, name.c_str(), static_cast<mode_t>(permissions),
                      AT_SYMLINK_NOFOLLOW);
}

int FileLayer::SetOwner(int fd, std::uint32_t owner, std::uint32_t group) {
    return ::fchown(fd, owner, group);
}

std::string FileLayer::ResolvePath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

FileLayer& FileLayer::System() {
    static FileLayer files;
    return files;
}

}  // namespace base
