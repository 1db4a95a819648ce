// The file-system calls that writing and reading packs go through. Tests put a FileLayer of their
// own in place to make one call fail (a full disk, a failed read, a rename that does not happen).
// Calls may come from several threads at once.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace brisko {

class FileLayer {
public:
    virtual ~FileLayer() = default;
    virtual int Open(const char* path, int flags, int mode);
    virtual int OpenAt(int folder, const char* name, int flags, int mode);
    virtual int MkdirAt(int folder, const char* name, int mode);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t ReadAt(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);

    // The plain operating-system calls.
    static FileLayer& System();
};

// Reads exactly `size` bytes from `offset` (or from the current position when offset < 0).
// False with errno set on a failed read; a file that ends early gives false with errno 0.
bool ReadFully(FileLayer& files, int fd, void* buffer, std::size_t size, off_t offset = -1);

// Writes all `size` bytes at `offset` (or at the current position when offset < 0). False with
// errno set; a write that makes no progress counts as a full disk.
bool WriteFully(FileLayer& files, int fd, const void* data, std::size_t size, off_t offset = -1);

// Closes `fd` if it is open and sets it to -1, keeping errno as it was.
void CloseQuietly(FileLayer& files, int& fd);

}  // namespace brisko
