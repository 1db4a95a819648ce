#include "FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tavrel {

int FileOps::Open(const char* path, int flags, int mode) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t FileOps::Read(int fd, void* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

ssize_t FileOps::Write(int fd, const void* data, size_t size) {
    ssize_t n;
    do {
        n = ::write(fd, data, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

int FileOps::Close(int fd) {
    return ::close(fd);
}

int FileOps::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

FileOps& FileOps::System() {
    static FileOps ops;
    return ops;
}

bool IsPlainFile(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

std::string WithPath(const char* pattern, const std::string& path) {
    std::string text(pattern);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

std::string ReadErrorText(const std::string& path) {
    return WithPath("An unknown error occurred while accessing %1.", path);
}

std::string WriteErrorText(const std::string& path, int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return WithPath("Disk full while accessing %1.", path);
        case EACCES:
        case EPERM:
        case EROFS:
            return WithPath("Access to %1 was denied.", path);
        default:
            return WithPath("An unknown error occurred while accessing %1.", path);
    }
}

}  // namespace tavrel
