#include "FaultyFiles.h"

#include <cerrno>

namespace brisko::test {
namespace {

int Fail(int error) {
    errno = error;
    return -1;
}

}  // namespace

int FaultyFiles::Opened(int fd, const std::string& path) {
    if (fd >= 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        paths_[fd] = path;
    }
    return fd;
}

int FaultyFiles::Open(const char* path, int flags, int mode) {
    if (const int error = open ? open(path, flags) : 0) return Fail(error);
    return Opened(FileLayer::Open(path, flags, mode), path);
}

int FaultyFiles::OpenAt(int folder, const char* name, int flags, int mode) {
    if (const int error = open ? open(name, flags) : 0) return Fail(error);
    return Opened(FileLayer::OpenAt(folder, name, flags, mode), name);
}

int FaultyFiles::MkdirAt(int folder, const char* name, int mode) {
    if (const int error = mkdir ? mkdir(name) : 0) return Fail(error);
    return FileLayer::MkdirAt(folder, name, mode);
}

int FaultyFiles::ReadFault(int fd) {
    if (!read) return 0;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        path = paths_[fd];
    }
    return read(path);
}

ssize_t FaultyFiles::Read(int fd, void* buffer, std::size_t size) {
    if (const int error = ReadFault(fd)) return Fail(error);
    return FileLayer::Read(fd, buffer, size);
}

ssize_t FaultyFiles::ReadAt(int fd, void* buffer, std::size_t size, off_t offset) {
    if (const int error = ReadFault(fd)) return Fail(error);
    return FileLayer::ReadAt(fd, buffer, size, offset);
}

int FaultyFiles::WriteFault(std::size_t& size) {
    const std::size_t call = ++writes_;
    if (writeSize) size = writeSize(size);
    if (size == 0) return -1;  // a write that makes no progress
    return write ? write(call) : 0;
}

ssize_t FaultyFiles::Write(int fd, const void* data, std::size_t size) {
    const int error = WriteFault(size);
    if (error < 0) return 0;
    if (error) return Fail(error);
    return FileLayer::Write(fd, data, size);
}

ssize_t FaultyFiles::WriteAt(int fd, const void* data, std::size_t size, off_t offset) {
    const int error = WriteFault(size);
    if (error < 0) return 0;
    if (error) return Fail(error);
    return FileLayer::WriteAt(fd, data, size, offset);
}

int FaultyFiles::Sync(int fd) {
    return syncError ? Fail(syncError) : FileLayer::Sync(fd);
}

int FaultyFiles::Close(int fd) {
    const int result = FileLayer::Close(fd);
    return closeError ? Fail(closeError) : result;
}

int FaultyFiles::Rename(const char* from, const char* to) {
    return renameError ? Fail(renameError) : FileLayer::Rename(from, to);
}

}  // namespace brisko::test
