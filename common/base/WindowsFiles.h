// What the Windows side of the file layer shares between its files: reasons as errno values,
// paths in the long wide-character form, and the table behind the small-integer descriptors.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace base::windows {

// The errno value for a Windows error code.
int ErrnoFrom(DWORD error);
// The same for a call on `wide`: a path through a file that is no folder is ENOTDIR, as on POSIX.
int ErrnoFrom(DWORD error, const std::wstring& wide);
// Sets errno from GetLastError() (or from `error`) and gives -1.
int Failed();
int Failed(DWORD error);
// Sets errno and gives -1.
int FailWith(int error);

// `path` (UTF-8, either separator) as an absolute wide path in the long form "\\?\C:\..." or
// "\\?\UNC\server\share\...", with "." and ".." resolved. `trailing` tells whether the path ended
// in a separator (it names a folder then). False with errno set when it cannot be one.
bool WidePath(const std::string& path, std::wstring& wide, bool* trailing = nullptr);
// `name` inside the folder `folder` (a wide path as above). A name holding a separator, a stream
// (":") or nothing is refused, with errno set.
bool JoinName(const std::wstring& folder, const std::string& name, std::wstring& wide);
// A wide path back as UTF-8, without the long form's prefix.
std::string NarrowPath(const std::wstring& wide);

// Whether the entry at `wide` is itself a link: a symbolic link, a junction or another reparse
// point that names something elsewhere. Never follows it.
bool IsLinkPath(const std::wstring& wide);
bool IsLinkTag(DWORD attributes, DWORD tag);

// One open file or folder behind a descriptor.
struct OpenFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path;  // the long form it was opened at: for names inside it and its listing
    bool folder = false;
    bool writable = false;
    std::mutex positionMutex;
    std::uint64_t position = 0;  // where Read and Write go on

    ~OpenFile();
};

// Descriptors to open files, shared by all threads: the lowest free number is given out.
class FileTable {
public:
    int Add(std::shared_ptr<OpenFile> file);
    // The file, or null with errno EBADF.
    std::shared_ptr<OpenFile> Get(int fd);
    // Takes the file out of the table, or null with errno EBADF.
    std::shared_ptr<OpenFile> Remove(int fd);

    static FileTable& Shared();

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<OpenFile>> slots_;
};

}  // namespace base::windows

#endif
