#include "FaultyFiles.h"

#include <cerrno>

namespace base::test {
namespace {

int Fail(int error) {
    errno = error;
    return -1;
}

}  // namespace

void FaultyFiles::AddRule(std::function<int(const CallInfo&)> rule) {
    // Rules add up: the one set first is asked first.
    if (!fail) {
        fail = std::move(rule);
        return;
    }
    fail = [before = std::move(fail), rule = std::move(rule)](const CallInfo& call) {
        const int error = before(call);
        return error ? error : rule(call);
    };
}

void FaultyFiles::FailNth(FileCall call, std::size_t n, int error) {
    AddRule([=](const CallInfo& c) { return c.call == call && c.number == n ? error : 0; });
}

void FaultyFiles::FailFrom(FileCall call, std::size_t n, int error) {
    AddRule([=](const CallInfo& c) { return c.call == call && c.number >= n ? error : 0; });
}

void FaultyFiles::FailPath(FileCall call, const std::string& path, int error) {
    AddRule([=](const CallInfo& c) { return c.call == call && c.path == path ? error : 0; });
}

std::size_t FaultyFiles::Count(FileCall call) const {
    return counts_[static_cast<std::size_t>(call)];
}

int FaultyFiles::Fault(FileCall call, const std::string& path, unsigned flags) {
    const std::size_t number = ++counts_[static_cast<std::size_t>(call)];
    return fail ? fail(CallInfo{call, path, flags, number}) : 0;
}

int FaultyFiles::FaultOn(FileCall call, int fd) {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto at = paths_.find(fd);
        if (at != paths_.end()) path = at->second;
    }
    return Fault(call, path);
}

int FaultyFiles::Opened(int fd, const std::string& path) {
    if (fd >= 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        paths_[fd] = path;
    }
    return fd;
}

int FaultyFiles::Open(const std::string& path, unsigned flags, unsigned permissions) {
    if (const int error = Fault(FileCall::OPEN, path, flags)) return Fail(error);
    return Opened(FileLayer::Open(path, flags, permissions), path);
}

int FaultyFiles::OpenAt(int folder, const std::string& name, unsigned flags,
                        unsigned permissions) {
    if (const int error = Fault(FileCall::OPEN, name, flags)) return Fail(error);
    return Opened(FileLayer::OpenAt(folder, name, flags, permissions), name);
}

std::int64_t FaultyFiles::Read(int fd, void* buffer, std::size_t size) {
    if (const int error = FaultOn(FileCall::READ, fd)) return Fail(error);
    return FileLayer::Read(fd, buffer, size);
}

std::int64_t FaultyFiles::ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    if (const int error = FaultOn(FileCall::READ, fd)) return Fail(error);
    return FileLayer::ReadAt(fd, buffer, size, offset);
}

std::int64_t FaultyFiles::Write(int fd, const void* data, std::size_t size) {
    if (const int error = FaultOn(FileCall::WRITE, fd)) return Fail(error);
    if (writeSize) size = writeSize(size);
    if (size == 0) return 0;
    return FileLayer::Write(fd, data, size);
}

std::int64_t FaultyFiles::WriteAt(int fd, const void* data, std::size_t size,
                                  std::uint64_t offset) {
    if (const int error = FaultOn(FileCall::WRITE, fd)) return Fail(error);
    if (writeSize) size = writeSize(size);
    if (size == 0) return 0;
    return FileLayer::WriteAt(fd, data, size, offset);
}

int FaultyFiles::Sync(int fd) {
    if (const int error = FaultOn(FileCall::SYNC, fd)) return Fail(error);
    return FileLayer::Sync(fd);
}

int FaultyFiles::Close(int fd) {
    const int error = FaultOn(FileCall::CLOSE, fd);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paths_.erase(fd);
    }
    const int result = FileLayer::Close(fd);
    return error ? Fail(error) : result;
}

int FaultyFiles::Stat(const std::string& path, FileInfo& info) {
    if (const int error = Fault(FileCall::STAT, path)) return Fail(error);
    return FileLayer::Stat(path, info);
}

int FaultyFiles::LinkStat(const std::string& path, FileInfo& info) {
    if (const int error = Fault(FileCall::STAT, path)) return Fail(error);
    return FileLayer::LinkStat(path, info);
}

int FaultyFiles::StatOpen(int fd, FileInfo& info) {
    if (const int error = FaultOn(FileCall::STAT, fd)) return Fail(error);
    return FileLayer::StatOpen(fd, info);
}

int FaultyFiles::StatAt(int folder, const std::string& name, FileInfo& info) {
    if (const int error = Fault(FileCall::STAT, name)) return Fail(error);
    return FileLayer::StatAt(folder, name, info);
}

int FaultyFiles::ListFolder(int folder, std::vector<std::string>& names) {
    if (const int error = FaultOn(FileCall::LIST, folder)) return Fail(error);
    return FileLayer::ListFolder(folder, names);
}

int FaultyFiles::Rename(const std::string& from, const std::string& to) {
    if (const int error = Fault(FileCall::RENAME, to)) return Fail(error);
    return FileLayer::Rename(from, to);
}

int FaultyFiles::Unlink(const std::string& path) {
    if (const int error = Fault(FileCall::UNLINK, path)) return Fail(error);
    return FileLayer::Unlink(path);
}

int FaultyFiles::UnlinkAt(int folder, const std::string& name, bool isFolder) {
    if (const int error = Fault(FileCall::UNLINK, name)) return Fail(error);
    return FileLayer::UnlinkAt(folder, name, isFolder);
}

int FaultyFiles::MakeFolder(const std::string& path) {
    if (const int error = Fault(FileCall::MAKE_FOLDER, path)) return Fail(error);
    return FileLayer::MakeFolder(path);
}

int FaultyFiles::MakeFolderAt(int folder, const std::string& name) {
    if (const int error = Fault(FileCall::MAKE_FOLDER, name)) return Fail(error);
    return FileLayer::MakeFolderAt(folder, name);
}

int FaultyFiles::SyncFolder(const std::string& path) {
    if (const int error = Fault(FileCall::SYNC_FOLDER, path)) return Fail(error);
    return FileLayer::SyncFolder(path);
}

int FaultyFiles::SetPermissions(int fd, unsigned permissions) {
    if (const int error = FaultOn(FileCall::SET_PERMISSIONS, fd)) return Fail(error);
    return FileLayer::SetPermissions(fd, permissions);
}

int FaultyFiles::SetPermissionsAt(int folder, const std::string& name, unsigned permissions) {
    if (const int error = Fault(FileCall::SET_PERMISSIONS, name)) return Fail(error);
    return FileLayer::SetPermissionsAt(folder, name, permissions);
}

}  // namespace base::test
