// A file layer that makes chosen calls fail, for the tests of failed writes, reads and renames.
// Each hook gives the errno to fail with, or 0 to let the call through.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "FileLayer.h"

namespace brisko::test {

class FaultyFiles : public FileLayer {
public:
    std::function<int(const std::string& path, int flags)> open;  // Open and OpenAt
    std::function<int(const std::string& name)> mkdir;
    std::function<int(const std::string& path)> read;        // by the path the fd was opened at
    std::function<int(std::size_t call)> write;              // numbered from 1, both kinds
    std::function<std::size_t(std::size_t size)> writeSize;  // short writes
    int syncError = 0;
    int closeError = 0;
    int renameError = 0;

    int Open(const char* path, int flags, int mode) override;
    int OpenAt(int folder, const char* name, int flags, int mode) override;
    int MkdirAt(int folder, const char* name, int mode) override;
    ssize_t Read(int fd, void* buffer, std::size_t size) override;
    ssize_t ReadAt(int fd, void* buffer, std::size_t size, off_t offset) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) override;
    int Sync(int fd) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;

private:
    int Opened(int fd, const std::string& path);
    int ReadFault(int fd);
    int WriteFault(std::size_t& size);

    std::mutex mutex_;
    std::map<int, std::string> paths_;
    std::atomic<std::size_t> writes_{0};
};

}  // namespace brisko::test
