// The file layer on Windows: wide-character calls on the long form of each path, descriptors that
// number a table of handles, errno values for the reasons Windows gives. Files are opened so that
// other programs may still read, write, rename and delete them, as on a POSIX host. Junctions and
// symbolic links are links: LinkStat and StatAt show them as such, kNoFollow refuses them, and
// removing one removes the link, never what it names.
#ifdef _WIN32

#include <algorithm>
#include <cerrno>

#include "FileLayer.h"
#include "HostText.h"
#include "WindowsFiles.h"

namespace base {
namespace {

using windows::Failed;
using windows::FailWith;
using windows::FileTable;
using windows::OpenFile;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile or WriteFile call moves.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

DWORD Disposition(unsigned flags) {
    if ((flags & kCreate) && (flags & kExclusive)) return CREATE_NEW;
    // An existing file is emptied only once it is known to be a plain file (see Finish).
    return (flags & kCreate) ? OPEN_ALWAYS : OPEN_EXISTING;
}

DWORD Access(unsigned flags) {
    DWORD access = FILE_READ_ATTRIBUTES;
    if ((flags & kRead) || !(flags & kWrite)) access |= GENERIC_READ;
    if (flags & kWrite) access |= GENERIC_WRITE;
    return access;
}

DWORD CreateAttributes(unsigned flags, unsigned permissions) {
    // Without a write bit the new file is read-only, as its permissions would make it on POSIX.
    return (flags & kCreate) && !(permissions & 0222) ? FILE_ATTRIBUTE_READONLY
                                                      : FILE_ATTRIBUTE_NORMAL;
}

bool IsLinkHandle(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           windows::IsLinkTag(tag.FileAttributes, tag.ReparseTag);
}

bool IsFolder(const std::wstring& wide) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int Close(HANDLE handle, int error) {
    ::CloseHandle(handle);
    return FailWith(error);
}

// Checks an opened handle against what the flags ask for, empties it for kTruncate, and gives
// the errno that refuses it (0: keep it). `existed`: the file was there before the open.
int Check(HANDLE handle, const std::wstring& wide, unsigned flags, bool trailing, bool existed,
          bool& folder) {
    folder = false;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        // A device such as NUL: no plain file, no folder.
        return (flags & kPlainFile) ? EINVAL : (flags & kFolder) || trailing ? ENOTDIR : 0;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return windows::ErrnoFrom(::GetLastError());
    folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // The handle tells on Windows; Wine only shows the link by its path.
    if ((flags & kNoFollow) && (IsLinkHandle(handle) || windows::IsLinkPath(wide))) return ELOOP;
    if (!folder && ((flags & kFolder) || trailing)) return ENOTDIR;
    if (folder && !(flags & kFolder) && (flags & (kWrite | kPlainFile))) return EISDIR;
    // Windows refuses everyone to write a read-only file; Wine lets root do it.
    if (existed && !folder && (flags & kWrite) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return EACCES;
    }
    if ((flags & kTruncate) && !folder) {
        FILE_END_OF_FILE_INFO end{};
        if (!::SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end)) {
            return windows::ErrnoFrom(::GetLastError());
        }
    }
    return 0;
}

int OpenWide(const std::wstring& wide, unsigned flags, unsigned permissions, bool trailing) {
    DWORD options = CreateAttributes(flags, permissions) | FILE_FLAG_BACKUP_SEMANTICS;
    if (flags & kNoFollow) options |= FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE handle = ::CreateFileW(wide.c_str(), Access(flags), kShareAll, nullptr,
                                        Disposition(flags), options, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Windows refuses a folder opened for writing as access denied.
        if (error == ERROR_ACCESS_DENIED && (flags & kWrite) && IsFolder(wide)) {
            return FailWith(EISDIR);
        }
        return FailWith(windows::ErrnoFrom(error, wide));
    }
    const DWORD disposition = Disposition(flags);
    const bool existed = disposition == OPEN_EXISTING ||
                         (disposition == OPEN_ALWAYS && ::GetLastError() == ERROR_ALREADY_EXISTS);
    bool folder = false;
    const int refused = Check(handle, wide, flags, trailing, existed, folder);
    if (refused) return Close(handle, refused);
    auto file = std::make_shared<OpenFile>();
    file->handle = handle;
    file->path = wide;
    file->folder = folder;
    file->writable = flags & kWrite;
    return FileTable::Shared().Add(std::move(file));
}

std::shared_ptr<OpenFile> FolderOf(int fd) {
    std::shared_ptr<OpenFile> folder = FileTable::Shared().Get(fd);
    if (folder && !folder->folder) {
        errno = ENOTDIR;
        return nullptr;
    }
    return folder;
}

bool JoinAt(int fd, const std::string& name, std::wstring& wide) {
    const std::shared_ptr<OpenFile> folder = FolderOf(fd);
    return folder && windows::JoinName(folder->path, name, wide);
}

std::uint32_t Permissions(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return 0777;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
}

void Describe(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& i, FileInfo& info) {
    const bool folder = i.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    info.kind = folder ? FileKind::FOLDER : disk ? FileKind::FILE : FileKind::OTHER;
    info.size = folder ? 0 : std::uint64_t{i.nFileSizeHigh} << 32 | i.nFileSizeLow;
    info.device = i.dwVolumeSerialNumber;
    info.node = std::uint64_t{i.nFileIndexHigh} << 32 | i.nFileIndexLow;
    info.links = i.nNumberOfLinks;
    info.permissions = Permissions(i.dwFileAttributes);
    info.owner = 0;
    info.group = 0;
}

// What `wide` names; a link is followed unless `follow` is false, when it is told as a link.
int StatWide(const std::wstring& wide, bool follow, bool trailing, FileInfo& info) {
    if (!follow && windows::IsLinkPath(wide)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return Failed();
        info = FileInfo{};
        info.kind = FileKind::LINK;
        info.permissions = 0777;
        return 0;
    }
    DWORD options = FILE_FLAG_BACKUP_SEMANTICS;
    if (!follow) options |= FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE handle = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, options, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FailWith(windows::ErrnoFrom(::GetLastError(), wide));
    BY_HANDLE_FILE_INFORMATION i;
    const bool device = ::GetFileType(handle) != FILE_TYPE_DISK;
    const bool described = !device && ::GetFileInformationByHandle(handle, &i);
    const DWORD error = ::GetLastError();
    if (described) Describe(handle, i, info);
    ::CloseHandle(handle);
    if (device) {
        info = FileInfo{};  // a device such as NUL
        return trailing ? FailWith(ENOTDIR) : 0;
    }
    if (!described) return Failed(error);
    if (trailing && !info.IsFolder()) return FailWith(ENOTDIR);
    return 0;
}

int StatPath(const std::string& path, bool follow, FileInfo& info) {
    std::wstring wide;
    bool trailing = false;
    if (!windows::WidePath(path, wide, &trailing)) return -1;
    return StatWide(wide, follow, trailing, info);
}

std::int64_t Transfer(int fd, void* buffer, std::size_t size, std::uint64_t offset, bool write) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Get(fd);
    if (!file) return -1;
    if (file->folder) return FailWith(EISDIR);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
    DWORD moved = 0;
    const BOOL ok = write ? ::WriteFile(file->handle, buffer, chunk, &moved, &at)
                          : ::ReadFile(file->handle, buffer, chunk, &moved, &at);
    if (!ok) {
        const DWORD error = ::GetLastError();
        if (!write && error == ERROR_HANDLE_EOF) return 0;
        return Failed(error);
    }
    return moved;
}

