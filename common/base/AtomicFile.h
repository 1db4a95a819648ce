// Writes a file that the user or the game relies on (a table, a pack, the catalog, the settings)
// by way of a temporary file beside it, which is synced and moved over the old file only when
// every byte is written; the folder is synced after the move. Until then the old file stays as
// it was, and a failed or abandoned write leaves no temporary file behind.
//
// A target that the user may not write (a read-only file, another user's file) is refused before
// anything is written, and left as it was. A link is written through to the file it names, whose
// permissions (and owner, where we may) the new file keeps. A file with other hard links gets a
// new file under this name; its other names keep the old bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileLayer.h"
#include "Status.h"

namespace base {

class AtomicFile {
public:
    // `durable`: sync the file before the move and the folder after it.
    AtomicFile(FileLayer& files, const std::string& target, bool durable = true);
    ~AtomicFile();  // abandons the write unless Commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Checks that the target may be written and creates the temporary file. In a folder where no
    // temporary file can be created, a target that may be written is opened for a direct write
    // instead (see DirectWrite). False with Error() set when nothing could be opened.
    bool Create();
    // Appends at the end of what was written so far.
    bool Write(const void* data, std::size_t size);
    // Overwrites bytes already written, at `offset`.
    bool WriteAt(const void* data, std::size_t size, std::uint64_t offset);
    // Syncs and closes the file, moves it over the target and syncs the folder.
    bool Commit();
    // Closes and removes the temporary file; the target is left alone (unless DirectWrite).
    void Abandon();

    // The number of bytes appended so far.
    std::uint64_t Position() const { return position_; }
    // errno of the failure.
    int Error() const { return error_; }
    // True when the target is written in place: its folder allows no new file, so the old bytes
    // are lost if the write fails part-way. Only in that case.
    bool DirectWrite() const { return direct_; }
    // The file being replaced, after links.
    const std::string& Target() const { return target_; }

private:
    bool Fail();
    bool CreateTemporary();
    bool OpenDirect();

    FileLayer& files_;
    std::string target_;
    std::string temp_;
    bool durable_;
    bool direct_ = false;
    bool exists_ = false;
    FileInfo old_;
    int fd_ = -1;
    std::uint64_t position_ = 0;
    int error_ = 0;
};

// Copies the plain file `from` over `to` by way of an atomic write of `to`. On failure `to` is as
// it was and the status names the file that failed: CANNOT_OPEN when either cannot be opened,
// READ_FAILED or WRITE_FAILED after that.
Status CopyFile(FileLayer& files, const std::string& from, const std::string& to,
                bool durable = true);

}  // namespace base
