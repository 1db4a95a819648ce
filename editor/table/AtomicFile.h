// Writes a file the user relies on by way of a temporary file beside it, which replaces the old
// file only when every byte was written and closed. Until then the old file stays as it was, and
// a failed or abandoned write leaves no temporary file behind.
#pragma once

#include <string>

#include "FileOps.h"

namespace tavrel {

class AtomicFile {
public:
    AtomicFile(FileOps& ops, std::string target);
    ~AtomicFile();  // abandons the write unless Commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file, with the target's permissions when the target exists.
    bool Create();
    bool Write(const char* data, std::size_t size);
    // Closes the temporary file and moves it over the target.
    bool Commit();
    // Closes and removes the temporary file; the target is left alone.
    void Abandon();

    // errno of the failure.
    int Error() const { return error_; }

private:
    bool Fail();

    FileOps& ops_;
    std::string target_;  // the file to replace (a link is followed to the file it names)
    std::string temp_;
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tavrel
