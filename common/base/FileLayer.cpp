// What the file layer's callers share, on every host.
#include "FileLayer.h"

#include <cerrno>

namespace base {

bool ReadFully(FileLayer& files, int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    char* to = static_cast<char*>(buffer);
    while (size > 0) {
        const std::int64_t n = offset == kCurrentPosition ? files.Read(fd, to, size)
                                                          : files.ReadAt(fd, to, size, offset);
        if (n < 0) return false;
        if (n == 0) {
            errno = 0;
            return false;
        }
        to += n;
        size -= static_cast<std::size_t>(n);
        if (offset != kCurrentPosition) offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool WriteFully(FileLayer& files, int fd, const void* data, std::size_t size,
                std::uint64_t offset) {
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const std::int64_t n = offset == kCurrentPosition
                                   ? files.Write(fd, from, size)
                                   : files.WriteAt(fd, from, size, offset);
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        from += n;
        size -= static_cast<std::size_t>(n);
        if (offset != kCurrentPosition) offset += static_cast<std::uint64_t>(n);
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

int ReadWholeFile(FileLayer& files, const std::string& path, std::string& bytes) {
    int fd = files.Open(path, kRead | kPlainFile);
    if (fd < 0) return errno ? errno : EIO;
    FileInfo info;
    int error = 0;
    if (files.StatOpen(fd, info) != 0) {
        error = errno ? errno : EIO;
    } else {
        // The size is a first guess: the file may grow or shrink while it is read.
        bytes.clear();
        bytes.resize(static_cast<std::size_t>(info.size) + 1);
        std::size_t have = 0;
        for (;;) {
            if (have == bytes.size()) bytes.resize(bytes.size() * 2);
            const std::int64_t n = files.Read(fd, bytes.data() + have, bytes.size() - have);
            if (n < 0) {
                error = errno ? errno : EIO;
                break;
            }
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        bytes.resize(have);
    }
    CloseQuietly(files, fd);
    return error;
}

}  // namespace base
