// Outcome of a file, table or pack operation: OK, or what went wrong with the exact text the user
// is to see. The libraries show nothing themselves; the windows and zpk show `message`.
#pragma once

#include <string>
#include <utility>

namespace base {

struct Status {
    enum Kind {
        OK,
        CANNOT_OPEN,      // a file or folder could not be opened or created at all
        READ_FAILED,      // a read failed after the file was opened, or the file changed
        WRITE_FAILED,     // a write, the sync, the close or the replacing of the old file failed
        TOO_LARGE,        // past a size, row, line or member limit
        NO_MEMORY,        // memory for the work could not be obtained
        NOTHING_TO_PACK,  // a list of members was empty: no pack was written
        NOT_A_PACK,       // a file's header or directory does not describe a pack
        DAMAGED_MEMBER,   // a member's data does not inflate to its recorded size
        BAD_NAME,         // a name that cannot be packed, extracted or stored safely
        REFUSED,          // a target that must not be written into, emptied or replaced
        CANCELLED,        // the user stopped the operation
    };

    Kind kind = OK;
    std::string message;

    static Status Ok() { return {}; }
    static Status Error(Kind kind, std::string message) {
        return Status{kind, std::move(message)};
    }
    bool ok() const { return kind == OK; }
};

// The table save's text for a file that cannot be opened (or created) for writing.
constexpr char kCouldNotOpenText[] = "Could not open file.";

// Replaces "%1", "%2", ... of `pattern` with the arguments, in order.
std::string Format(const char* pattern, const std::string& a1);
std::string Format(const char* pattern, const std::string& a1, const std::string& a2);
std::string Format(const char* pattern, const std::string& a1, const std::string& a2,
                   const std::string& a3);

// The platform's text for a failed file call on `path`, from the errno it gave: "%1 was not
// found.", "Access to %1 was denied.", "Disk full while accessing %1.", ... and "An unknown error
// occurred while accessing %1." for a reason it has no text for.
std::string FileErrorText(const std::string& path, int error);

// The same as a status of the given kind.
Status FileError(Status::Kind kind, const std::string& path, int error);

}  // namespace base
