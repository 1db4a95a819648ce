// The Windows side's reasons, paths and descriptor table.
#ifdef _WIN32

#include "WindowsFiles.h"

#include <cerrno>

#include "HostText.h"

namespace base::windows {
namespace {

// Codes that the cross compiler's headers may lack.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
constexpr DWORD ERROR_DISK_QUOTA_EXCEEDED = 1295;
#endif
#ifndef ERROR_STOPPED_ON_SYMLINK
constexpr DWORD ERROR_STOPPED_ON_SYMLINK = 681;
#endif

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The length of the part of a long-form path that no ".." may go above: "\\?\C:\" or
// "\\?\UNC\server\share\".
std::size_t RootLength(const std::wstring& wide) {
    if (!StartsWith(wide, kLongUncPrefix)) return wide.size() > 6 ? 7 : wide.size();
    std::size_t at = wide.find(L'\\', 8);                         // after the server
    if (at != std::wstring::npos) at = wide.find(L'\\', at + 1);  // after the share
    return at == std::wstring::npos ? wide.size() : at + 1;
}

// Characters Windows allows in no name: the wildcards, and ":" but for the drive's own.
bool HasForbiddenCharacter(const std::wstring& wide, std::size_t from) {
    return wide.find_first_of(L"*?:", from) != std::wstring::npos;
}

std::wstring Widen(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace

int ErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DELETE_PENDING:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_CANNOT_MAKE:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_PRIVILEGE_NOT_HELD:
            return EPERM;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_BUSY:
            return EBUSY;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_QUOTA_EXCEEDED:
            return ENOSPC;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return EEXIST;
        case ERROR_DIRECTORY:
            return EISDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return ENOTDIR;  // the platform's "contains an invalid path"
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_NOT_READY:
            return EIO;
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_STOPPED_ON_SYMLINK:
            return ELOOP;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return EOPNOTSUPP;
        case ERROR_BROKEN_PIPE:
            return EPIPE;
        default:
            return EINVAL;  // no text of its own: "An unknown error occurred ..."
    }
}

int ErrnoFrom(DWORD error, const std::wstring& wide) {
    if (error != ERROR_PATH_NOT_FOUND && error != ERROR_DIRECTORY) return ErrnoFrom(error);
    // The nearest part of the path that is there tells whether a file stood in the way.
    std::wstring part = wide;
    for (std::size_t cut; (cut = part.rfind(L'\\')) != std::wstring::npos && cut > 6;) {
        part.resize(cut);
        const DWORD attributes = ::GetFileAttributesW(part.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ErrnoFrom(error) : ENOTDIR;
    }
    return ErrnoFrom(error);
}

int Failed() {
    return Failed(::GetLastError());
}

int Failed(DWORD error) {
    return FailWith(ErrnoFrom(error));
}

int FailWith(int error) {
    errno = error;
    return -1;
}

bool WidePath(const std::string& path, std::wstring& wide, bool* trailing) {
    std::u16string text;
    if (path.empty()) return FailWith(ENOENT), false;
    if (!Utf8ToUtf16(path, text) || text.find(u'\0') != std::u16string::npos) {
        return FailWith(EILSEQ), false;
    }
    std::wstring raw = Widen(text);
    for (wchar_t& c : raw) {
        if (c == L'/') c = L'\\';
    }
    const bool endsInSeparator = raw.back() == L'\\';
    std::wstring full;
    if (StartsWith(raw, kLongPrefix)) {
        full = raw;
    } else {
        DWORD size = ::GetFullPathNameW(raw.c_str(), 0, nullptr, nullptr);
        if (size == 0) return Failed(), false;
        full.resize(size);
        size = ::GetFullPathNameW(raw.c_str(), size, full.data(), nullptr);
        if (size == 0 || size >= full.size()) return Failed(), false;
        full.resize(size);
        if (StartsWith(full, L"\\\\.\\")) {
            wide = full;  // a device: no long form
            if (trailing) *trailing = endsInSeparator;
            return true;
        }
        full = StartsWith(full, L"\\\\") ? kLongUncPrefix + full.substr(2) : kLongPrefix + full;
    }
    const std::size_t root = RootLength(full);
    while (full.size() > root && full.back() == L'\\')
        full.pop_back();
    const std::size_t drive = StartsWith(full, kLongUncPrefix) ? 8 : 6;
    if (full.size() < drive || HasForbiddenCharacter(full, drive)) return FailWith(ENOTDIR), false;
    wide = std::move(full);
    if (trailing) *trailing = endsInSeparator;
    return true;
}

bool JoinName(const std::wstring& folder, const std::string& name, std::wstring& wide) {
    std::u16string text;
    if (name.empty()) return FailWith(ENOENT), false;
    if (!Utf8ToUtf16(name, text) || text.find(u'\0') != std::u16string::npos) {
        return FailWith(EILSEQ), false;
    }
    const std::wstring leaf = Widen(text);
    if (leaf.find_first_of(L"\\/") != std::wstring::npos) return FailWith(EINVAL), false;
    if (HasForbiddenCharacter(leaf, 0)) return FailWith(ENOTDIR), false;
    const std::size_t root = RootLength(folder);
    std::wstring base = folder;
    while (base.size() > root && base.back() == L'\\')
        base.pop_back();
    if (leaf == L".") {
        wide = base;
    } else if (leaf == L"..") {
        const std::size_t cut = base.rfind(L'\\');
        wide = cut == std::wstring::npos || cut < root ? base.substr(0, root) : base.substr(0, cut);
    } else {
        wide = base.back() == L'\\' ? base + leaf : base + L'\\' + leaf;
    }
    return true;
}

std::string NarrowPath(const std::wstring& wide) {
    std::wstring shown = wide;
    if (StartsWith(shown, kLongUncPrefix)) {
        shown = L"\\\\" + shown.substr(8);
    } else if (StartsWith(shown, kLongPrefix)) {
        shown = shown.substr(4);
    }
    return Utf16ToUtf8(std::u16string(shown.begin(), shown.end()));
}

bool IsLinkTag(DWORD attributes, DWORD tag) {
    // Wine shows a host's symbolic link as a reparse point without a tag.
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (tag == 0 || IsReparseTagNameSurrogate(tag));
}

bool IsLinkPath(const std::wstring& wide) {
    // A drive or share is no link (Wine shows its drive letters as links of the host).
    if (wide.size() <= RootLength(wide)) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return true;  // a reparse point not to be looked into
    ::FindClose(find);
    return IsLinkTag(found.dwFileAttributes, found.dwReserved0);
}

OpenFile::~OpenFile() {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
}

int FileTable::Add(std::shared_ptr<OpenFile> file) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t fd = 0; fd < slots_.size(); ++fd) {
        if (!slots_[fd]) {
            slots_[fd] = std::move(file);
            return static_cast<int>(fd);
        }
    }
    slots_.push_back(std::move(file));
    return static_cast<int>(slots_.size() - 1);
}

std::shared_ptr<OpenFile> FileTable::Get(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd < 0 || static_cast<std::size_t>(fd) >= slots_.size() || !slots_[fd]) {
        errno = EBADF;
        return nullptr;
    }
    return slots_[fd];
}

std::shared_ptr<OpenFile> FileTable::Remove(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd < 0 || static_cast<std::size_t>(fd) >= slots_.size() || !slots_[fd]) {
        errno = EBADF;
        return nullptr;
    }
    return std::move(slots_[fd]);
}

FileTable& FileTable::Shared() {
    static FileTable table;
    return table;
}

}  // namespace base::windows

#endif