// Read and Write go on from the descriptor's own position; a positioned call leaves it alone.
std::int64_t TransferOn(int fd, void* buffer, std::size_t size, bool write) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Get(fd);
    if (!file) return -1;
    std::lock_guard<std::mutex> lock(file->positionMutex);
    const std::int64_t moved = Transfer(fd, buffer, size, file->position, write);
    if (moved > 0) file->position += static_cast<std::uint64_t>(moved);
    return moved;
}

// Deletes a file or a link; a read-only file is made writable first, as POSIX deletes it.
int RemoveWide(const std::wstring& wide) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Failed();
    const bool link = windows::IsLinkPath(wide);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !link) return FailWith(EISDIR);
    // A link to a folder is removed as a folder; that removes the link, not what it names.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && ::RemoveDirectoryW(wide.c_str())) return 0;
    if (::DeleteFileW(wide.c_str())) return 0;
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (::DeleteFileW(wide.c_str())) return 0;
        error = ::GetLastError();
        ::SetFileAttributesW(wide.c_str(), attributes);
    }
    return Failed(error);
}

int RemoveFolderWide(const std::wstring& wide) {
    if (::RemoveDirectoryW(wide.c_str())) return 0;
    const DWORD error = ::GetLastError();
    return error == ERROR_DIRECTORY ? FailWith(ENOTDIR) : Failed(error);
}

