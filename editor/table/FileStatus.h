// Outcome of reading or writing a file of the editor: OK, or what went wrong with the text the
// user is to see.
#pragma once

#include <string>
#include <utility>

namespace tavrel {

struct FileStatus {
    enum Kind {
        OK,
        CANNOT_OPEN,   // the file could not be opened (or created) at all
        READ_FAILED,   // a read failed after the file was opened
        WRITE_FAILED,  // a write, the close or the replacing of the old file failed
        TOO_LARGE,     // the file does not fit the table (memory, line or row limits)
    };

    Kind kind = OK;
    std::string message;

    static FileStatus Ok() { return {}; }
    static FileStatus Error(Kind kind, std::string message) {
        return FileStatus{kind, std::move(message)};
    }
    bool ok() const { return kind == OK; }
};

}  // namespace tavrel
