// A file layer that fails chosen calls on purpose: the n-th write, every open of one file, a sync,
// a rename. Everything else goes to the host's own calls.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "FileLayer.h"

namespace base::test {

enum class FileCall {
    OPEN,  // Open and OpenAt
    READ,  // Read and ReadAt
    WRITE, // Write and WriteAt
    SYNC,
    CLOSE,
    STAT,  // Stat, LinkStat, StatOpen and StatAt
    LIST,
    RENAME,
    UNLINK,  // Unlink and UnlinkAt
    MAKE_FOLDER,
    SYNC_FOLDER,
    SET_PERMISSIONS,
    COUNT
};

struct CallInfo {
    FileCall call;
    // The path or name the call names; for a call on a descriptor, the path it was opened at.
    std::string path;
    unsigned flags = 0;      // of an open
    std::size_t number = 0;  // 1 for the first call of its kind, 2 for the second, ...
};

class FaultyFiles : public FileLayer {
public:
    // The errno to fail a call with, or 0 to let it through. A failed close still closes.
    std::function<int(const CallInfo& call)> fail;
    // The size a write may write at most (short writes); 0 makes no progress.
    std::function<std::size_t(std::size_t size)> writeSize;

    // Fails the n-th call of a kind (from 1), or every call of it from the n-th on.
    void FailNth(FileCall call, std::size_t n, int error);
    void FailFrom(FileCall call, std::size_t n, int error);
    // Fails every call of a kind that names `path` (a full path, or a bare name for OpenAt).
    void FailPath(FileCall call, const std::string& path, int error);
    // How many calls of a kind were made.
    std::size_t Count(FileCall call) const;

    int Open(const std::string& path, unsigned flags, unsigned permissions) override;
    int OpenAt(int folder, const std::string& name, unsigned flags,
               unsigned permissions) override;
    std::int64_t Read(int fd, void* buffer, std::size_t size) override;
    std::int64_t ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) override;
    std::int64_t Write(int fd, const void* data, std::size_t size) override;
    std::int64_t WriteAt(int fd, const void* data, std::size_t size,
                         std::uint64_t offset) override;
    int Sync(int fd) override;
    int Close(int fd) override;
    int Stat(const std::string& path, FileInfo& info) override;
    int LinkStat(const std::string& path, FileInfo& info) override;
    int StatOpen(int fd, FileInfo& info) override;
    int StatAt(int folder, const std::string& name, FileInfo& info) override;
    int ListFolder(int folder, std::vector<std::string>& names) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;
    int UnlinkAt(int folder, const std::string& name, bool isFolder) override;
    int MakeFolder(const std::string& path) override;
    int MakeFolderAt(int folder, const std::string& name) override;
    int SyncFolder(const std::string& path) override;
    int SetPermissions(int fd, unsigned permissions) override;
    int SetPermissionsAt(int folder, const std::string& name, unsigned permissions) override;

private:
    // The errno the call is to fail with (0: go ahead); counts the call.
    int Fault(FileCall call, const std::string& path, unsigned flags = 0);
    int FaultOn(FileCall call, int fd);
    void AddRule(std::function<int(const CallInfo&)> rule);
    int Opened(int fd, const std::string& path);

    mutable std::mutex mutex_;
    std::map<int, std::string> paths_;
    std::array<std::atomic<std::size_t>, static_cast<std::size_t>(FileCall::COUNT)> counts_{};
};

}  // namespace base::test
