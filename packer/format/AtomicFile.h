// Writes a file the game or the user relies on (a pack) by way of a hidden temporary file beside
// it, which replaces the old file only when every byte is written, synced and closed. Until then
// the old file stays as it was, and a failed or abandoned write leaves no temporary file behind.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileLayer.h"

namespace brisko {

class AtomicFile {
public:
    AtomicFile(FileLayer& files, const std::string& target);
    ~AtomicFile();  // abandons the write unless Commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file, with the old file's permissions when there is one.
    bool Create();
    // Appends at the end of what was written so far.
    bool Write(const void* data, std::size_t size);
    // Overwrites bytes already written, at `offset`.
    bool WriteAt(const void* data, std::size_t size, off_t offset);
    // Syncs and closes the temporary file and moves it over the target.
    bool Commit();
    // Closes and removes the temporary file; the target is left alone.
    void Abandon();

    // The number of bytes appended so far.
    std::uint64_t Position() const { return position_; }
    // errno of the failure.
    int Error() const { return error_; }

private:
    bool Fail();

    FileLayer& files_;
    std::string target_;  // the file to replace (a link is followed to the file it names)
    std::string temp_;
    int fd_ = -1;
    std::uint64_t position_ = 0;
    int error_ = 0;
};

}  // namespace brisko
