#include "FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace brisko {
namespace {

template <typename Call>
auto Retry(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

int FileLayer::Open(const char* path, int flags, int mode) {
    return Retry([&] { return ::open(path, flags | O_CLOEXEC, mode); });
}

int FileLayer::OpenAt(int folder, const char* name, int flags, int mode) {
    return Retry([&] { return ::openat(folder, name, flags | O_CLOEXEC, mode); });
}

int FileLayer::MkdirAt(int folder, const char* name, int mode) {
    return ::mkdirat(folder, name, static_cast<mode_t>(mode));
}

ssize_t FileLayer::Read(int fd, void* buffer, std::size_t size) {
    return Retry([&] { return ::read(fd, buffer, size); });
}

ssize_t FileLayer::ReadAt(int fd, void* buffer, std::size_t size, off_t offset) {
    return Retry([&] { return ::pread(fd, buffer, size, offset); });
}

ssize_t FileLayer::Write(int fd, const void* data, std::size_t size) {
    return Retry([&] { return ::write(fd, data, size); });
}

ssize_t FileLayer::WriteAt(int fd, const void* data, std::size_t size, off_t offset) {
    return Retry([&] { return ::pwrite(fd, data, size, offset); });
}

int FileLayer::Sync(int fd) {
    return ::fsync(fd);
}

int FileLayer::Close(int fd) {
    return ::close(fd);
}

int FileLayer::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

FileLayer& FileLayer::System() {
    static FileLayer files;
    return files;
}

bool ReadFully(FileLayer& files, int fd, void* buffer, std::size_t size, off_t offset) {
    char* to = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t n =
            offset < 0 ? files.Read(fd, to, size) : files.ReadAt(fd, to, size, offset);
        if (n < 0) return false;
        if (n == 0) {
            errno = 0;
            return false;
        }
        to += n;
        size -= static_cast<std::size_t>(n);
        if (offset >= 0) offset += n;
    }
    return true;
}

bool WriteFully(FileLayer& files, int fd, const void* data, std::size_t size, off_t offset) {
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n =
            offset < 0 ? files.Write(fd, from, size) : files.WriteAt(fd, from, size, offset);
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        from += n;
        size -= static_cast<std::size_t>(n);
        if (offset >= 0) offset += n;
    }
    return true;
}

void CloseQuietly(FileLayer& files, int& fd) {
    if (fd < 0) return;
    const int saved = errno;
    files.Close(fd);
    errno = saved;
    fd = -1;
}

}  // namespace brisko