int MakeFolderWide(const std::wstring& wide) {
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return 0;
    return FailWith(windows::ErrnoFrom(::GetLastError(), wide));
}

// The read-only attribute stands for the missing write permission of a file; folders have none.
int SetReadOnly(const std::wstring& wide, unsigned permissions) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Failed();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    const DWORD wanted = (permissions & 0222) ? attributes & ~FILE_ATTRIBUTE_READONLY
                                              : attributes | FILE_ATTRIBUTE_READONLY;
    if (wanted == attributes) return 0;
    return ::SetFileAttributesW(wide.c_str(), wanted) ? 0 : Failed();
}

// Attributes that SetFileAttributesW takes and that a replaced file keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

int FileLayer::Open(const std::string& path, unsigned flags, unsigned permissions) {
    std::wstring wide;
    bool trailing = false;
    if (!windows::WidePath(path, wide, &trailing)) return -1;
    return OpenWide(wide, flags, permissions, trailing);
}

int FileLayer::OpenAt(int folder, const std::string& name, unsigned flags, unsigned permissions) {
    std::wstring wide;
    if (!JoinAt(folder, name, wide)) return -1;
    return OpenWide(wide, flags | kNoFollow, permissions, false);
}

std::int64_t FileLayer::Read(int fd, void* buffer, std::size_t size) {
    return TransferOn(fd, buffer, size, false);
}

std::int64_t FileLayer::ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    return Transfer(fd, buffer, size, offset, false);
}

std::int64_t FileLayer::Write(int fd, const void* data, std::size_t size) {
    return TransferOn(fd, const_cast<void*>(data), size, true);
}

std::int64_t FileLayer::WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    return Transfer(fd, const_cast<void*>(data), size, offset, true);
}

int FileLayer::Sync(int fd) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Get(fd);
    if (!file) return -1;
    // Only what this handle wrote needs flushing; Windows refuses to flush a read-only handle.
    if (!file->writable || file->folder) return 0;
    return ::FlushFileBuffers(file->handle) ? 0 : Failed();
}

int FileLayer::Close(int fd) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Remove(fd);
    if (!file) return -1;
    const HANDLE handle = file->handle;
    file->handle = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) ? 0 : Failed();
}

int FileLayer::Stat(const std::string& path, FileInfo& info) {
    return StatPath(path, true, info);
}

int FileLayer::LinkStat(const std::string& path, FileInfo& info) {
    return StatPath(path, false, info);
}

int FileLayer::StatOpen(int fd, FileInfo& info) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Get(fd);
    if (!file) return -1;
    BY_HANDLE_FILE_INFORMATION i;
    if (::GetFileType(file->handle) != FILE_TYPE_DISK) {
        info = FileInfo{};  // a device such as NUL
        return 0;
    }
    if (!::GetFileInformationByHandle(file->handle, &i)) return Failed();
    Describe(file->handle, i, info);
    return 0;
}

