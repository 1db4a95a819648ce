// The file-system calls of both programs and of zpk go through one FileLayer, so that tests can
// make any of them fail (a full disk, a failed read, a folder that cannot be created, a rename
// that does not happen) and so that another host's file system can sit behind the same calls.
//
// Calls return -1 (or a negative count) on failure with errno set to the reason; the texts the
// user sees for those reasons are in Status.h. Descriptors are small integers. Paths are host
// paths, 8-bit, as the host spells them. Calls may come from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace base {

// How Open and OpenAt open a file; the same flags on every host.
enum OpenFlags : unsigned {
    kRead = 1u << 0,
    kWrite = 1u << 1,
    kCreate = 1u << 2,     // create the file when it is missing
    kExclusive = 1u << 3,  // with kCreate: fail (EEXIST) when it exists
    kTruncate = 1u << 4,   // empty an existing file
    kNoFollow = 1u << 5,   // a link as the last part of the path fails (ELOOP)
    kFolder = 1u << 6,     // open a folder, to list it or to work inside it
    kPlainFile = 1u << 7,  // anything but a plain file fails (EINVAL), without waiting on a pipe
};

enum class FileKind { FILE, FOLDER, LINK, OTHER };

struct FileInfo {
    FileKind kind = FileKind::OTHER;
    std::uint64_t size = 0;
    std::uint64_t device = 0;  // with `node`: which file or folder it is
    std::uint64_t node = 0;
    std::uint64_t links = 1;        // names of the file (hard links)
    std::uint32_t permissions = 0;  // 07777 bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;

    bool IsFile() const { return kind == FileKind::FILE; }
    bool IsFolder() const { return kind == FileKind::FOLDER; }
    bool SameAs(const FileInfo& other) const {
        return device == other.device && node == other.node;
    }
};

class FileLayer {
public:
    virtual ~FileLayer() = default;

    // Opens a file or folder; `permissions` are those of a file that kCreate creates.
    virtual int Open(const std::string& path, unsigned flags, unsigned permissions = 0666);
    // Opens `name` inside the open folder `folder`. A link as `name` is never followed.
    virtual int OpenAt(int folder, const std::string& name, unsigned flags,
                       unsigned permissions = 0666);
    virtual std::int64_t Read(int fd, void* buffer, std::size_t size);
    virtual std::int64_t ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset);
    virtual std::int64_t Write(int fd, const void* data, std::size_t size);
    virtual std::int64_t WriteAt(int fd, const void* data, std::size_t size,
                                 std::uint64_t offset);
    // Makes what was written to the file durable.
    virtual int Sync(int fd);
    virtual int Close(int fd);

    // What a path names: Stat follows links, LinkStat describes a link as itself.
    virtual int Stat(const std::string& path, FileInfo& info);
    virtual int LinkStat(const std::string& path, FileInfo& info);
    virtual int StatOpen(int fd, FileInfo& info);
    // `name` inside an open folder, a link as itself.
    virtual int StatAt(int folder, const std::string& name, FileInfo& info);
    // The names in an open folder, without "." and "..", in the order the host gives them.
    virtual int ListFolder(int folder, std::vector<std::string>& names);

    // Moves `from` over `to`, replacing it in one step.
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path);
    // Removes `name` inside an open folder: a file or a link, or with `folder` an empty folder.
    virtual int UnlinkAt(int folder, const std::string& name, bool isFolder = false);
    virtual int MakeFolder(const std::string& path);
    virtual int MakeFolderAt(int folder, const std::string& name);
    // Makes what a folder lists (a rename into it) durable.
    virtual int SyncFolder(const std::string& path);

    virtual int SetPermissions(int fd, unsigned permissions);
    virtual int SetPermissionsAt(int folder, const std::string& name, unsigned permissions);
    virtual int SetOwner(int fd, std::uint32_t owner, std::uint32_t group);
    // The path with every link in it resolved; empty with errno set when it cannot be.
    virtual std::string ResolvePath(const std::string& path);

    // The host's own calls.
    static FileLayer& System();
};

// Reads exactly `size` bytes from `offset` (or from the current position when `offset` is
// kCurrentPosition). False with errno set on a failed read; a file that ends early gives false
// with errno 0.
constexpr std::uint64_t kCurrentPosition = ~std::uint64_t{0};
bool ReadFully(FileLayer& files, int fd, void* buffer, std::size_t size,
               std::uint64_t offset = kCurrentPosition);

// Writes all `size` bytes; a write that makes no progress counts as a full disk (ENOSPC).
bool WriteFully(FileLayer& files, int fd, const void* data, std::size_t size,
                std::uint64_t offset = kCurrentPosition);

// Closes `fd` if it is open and sets it to -1, keeping errno as it was.
void CloseQuietly(FileLayer& files, int& fd);

// The whole plain file at `path` in `bytes`: 0, or the errno of the failure (ENOENT when it is
// missing; EINVAL when it is no plain file). `bytes` is undefined on failure.
int ReadWholeFile(FileLayer& files, const std::string& path, std::string& bytes);

}  // namespace base
