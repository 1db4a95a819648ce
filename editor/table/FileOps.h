// The few file-system calls that reading and writing tables go through, with the user's texts for
// their failures. Tests put a FileOps of their own in place to make one call fail.
#pragma once

#include <sys/types.h>

#include <string>

namespace tavrel {

class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int Open(const char* path, int flags, int mode);
    virtual ssize_t Read(int fd, void* buffer, size_t size);
    virtual ssize_t Write(int fd, const void* data, size_t size);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);

    // The plain operating-system calls.
    static FileOps& System();
};

// True for a plain file. Table files are opened without blocking and then checked, so that a
// pipe or a device can neither hang the open nor feed a load forever.
bool IsPlainFile(int fd);

// The text a user sees for a failed read, write or close of `path`, from the errno it gave.
std::string ReadErrorText(const std::string& path);
std::string WriteErrorText(const std::string& path, int error);

// Replaces the first "%1" of `pattern` with `path`.
std::string WithPath(const char* pattern, const std::string& path);

}  // namespace tavrel