int FileLayer::StatAt(int folder, const std::string& name, FileInfo& info) {
    std::wstring wide;
    if (!JoinAt(folder, name, wide)) return -1;
    return StatWide(wide, false, false, info);
}

int FileLayer::ListFolder(int folder, std::vector<std::string>& names) {
    const std::shared_ptr<OpenFile> file = FolderOf(folder);
    if (!file) return -1;
    const std::wstring pattern = file->path + (file->path.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW found;
    const HANDLE find =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : Failed(error);
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(Utf16ToUtf8(std::u16string(name.begin(), name.end())));
    } while (::FindNextFileW(find, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : Failed(error);
}

int FileLayer::Rename(const std::string& from, const std::string& to) {
    std::wstring source;
    std::wstring target;
    if (!windows::WidePath(from, source) || !windows::WidePath(to, target)) return -1;
    const DWORD old = ::GetFileAttributesW(target.c_str());
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!::MoveFileExW(source.c_str(), target.c_str(), flags)) return Failed();
    // The replaced file's attributes stay with its name (hidden, system, ...).
    if (old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD now = ::GetFileAttributesW(target.c_str());
        if (now != INVALID_FILE_ATTRIBUTES) {
            const DWORD kept = (now & ~kKeptAttributes) | (old & kKeptAttributes);
            if (kept != now) ::SetFileAttributesW(target.c_str(), kept);
        }
    }
    return 0;
}

int FileLayer::Unlink(const std::string& path) {
    std::wstring wide;
    return windows::WidePath(path, wide) ? RemoveWide(wide) : -1;
}

int FileLayer::UnlinkAt(int folder, const std::string& name, bool isFolder) {
    std::wstring wide;
    if (!JoinAt(folder, name, wide)) return -1;
    return isFolder ? RemoveFolderWide(wide) : RemoveWide(wide);
}

int FileLayer::MakeFolder(const std::string& path) {
    std::wstring wide;
    return windows::WidePath(path, wide) ? MakeFolderWide(wide) : -1;
}

int FileLayer::MakeFolderAt(int folder, const std::string& name) {
    std::wstring wide;
    return JoinAt(folder, name, wide) ? MakeFolderWide(wide) : -1;
}

int FileLayer::SyncFolder(const std::string&) {
    // Windows keeps a folder's names durable with the files moved into it: nothing to do.
    return 0;
}

int FileLayer::SetPermissions(int fd, unsigned permissions) {
    const std::shared_ptr<OpenFile> file = FileTable::Shared().Get(fd);
    if (!file) return -1;
    return file->folder ? 0 : SetReadOnly(file->path, permissions);
}

int FileLayer::SetPermissionsAt(int folder, const std::string& name, unsigned permissions) {
    std::wstring wide;
    if (!JoinAt(folder, name, wide)) return -1;
    // Never through a link, as on Linux.
    if (windows::IsLinkPath(wide)) return FailWith(EOPNOTSUPP);
    return SetReadOnly(wide, permissions);
}

int FileLayer::SetOwner(int, std::uint32_t, std::uint32_t) {
    return 0;  // files belong to whoever writes them
}

std::string FileLayer::ResolvePath(const std::string& path) {
    std::wstring wide;
    if (!windows::WidePath(path, wide)) return {};
    const HANDLE handle = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Failed(), std::string();
    std::wstring final(MAX_PATH, L'\0');
    DWORD size = ::GetFinalPathNameByHandleW(handle, final.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    if (size >= MAX_PATH) {
        final.resize(size);
        size = ::GetFinalPathNameByHandleW(handle, final.data(), size, FILE_NAME_NORMALIZED);
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (size == 0 || size > final.size()) return Failed(error), std::string();
    final.resize(size);
    return windows::NarrowPath(final);
}

FileLayer& FileLayer::System() {
    static FileLayer files;
    return files;
}

}  // namespace base

#endif
